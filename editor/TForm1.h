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

class TFObjectView;
class TFindDialog;
class TFormStorage;
class TMRUManager;
class TMemo;
class TPopupCalculator;
class TfrmTernGrep;
class UserPrompts;

class TForm1 : public QMainWindow, public FormOpener {
    Q_OBJECT
public:
    // arguments: the program's command line; a form named there is opened at once.
    TForm1(UserPrompts& prompts, const QStringList& arguments, QWidget* parent = nullptr);
    ~TForm1() override;

    void OpenFormFile(const QString& path);
    // False when an error stopped it (the error box has been shown).
    bool Save();
    void SaveAs();
    bool SearchText(const QString& text, bool matchCase, bool fromSelectionEnd, TMemo* editor);
    // Brings the 0-based line of the form page into view, selected.
    void ShowLine(int n);
    void FindDeclaration(DeclarationFinder::Mode mode);
    // A form double-clicked in the grep window: open it, select the key, hand it to Find.
    void OpenFoundForm(const QString& path, const QString& key) override;
    // Files dropped from the desktop on the window.
    void FilesDropped(const QList<QUrl>& urls);
    void UpdateCaretStatus();
    // The update rules of the commands; run whenever the application is idle.
    void UpdateCommands();

    QString CurrentFileName() const { return currentFileName_; }
    bool BackupEnabled() const { return backupEnabled_; }
    TMemo* Memo1() const { return memo1_; }
    TMemo* Memo2() const { return memo2_; }
    TMemo* CurrentMemo() const;
    TFindDialog* FindDialog() const { return findDialog_; }
    TFindDialog* ReplaceDialog() const { return replaceDialog_; }
    QFileDialog* OpenDialog() const { return openDialog_; }
    QFileDialog* SaveDialog() const { return saveDialog_; }
    QTabWidget* Pages() const { return pc1_; }
    TfrmTernGrep* GrepWindow() const { return frmTernGrep_; }
    TFObjectView* ObjectView() const { return frmObjectView_; }
    TMRUManager* RecentFiles() const { return mruManager1_; }
    TPopupCalculator* PopupCalculator() const { return popupCalculator1_.get(); }
    QString CaretStatusText() const;
    QString HintLineText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePages();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateDialogs();
    void CreateFormStorage();
    QAction* AddAction(const char* name, const QString& caption, const QKeySequence& shortcut, const char* group,
                       const QString& hint, const QIcon& icon, void (TForm1::*execute)());

    // The command boundary: an error ends the command with the error box.
    void RunCommand(const std::function<void()>& body);
    void ShowError(const std::exception& error);
    void ScheduleUpdate();
    void MemoChange();
    TMemo* FocusedMemo() const;

    void ActFileOpenExecute();
    void ActFileSaveExecute();
    void ActSaveAsExecute();
    void ActGrepExecute();
    void ActObjectViewExecute();
    // The form page's lines, as the object view builds its tree from them.
    QStringList FormLines() const;
    void ActExitExecute();
    void ActundoExecute();
    void Copier1Execute();
    void Couper1Execute();
    void Coller1Execute();
    void ActFindExecute();
    void ActReplaceExecute();
    void ActUpSizeExecute();
    void ActDownSizeExecute();
    void ActCancelModifiedExecute();
    void ActFontExecute();
    void ActCalcExecute();
    void ActHintExecute();
    void ActHintColorExecute();
    void ActBackgroundExecute();
    void ActCreateBackupExecute();
    void About1Execute();
    void FindNext(TFindDialog* dialog, TMemo* target);
    void ReplaceText(bool all);
    void ReplaceAll(TMemo* target, const QString& findText, bool matchCase);
    void ChangeFontSize(int points);
    void SetHintColor(const QColor& color);

    UserPrompts& prompts_;
    QString currentFileName_;
    bool backupEnabled_ = true;
    bool showHints_ = true;
    QColor hintColor_;
    // The unit was there at opening but could not be read: it is not overwritten by the
    // empty page unless the user typed into that page.
    bool unitUnreadable_ = false;

    QTabWidget* pc1_ = nullptr;
    QWidget* tsDFM_ = nullptr;
    QWidget* tsPascal_ = nullptr;
    TMemo* memo1_ = nullptr;
    TMemo* memo2_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    QLabel* caretPanel_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    TFindDialog* findDialog_ = nullptr;
    TFindDialog* replaceDialog_ = nullptr;
    TMemo* findTarget_ = nullptr;
    TMemo* replaceTarget_ = nullptr;
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
    TfrmTernGrep* frmTernGrep_ = nullptr;
    TFObjectView* frmObjectView_ = nullptr;
    QMenu* reopen1_ = nullptr;
    TMRUManager* mruManager1_ = nullptr;
    std::unique_ptr<TFormStorage> formStorage1_;
    std::unique_ptr<TPopupCalculator> popupCalculator1_;
    QTimer updateTimer_;

    QAction* actFileOpen_ = nullptr;
    QAction* actFileSave_ = nullptr;
    QAction* actSaveAs_ = nullptr;
    QAction* actGrep_ = nullptr;
    QAction* actObjectView_ = nullptr;
    QAction* actExit_ = nullptr;
    QAction* actUndo_ = nullptr;
    QAction* copier1_ = nullptr;
    QAction* couper1_ = nullptr;
    QAction* coller1_ = nullptr;
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
    QAction* about1_ = nullptr;
    QAction* findDeclaration1_ = nullptr;
    QAction* findImplementation1_ = nullptr;
};

}  // namespace dfm
