// The object view: a tool window showing the objects of the open form as a tree, each item leading
// to the line where its object begins.
#pragma once

#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QKeyEvent;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dfm {

class WindowSettings;
class UserPrompts;

class ObjectViewWindow : public QWidget {
    Q_OBJECT
public:
    // Created hidden; the owner (the editor window) shows it and destroys it with itself.
    ObjectViewWindow(UserPrompts& prompts, QWidget* owner);
    ~ObjectViewWindow() override;

    // Rebuilds the tree from the form text's lines. When an item cannot be placed the items before it
    // stay and ObjectTreeError is thrown.
    void buildObjectTree(const QStringList& lines);

    // Makes the item of the object on the 0-based line the current one, if the tree holds it.
    void selectLine(int lineIndex);

    // Asks the editor to show the current item's line; nothing when the tree is empty.
    void showDefinition();
    // Asks the editor to show the current item's field declaration in the unit.
    void showCode();
    void expandAll();
    void collapseAll();
    // The font and colour dialogs go through the prompts; OK applies the choice.
    void changeFont();
    void changeBackground();

    // Kept as given, so that a colour of the desktop's scheme stays one when stored.
    std::int32_t outlineColor() const { return outlineColor_; }
    void setOutlineColor(std::int32_t value);
    std::int32_t outlineFontColor() const { return outlineFontColor_; }
    void setOutlineFontColor(std::int32_t value);

signals:
    // The editor's show-line operation is connected here.
    void showLineRequested(int lineIndex);
    // The editor's declaration finder, from the object's line, is connected here.
    void codeRequested(int lineIndex);
    // Another item became the current one, by the user or by selectLine; not while the tree is
    // being built.
    void currentLineChanged(int lineIndex);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createWindowSettings();
    void applyFont(const QFont& font);
    void applyColors();
    void updatePicture(QTreeWidgetItem* item) const;
    void itemDoubleClicked();
    // The current item's 0-based line, or -1 when there is none.
    int currentItemLine() const;
    // The button whose caption's Alt key the event is, if any.
    QToolButton* captionButtonFor(const QKeyEvent* event) const;
    // Presses the button of an Alt key meant for this window; true when the event was one.
    bool takeCaptionKey(QEvent* event);

    UserPrompts& prompts_;
    std::int32_t outlineColor_;
    std::int32_t outlineFontColor_;
    QTreeWidget* tree_ = nullptr;
    std::vector<QToolButton*> captionButtons_;
    QIcon openPicture_;
    QIcon closedPicture_;
    QIcon leafPicture_;
    // Read by the tree's delegate: every row is this high.
    int rowHeight_ = 16;
    std::unique_ptr<WindowSettings> windowSettings_;
};

}  // namespace dfm
