// The object view: a tool window showing the objects of the open form as a tree, each item leading
// to the line where its object begins.
#pragma once

#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace dfm {

class TFormStorage;
class UserPrompts;

class TFObjectView : public QWidget {
    Q_OBJECT
public:
    // Created hidden; the owner (the editor window) shows it and destroys it with itself.
    TFObjectView(UserPrompts& prompts, QWidget* owner);
    ~TFObjectView() override;

    // Rebuilds the tree from the form text's lines. When an item cannot be placed the items before it
    // stay and std::runtime_error("Erreur chargement de fichier") is thrown.
    void BuildObjectTree(const QStringList& lines);
    QTreeWidget* Outline1() const { return outline1_; }

    // Asks the editor to show the current item's line; nothing when the tree is empty.
    void ShowDefinition();
    void ExpandAll();
    void CollapseAll();
    // The font and colour dialogs go through the prompts; OK applies the choice.
    void ChangeFont();
    void ChangeBackground();

    // Kept as given, so that a colour of the desktop's scheme stays one when stored.
    std::int32_t OutlineColor() const { return outlineColor_; }
    void SetOutlineColor(std::int32_t value);
    std::int32_t OutlineFontColor() const { return outlineFontColor_; }
    void SetOutlineFontColor(std::int32_t value);

signals:
    // The editor's show-line operation is connected here.
    void ShowLineRequested(int lineIndex);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateFormStorage();
    void ApplyFont(const QFont& font);
    void ApplyColors();
    void UpdatePicture(QTreeWidgetItem* item) const;
    void Outline1DblClick();

    UserPrompts& prompts_;
    std::int32_t outlineColor_;
    std::int32_t outlineFontColor_;
    QTreeWidget* outline1_ = nullptr;
    QIcon openPicture_;
    QIcon closedPicture_;
    QIcon leafPicture_;
    // Read by the tree's delegate: every row is this high.
    int rowHeight_ = 16;
    std::unique_ptr<TFormStorage> formStorage1_;
};

}  // namespace dfm
