// The font dialog: a family, size, style, effects and colour. An editor page is offered the
// fixed-pitch families; a form's controls every family.
#pragma once

#include "SyntaxPalette.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;

namespace dfm {

class FontDialog : public QDialog {
    Q_OBJECT
public:
    enum class Families { FixedPitch, All };

    explicit FontDialog(QWidget* parent, Families families = Families::FixedPitch);

    // Presets the choices; a family not in the list is added so that the current font still shows.
    void setChoice(const QFont& font, const QColor& color);
    // The sample is shown on the window's own background. readableText: in the colour an editor
    // page shows, white or black where the one chosen is lost on the background.
    void setSampleBackground(const QColor& color, bool readableText = false);
    QFont selectedFont() const;
    QColor selectedColor() const;

signals:
    void applyClicked();

private:
    void selectFamily(const QString& family);
    void selectColor(const QColor& color);
    void updateSample();

    QListWidget* familyList_ = nullptr;
    QSpinBox* sizeBox_ = nullptr;
    QCheckBox* boldBox_ = nullptr;
    QCheckBox* italicBox_ = nullptr;
    QCheckBox* strikeOutBox_ = nullptr;
    QCheckBox* underlineBox_ = nullptr;
    QComboBox* colorBox_ = nullptr;
    QLabel* sample_ = nullptr;
    // Set when the sample shows the colour as an editor page does.
    std::optional<SyntaxPalette> readableOn_;
};

}  // namespace dfm
