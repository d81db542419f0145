// The editor window: one form file and its unit as two text pages, with the commands on them.
#pragma once

#include "DeclarationFinder.h"
#include "FormOpener.h"

#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QTabWidget;

namespace dfm {

class ObjectViewWindow;
class FindDialog;
class WindowSettings;
class RecentFiles;
class PageEditor;
class PopupCalculator;
class GrepWindow;
class UserPrompts;

class EditorWindow : public QMainWindow, public FormOpener {
    Q_OBJECT
public:
    // arguments: the program's command line; a form named there is opened at once.
    EditorWindow(UserPrompts& prompts, const QStringList& arguments, QWidget* parent = nullptr);
    ~EditorWindow() override;

    void openFormFile(const QString& path);
    // False when an error stopped it (the error box has been shown).
    bool save();
    void saveAs();
    bool searchText(const QString& text, bool matchCase, bool fromSelectionEnd, PageEditor* editor);
    // Brings the 0-based line of the form page into view, selected.
    void showLine(int n);
    void findDeclaration(DeclarationFinder::Mode mode);
    // A form double-clicked in the grep window: open it, select the key, hand it to Find.
    void openFoundForm(const QString& path, const QString& key) override;
    // Files dropped from the desktop on the window.
    void filesDropped(const QList<QUrl>& urls);
    void updateCaretStatus();
    // The update rules of the commands; run whenever the application is idle.
    void updateCommands();

    QString currentFileName() const { return currentFileName_; }
    bool backupEnabled() const { return backupEnabled_; }
    PageEditor* formPage() const { return formPage_; }
    PageEditor* unitPage() const { return unitPage_; }
    PageEditor* currentPage() const;
    FindDialog* findDialog() const { return findDialog_; }
    FindDialog* replaceDialog() const { return replaceDialog_; }
    QFileDialog* openDialog() const { return openDialog_; }
    QFileDialog* saveDialog() const { return saveDialog_; }
    QTabWidget* pages() const { return pages_; }
    GrepWindow* grepWindow() const { return grepWindow_; }
    ObjectViewWindow* objectViewWindow() const { return objectViewWindow_; }
    RecentFiles* recentFiles() const { return recentFiles_; }
    PopupCalculator* calculator() const { return calculator_.get(); }
    QString caretStatusText() const;
    QString hintLineText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPages();
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createDialogs();
    void createWindowSettings();
    QAction* createAction(const char* name, const QString& caption, const QKeySequence& shortcut, const char* group,
                       const QString& hint, const QIcon& icon, void (EditorWindow::*execute)());

    // The command boundary: an error ends the command with the error box.
    void runCommand(const std::function<void()>& body);
    void showError(const std::exception& error);
    void scheduleUpdate();
    void pageTextChanged();
    PageEditor* focusedPage() const;

    void openFromDialog();
    void saveCommand();
    void saveAsCommand();
    void showGrepWindow();
    void showObjectView();
    // The form page's lines, as the object view builds its tree from them.
    QStringList formLines() const;
    void exitProgram();
    void undoLastChange();
    void copySelection();
    void cutSelection();
    void pasteClipboard();
    void showFindDialog();
    void showReplaceDialog();
    void enlargeFont();
    void reduceFont();
    void clearModifiedFlags();
    void chooseFont();
    void showCalculator();
    void toggleHints();
    void chooseHintColor();
    void chooseBackgroundColor();
    void toggleBackups();
    void showAbout();
    void findNext(FindDialog* dialog, PageEditor* target);
    void replaceText(bool all);
    void replaceAll(PageEditor* target, const QString& findText, bool matchCase);
    void changeFontSize(int points);
    void setHintColor(const QColor& color);

    UserPrompts& prompts_;
    QString currentFileName_;
    bool backupEnabled_ = true;
    bool showHints_ = true;
    QColor hintColor_;
    // The unit was there at opening but could not be read: it is not overwritten by the
    // empty page unless the user typed into that page.
    bool unitUnreadable_ = false;

    QTabWidget* pages_ = nullptr;
    QWidget* formTab_ = nullptr;
    QWidget* unitTab_ = nullptr;
    PageEditor* formPage_ = nullptr;
    PageEditor* unitPage_ = nullptr;
    QMenu* formPageMenu_ = nullptr;
    QLabel* caretPanel_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    FindDialog* findDialog_ = nullptr;
    FindDialog* replaceDialog_ = nullptr;
    PageEditor* findTarget_ = nullptr;
    PageEditor* replaceTarget_ = nullptr;
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
    GrepWindow* grepWindow_ = nullptr;
    ObjectViewWindow* objectViewWindow_ = nullptr;
    QMenu* reopenMenu_ = nullptr;
    RecentFiles* recentFiles_ = nullptr;
    std::unique_ptr<WindowSettings> windowSettings_;
    std::unique_ptr<PopupCalculator> calculator_;
    QTimer updateTimer_;

    QAction* actFileOpen_ = nullptr;
    QAction* actFileSave_ = nullptr;
    QAction* actSaveAs_ = nullptr;
    QAction* actGrep_ = nullptr;
    QAction* actObjectView_ = nullptr;
    QAction* actExit_ = nullptr;
    QAction* actUndo_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* cutAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* actFind_ = nullptr;
    QAction* actReplace_ = nullptr;
    QAction* actUpSize_ = nullptr;
    QAction* actDownSize_ = nullptr;
    QAction* actCancelModified_ = nullptr;
    QAction* actFont_ = nullptr;
    QAction* actCalc_ = nullptr;
    QAction* actHint_ = nullptr;
    QAction* actHintColor_ = nullptr;
    QAction* actBackground_ = nullptr;
    QAction* actCreateBackup_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QAction* findDeclarationAction_ = nullptr;
    QAction* findImplementationAction_ = nullptr;
};

}  // namespace dfm
