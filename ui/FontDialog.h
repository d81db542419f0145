// The font dialog for an editor page: a fixed-pitch family, size, style, effects and colour.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;

namespace dfm {

class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget* parent);

    // Presets the choices; a family not in the list is added so that the current font still shows.
    void setChoice(const QFont& font, const QColor& color);
    // The sample is shown on the editor's own background, so that light text stays readable.
    void setSampleBackground(const QColor& color);
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
};

}  // namespace dfm
