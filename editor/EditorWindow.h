// The editor window: one form file and its unit as two text pages, with the commands on them.
#pragma once

#include "DeclarationFinder.h"
#include "EditorCommand.h"
#include "FormDocument.h"
#include "FormOpener.h"
#include "FormUnitCheck.h"

#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <span>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QTabWidget;

namespace dfm {

class FindDialog;
class FormViewDock;
class GrepWindow;
class LintPanel;
class ObjectViewWindow;
class PageEditor;
class PopupCalculator;
class PropertyInspector;
class RecentFiles;
class UserPrompts;
class WindowSettings;

class EditorWindow : public QMainWindow, public FormOpener {
    Q_OBJECT
public:
    // arguments: the program's command line; a form named there is opened at once.
    EditorWindow(UserPrompts& prompts, const QStringList& arguments, QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Every command of the window, in the order of CommandId.
    static std::span<const EditorCommand> commands();
    QAction* action(CommandId id) const;

    const FormDocument& document() const { return document_; }
    FormDocument& document() { return document_; }
    void openFormFile(const QString& path);
    // False when an error stopped it (the error box has been shown).
    bool save();
    // A form double-clicked in the grep window: open it, select the key, hand it to Find.
    void openFoundForm(const QString& path, const QString& key) override;
    int defaultCodePage() const override { return defaultCodePage_; }
    // Brings the 0-based line of the form page into view, selected.
    void showLine(int n);
    // Files dropped from the desktop on the window.
    void filesDropped(const QList<QUrl>& urls);
    // The update rules of the commands; run whenever the application is idle.
    void updateCommands();

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
    void createCodePageMenu(QMenu* parent);
    void createToolBar();
    void createStatusBar();
    void createDialogs();
    void createWindowSettings();
    void createFormView();

    void scheduleUpdate();
    // Asks to save a modified form first; false when the save failed or the box was closed
    // unanswered, which cancels the action that asked.
    bool offerToSave();
    void loadDocument(const QString& path, const FormFiles::CodePageRequest& request);
    // The page the open form is re-read with, for that form alone.
    void chooseCodePage(int number);
    // Makes the open form's page the one of forms that declare none, and stores it.
    void useCodePageAsDefault();
    void updateCodePageMenu();
    // Names the file looked for when the open form has no unit.
    void updateUnitStatus();
    // The document's changes, as the window shows them.
    void documentOpened(const QString& path);
    void documentSaved();
    void documentSavedAs(const QString& path);
    void pageLoaded(FormDocument::Page page);
    PageEditor* pageEditor(FormDocument::Page page) const;
    void updateCaretStatus();
    PageEditor* currentPage() const;
    // The page with the focus, or the one that had it when the menu bar took it to be worked by keys.
    PageEditor* focusedPage() const;
    void focusChanged(QWidget* old, QWidget* now);
    // The form page's lines, as the object view builds its tree from them.
    QStringList formLines() const;
    bool searchText(const QString& text, bool matchCase, bool fromSelectionEnd, PageEditor* page);
    // Selects what a search found at the offset given, or beeps when it found nothing (-1).
    bool selectFound(PageEditor* page, qsizetype at, qsizetype length);
    void findNext(FindDialog* dialog, PageEditor* target);
    void replaceText(bool all);
    void replaceAll(PageEditor* target, const QString& findText, bool matchCase);
    void findDeclarationOf(DeclarationFinder::Mode mode);
    // The object view's Code: the declaration of the object on the form page's 0-based line.
    void showFieldDeclaration(int line);
    // The status bar's hint line; an empty hint while no form is open says how to open one, and
    // after a save, "Saved" and the time for a few seconds.
    void showHint(const QString& text);
    void showSavedHint();
    void changeFontSize(int points);
    void setHintColor(const QColor& color);
    // Points the dialog at the folder with the file name given, which is stored as it is.
    void setDialogFile(QFileDialog* dialog, const QString& folder, const QString& fileName);

    // A control clicked in the form view: the caret goes to its object's 1-based line in the form
    // text, and the object view chooses it.
    void showChosenObject(int line);
    // Runs one step of the selection links between the text, the object view and the form view,
    // unless a step is running already: a selection made by a link is not passed on again.
    void linkSelection(const std::function<void()>& step);

    // Command handlers.
    void openFromDialog();
    void saveCommand();
    void saveAs();
    void showGrepWindow();
    void showObjectView();
    void toggleFormView();
    void exitProgram();
    void undoLastChange();
    void redoLastChange();
    void copySelection();
    void cutSelection();
    void pasteClipboard();
    void showFindDialog();
    void findNextMatch();
    void findPreviousMatch();
    void showReplaceDialog();
    void enlargeFont();
    void reduceFont();
    void clearModifiedFlags();
    void chooseFont();
    void showCalculator();
    void toggleHints();
    void chooseHintColor();
    void chooseBackgroundColor();
    void toggleSyntaxColours();
    void setSyntaxColours(bool on);
    void toggleLineNumbers();
    void setLineNumbers(bool on);
    void toggleBackups();
    void showAbout();
    void findDeclaration();
    void findImplementation();
    void checkFormAgainstUnit();
    std::vector<LintProblem> formCheckProblems() const;
    void editIgnoredClasses();
    // A problem of the check chosen in its panel: its 1-based line in the form or unit page.
    void showProblemLine(bool inUnit, int line);

    // Enabled rules and switch states of the commands.
    bool isDocumentModified() const { return document_.isModified(); }
    bool isSaveOffered() const { return document_.isSaveOffered(); }
    bool isDocumentOpen() const { return document_.isOpen(); }
    // Whether the form view has the keyboard (or had it when the menu bar took it).
    bool viewHasKeyboard() const;
    // The page whose edits Undo and Redo take back.
    PageEditor* undoPage() const;
    bool canUndo() const;
    bool canRedo() const;
    bool hasSelection() const;
    bool canPaste() const;
    bool canEnlargeFont() const;
    bool canReduceFont() const;
    bool hintsShown() const { return showHints_; }
    bool backupsMade() const { return document_.backupEnabled(); }
    bool syntaxColoursShown() const;
    bool lineNumbersShown() const;
    bool formViewShown() const;

    UserPrompts& prompts_;
    FormDocument document_;
    bool showHints_ = true;
    bool toldSettingsNotKept_ = false;
    QColor hintColor_;

    std::array<QAction*, CommandCount> actions_{};
    QTabWidget* pages_ = nullptr;
    QWidget* formTab_ = nullptr;
    QWidget* unitTab_ = nullptr;
    PageEditor* formPage_ = nullptr;
    PageEditor* unitPage_ = nullptr;
    PageEditor* pageBeforeMenuBar_ = nullptr;
    QMenu* formPageMenu_ = nullptr;
    QLabel* caretPanel_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    // Ends the "Saved" hint after a few seconds.
    QTimer* savedHintTimer_ = nullptr;
    QLabel* formatPanel_ = nullptr;
    QLabel* codePagePanel_ = nullptr;
    QLabel* unitPanel_ = nullptr;
    QMenu* codePageMenu_ = nullptr;
    QAction* defaultCodePageAction_ = nullptr;
    int defaultCodePage_ = 0;
    // The pages chosen for forms, by full path.
    std::map<QString, int> chosenCodePages_;
    FindDialog* findDialog_ = nullptr;
    FindDialog* replaceDialog_ = nullptr;
    PageEditor* findTarget_ = nullptr;
    PageEditor* replaceTarget_ = nullptr;
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
    // Each dialog's file name as set and stored: the name alone after an open or a save as, the
    // full path the user chose in the dialog itself. Qt's dialog only gives back full paths.
    std::map<const QFileDialog*, QString> dialogFileNames_;
    GrepWindow* grepWindow_ = nullptr;
    ObjectViewWindow* objectViewWindow_ = nullptr;
    bool viewBeforeMenuBar_ = false;
    FormViewDock* formView_ = nullptr;
    PropertyInspector* inspector_ = nullptr;
    bool linkingSelection_ = false;
    QMenu* reopenMenu_ = nullptr;
    RecentFiles* recentFiles_ = nullptr;
    std::unique_ptr<WindowSettings> windowSettings_;
    std::unique_ptr<PopupCalculator> calculator_;
    QTimer updateTimer_;
    LintPanel* lintPanel_ = nullptr;
    QStringList ignoredClasses_;
};

}  // namespace dfm
