#include "TForm1.h"

#include "Clipboard.h"
#include "CodePage.h"
#include "ColorValue.h"
#include "CommandLineFileName.h"
#include "Errors.h"
#include "FormDocument.h"
#include "TFObjectView.h"
#include "TFormStorage.h"
#include "TMRUManager.h"
#include "TAboutBox.h"
#include "TFindDialog.h"
#include "TFontDialog.h"
#include "TfrmTernGrep.h"
#include "TMemo.h"
#include "TPopupCalculator.h"
#include "TextRules.h"
#include "TextSearch.h"
#include "UserPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

namespace dfm {

namespace {

const QString InitialCaption = QStringLiteral("Quen Delphi Form Editor");
const QString InitialCaretStatus = QStringLiteral("L: 000 C: 000");
const QString InitialHintLine = QStringLiteral("Open a form file with Ctrl+O");
const QColor InitialHintColor(202, 255, 202);

QFont InitialEditorFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    return font;
}

QIcon StandardIcon(const char* themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QApplication::style()->standardIcon(fallback));
}

// A page held as bytes of a double-byte code page: searches never match from a trail byte.
const CodePage* SearchCodePage(const TMemo* editor)
{
    return editor->Format().encoding == TextFormat::Encoding::Bytes ? &CodePage::System() : nullptr;
}

QString ThreeDigits(int value)
{
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

}  // namespace

TForm1::TForm1(UserPrompts& prompts, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), hintColor_(InitialHintColor)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(InitialCaption);
    resize(611, 499);
    setAcceptDrops(true);
    updateTimer_.setSingleShot(true);
    updateTimer_.setInterval(0);
    connect(&updateTimer_, &QTimer::timeout, this, &TForm1::UpdateCommands);

    CreatePages();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateDialogs();
    frmObjectView_ = new TFObjectView(prompts_, this);
    popupCalculator1_ = std::make_unique<TPopupCalculator>(prompts_);
    connect(frmObjectView_, &TFObjectView::ShowLineRequested, this, &TForm1::ShowLine);
    CreateFormStorage();
    SetHintColor(hintColor_);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &TForm1::ScheduleUpdate);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TForm1::ScheduleUpdate);

    backupEnabled_ = true;
    const QString name = CommandLineFileName(arguments);
    if (!name.isEmpty())
        OpenFormFile(name);
    backupEnabled_ = formStorage1_->ReadInteger(QStringLiteral("CREATEBACKUP"), 1) == 1;
    frmTernGrep_ = new TfrmTernGrep(prompts_, *this, this);
    memo1_->setFocus();
    UpdateCommands();
}

TForm1::~TForm1()
{
    // The children still send signals while the window is torn down; none may reach it now.
    qApp->removeEventFilter(this);
    for (QObject* sender : std::initializer_list<QObject*>{qApp, QApplication::clipboard(), pc1_, memo1_, memo2_})
        disconnect(sender, nullptr, this, nullptr);
    formStorage1_->SaveAtDestruction();
    formStorage1_->WriteInteger(QStringLiteral("CREATEBACKUP"), backupEnabled_ ? 1 : 0);
}

void TForm1::CreatePages()
{
    pc1_ = new QTabWidget(this);
    pc1_->setObjectName(QStringLiteral("pc1"));
    const auto addPage = [this](const char* pageName, const char* memoName, const QString& caption,
                                QStyle::StandardPixmap icon) {
        auto* page = new QWidget(pc1_);
        page->setObjectName(QString::fromLatin1(pageName));
        auto* memo = new TMemo(page);
        memo->setObjectName(QString::fromLatin1(memoName));
        memo->setFont(InitialEditorFont());
        memo->SetTextColor(Qt::white);
        memo->SetBackgroundColor(QColor(0, 0, 128));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(memo);
        pc1_->addTab(page, QApplication::style()->standardIcon(icon), caption);
        connect(memo, &QPlainTextEdit::textChanged, this, &TForm1::MemoChange);
        connect(memo, &QPlainTextEdit::cursorPositionChanged, this, &TForm1::UpdateCaretStatus);
        connect(memo, &QPlainTextEdit::selectionChanged, this, &TForm1::ScheduleUpdate);
        connect(memo, &QPlainTextEdit::undoAvailable, this, &TForm1::ScheduleUpdate);
        return std::pair{page, memo};
    };
    std::tie(tsDFM_, memo1_) = addPage("tsDFM", "Memo1", QStringLiteral("&DFM"), QStyle::SP_FileIcon);
    std::tie(tsPascal_, memo2_) =
        addPage("tsPascal", "Memo2", QStringLiteral("&Source"), QStyle::SP_FileDialogDetailedView);
    setCentralWidget(pc1_);
    connect(pc1_, &QTabWidget::currentChanged, this, [this] {
        UpdateCaretStatus();
        ScheduleUpdate();
    });
}

QAction* TForm1::AddAction(const char* name, const QString& caption, const QKeySequence& shortcut, const char* group,
                           const QString& hint, const QIcon& icon, void (TForm1::*execute)())
{
    auto* action = new QAction(icon, caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setProperty("category", QString::fromLatin1(group));
    // Short part: the tooltip; long part: the status bar's hint line.
    const qsizetype bar = hint.indexOf(u'|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    connect(action, &QAction::triggered, this, [this, execute] {
        RunCommand([this, execute] { (this->*execute)(); });
        ScheduleUpdate();
    });
    addAction(action);
    return action;
}

void TForm1::CreateActions()
{
    const QKeySequence none;
    actFileOpen_ = AddAction("ActFileOpen", QStringLiteral("&Open file"), QKeySequence(Qt::CTRL | Qt::Key_O), "CatFile",
                             QStringLiteral("Open DFM|Open a DFM to explore"),
                             StandardIcon("document-open", QStyle::SP_DialogOpenButton), &TForm1::ActFileOpenExecute);
    actFileSave_ = AddAction("ActFileSave", QStringLiteral("&Save file"), QKeySequence(Qt::CTRL | Qt::Key_S), "CatFile",
                             QStringLiteral("Save|Save current DFM"),
                             StandardIcon("document-save", QStyle::SP_DialogSaveButton), &TForm1::ActFileSaveExecute);
    actSaveAs_ = AddAction("ActSaveAs", QStringLiteral("Save &as"), none, "CatFile",
                           QStringLiteral("Save as|Save current form as..."),
                           StandardIcon("document-save-as", QStyle::SP_DriveFDIcon), &TForm1::ActSaveAsExecute);
    actGrep_ = AddAction("ActGrep", QStringLiteral("&Grep"), QKeySequence(Qt::ALT | Qt::Key_G), "CatFile",
                         QStringLiteral("Grep|Search for files on disk"),
                         StandardIcon("system-search", QStyle::SP_FileDialogContentsView), &TForm1::ActGrepExecute);
    actObjectView_ = AddAction("ActObjectView", QStringLiteral("&Object view"), none, "Tools",
                               QStringLiteral("Show hierarchical object view"),
                               StandardIcon("view-list-tree", QStyle::SP_FileDialogListView),
                               &TForm1::ActObjectViewExecute);
    actExit_ = AddAction("ActExit", QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_X), "CatFile",
                         QStringLiteral("Close application"),
                         StandardIcon("application-exit", QStyle::SP_DialogCloseButton), &TForm1::ActExitExecute);
    actUndo_ = AddAction("Actundo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), "Edition",
                         QStringLiteral("UndoUndo last change"), StandardIcon("edit-undo", QStyle::SP_ArrowBack),
                         &TForm1::ActundoExecute);
    copier1_ = AddAction("Copier1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), "Edition",
                         QStringLiteral("Copy|Copy text"), StandardIcon("edit-copy", QStyle::SP_FileLinkIcon),
                         &TForm1::Copier1Execute);
    couper1_ = AddAction("Couper1", QStringLiteral("C&ut"), QKeySequence(Qt::CTRL | Qt::Key_X), "Edition",
                         QStringLiteral("Cut|Cut text"), StandardIcon("edit-cut", QStyle::SP_TrashIcon),
                         &TForm1::Couper1Execute);
    coller1_ = AddAction("Coller1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), "Edition",
                         QStringLiteral("Paste|Paste from clipboard"),
                         StandardIcon("edit-paste", QStyle::SP_DialogApplyButton), &TForm1::Coller1Execute);
    actFind_ = AddAction("ActFind", QStringLiteral("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F), "Edition",
                         QStringLiteral("Find|Find text"),
                         StandardIcon("edit-find", QStyle::SP_FileDialogContentsView), &TForm1::ActFindExecute);
    actReplace_ = AddAction("ActReplace", QStringLiteral("&Replace"), QKeySequence(Qt::CTRL | Qt::Key_R), "Edition",
                            QStringLiteral("Replace|Replace text"),
                            StandardIcon("edit-find-replace", QStyle::SP_BrowserReload), &TForm1::ActReplaceExecute);
    actUpSize_ = AddAction("ActUpSize", QStringLiteral("Up&size font"), none, "Edition",
                           QStringLiteral("Upsize font|Upsize memo font"),
                           StandardIcon("zoom-in", QStyle::SP_ArrowUp), &TForm1::ActUpSizeExecute);
    actDownSize_ = AddAction("ActDownSize", QStringLiteral("&Downsize font"), none, "Edition",
                             QStringLiteral("Downsize font|Downsize memo font"),
                             StandardIcon("zoom-out", QStyle::SP_ArrowDown), &TForm1::ActDownSizeExecute);
    actCancelModified_ =
        AddAction("ActCancelModified", QStringLiteral("Cancel &modified flag"), none, "Edition",
                  QStringLiteral("Cancel \"Modified\"|Cancel \"modified\" flag to avoid auto saving"),
                  StandardIcon("edit-clear", QStyle::SP_DialogResetButton), &TForm1::ActCancelModifiedExecute);
    actFont_ = AddAction("ActFont", QStringLiteral("Change &font"), none, "Tools", QStringLiteral("Font|Change font"),
                         StandardIcon("preferences-desktop-font", QStyle::SP_FileDialogInfoView),
                         &TForm1::ActFontExecute);
    actCalc_ = AddAction("ActCalc", QStringLiteral("&Calculator"), none, "Tools",
                         QStringLiteral("Calculator|Popup calculator"),
                         StandardIcon("accessories-calculator", QStyle::SP_ComputerIcon), &TForm1::ActCalcExecute);
    actHint_ = AddAction("ActHint", QStringLiteral("Display &hints"), none, "Tools",
                         QStringLiteral("Hints|Switch on / off hint display"), QIcon(), &TForm1::ActHintExecute);
    actHintColor_ = AddAction("ActHintColor", QStringLiteral("Hint c&olor"), none, "Tools",
                              QStringLiteral("Hints color|CHange hints color"), QIcon(), &TForm1::ActHintColorExecute);
    actBackground_ = AddAction("ActBackground", QStringLiteral("Bac&kground color"), none, "Tools",
                               QStringLiteral("Background|Change background color"), QIcon(),
                               &TForm1::ActBackgroundExecute);
    actCreateBackup_ = AddAction("ActCreateBackup", QStringLiteral("Create backup"), none, "Tools",
                                 QStringLiteral("Create backup of modified DFM and PAS files (D$$ and P$$)"), QIcon(),
                                 &TForm1::ActCreateBackupExecute);
    about1_ = AddAction("About1", QStringLiteral("&About"), none, "Help", QString(), QIcon(), &TForm1::About1Execute);
    actHint_->setCheckable(true);
    actCreateBackup_->setCheckable(true);
    actFileSave_->setEnabled(false);
    actSaveAs_->setEnabled(false);

    findDeclaration1_ = new QAction(QStringLiteral("Find &declaration"), memo1_);
    findDeclaration1_->setObjectName(QStringLiteral("Finddeclaration1"));
    findDeclaration1_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    findImplementation1_ = new QAction(QStringLiteral("Find &implementation"), memo1_);
    findImplementation1_->setObjectName(QStringLiteral("Findimplementation1"));
    findImplementation1_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I));
    for (QAction* entry : {findDeclaration1_, findImplementation1_}) {
        // The shortcuts act while the form page's editor has the focus.
        entry->setShortcutContext(Qt::WidgetShortcut);
        memo1_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry] {
            RunCommand([this, entry] {
                FindDeclaration(entry == findDeclaration1_ ? DeclarationFinder::Mode::Declaration
                                                           : DeclarationFinder::Mode::Implementation);
            });
        });
    }
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    popupMenu1_->addAction(findDeclaration1_);
    popupMenu1_->addAction(findImplementation1_);
    memo1_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo1_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu1_->popup(memo1_->viewport()->mapToGlobal(at)); });
}

void TForm1::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(actFileOpen_);
    reopen1_ = file->addMenu(QStringLiteral("Re-open ..."));
    reopen1_->setObjectName(QStringLiteral("Reopen1"));
    mruManager1_ = new TMRUManager(reopen1_, this);
    connect(mruManager1_, &TMRUManager::Chosen, this, &TForm1::OpenFormFile);
    file->addAction(actFileSave_);
    file->addSeparator();
    file->addAction(actSaveAs_);
    file->addSeparator();
    file->addAction(actExit_);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(actUndo_);
    edit->addSeparator();
    edit->addActions({couper1_, copier1_, coller1_});
    edit->addSeparator();
    edit->addActions({actFind_, actReplace_});
    edit->addSeparator();
    edit->addAction(actCancelModified_);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(actObjectView_);
    tools->addSeparator();
    tools->addActions({actGrep_, actCalc_});
    tools->addSeparator();
    tools->addActions({actDownSize_, actUpSize_, actFont_, actHint_, actHintColor_, actBackground_, actCreateBackup_});

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(about1_);
}

void TForm1::CreateToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    const QList<QList<QAction*>> groups = {
        {actFileOpen_, actFileSave_, actSaveAs_},
        {actGrep_},
        {actUndo_},
        {copier1_, couper1_, coller1_},
        {actFind_, actReplace_},
        {actUpSize_, actDownSize_, actFont_},
        {actCalc_},
        {actObjectView_},
        {actCancelModified_},
        {actExit_},
    };
    for (const QList<QAction*>& group : groups) {
        if (!bar->actions().isEmpty())
            bar->addSeparator();
        bar->addActions(group);
    }
}

void TForm1::CreateStatusBar()
{
    caretPanel_ = new QLabel(InitialCaretStatus, this);
    caretPanel_->setObjectName(QStringLiteral("CaretPanel"));
    caretPanel_->setAlignment(Qt::AlignCenter);
    caretPanel_->setFixedWidth(100);
    hintPanel_ = new QLabel(InitialHintLine, this);
    hintPanel_->setObjectName(QStringLiteral("HintPanel"));
    hintPanel_->setMinimumWidth(100);
    statusBar()->addWidget(caretPanel_);
    statusBar()->addWidget(hintPanel_, 1);
}

void TForm1::CreateFormStorage()
{
    formStorage1_ = std::make_unique<TFormStorage>(*this, TFormStorage::Store::Registry, QStringLiteral("TForm1"),
                                                   prompts_, true);
    formStorage1_->SetRecentFiles(mruManager1_);
    const auto addDialog = [this](const QString& name, QFileDialog* dialog) {
        formStorage1_->AddText(
            name + QStringLiteral("_FileName"),
            [dialog] {
                const QString chosen = dialog->selectedFiles().value(0);
                return QFileInfo(chosen).isDir() ? QString() : chosen;
            },
            [dialog](const QString& text) { dialog->selectFile(text); });
        formStorage1_->AddText(
            name + QStringLiteral("_InitialDir"), [dialog] { return dialog->directory().absolutePath(); },
            [dialog](const QString& text) { dialog->setDirectory(text); });
    };
    addDialog(QStringLiteral("OpenDialog1"), openDialog_);
    addDialog(QStringLiteral("SaveDialog1"), saveDialog_);
    for (TMemo* memo : {memo1_, memo2_}) {
        const QString name = memo->objectName();
        formStorage1_->AddColor(
            name + QStringLiteral("_Color"), [memo] { return ColorValue::FromColor(memo->BackgroundColor()); },
            [memo](std::int32_t value) { memo->SetBackgroundColor(ColorValue::ToColor(value)); });
        formStorage1_->AddFont(
            name + QStringLiteral("_Font"), [memo] { return memo->font(); },
            [memo] { return ColorValue::FromColor(memo->TextColor()); },
            [memo](const QFont& font, std::int32_t color) {
                memo->setFont(font);
                memo->SetTextColor(ColorValue::ToColor(color));
            });
    }
    formStorage1_->AddBoolean(
        QStringLiteral("AppEvents1_ShowHint"), [this] { return showHints_; }, [this](bool on) { showHints_ = on; });
    formStorage1_->AddColor(
        QStringLiteral("AppEvents1_HintColor"), [this] { return ColorValue::FromColor(hintColor_); },
        [this](std::int32_t value) { SetHintColor(ColorValue::ToColor(value)); });
}

void TForm1::CreateDialogs()
{
    findDialog_ = new TFindDialog(TFindDialog::Kind::Find, this);
    findDialog_->setObjectName(QStringLiteral("FindDialog1"));
    replaceDialog_ = new TFindDialog(TFindDialog::Kind::Replace, this);
    replaceDialog_->setObjectName(QStringLiteral("ReplaceDialog1"));
    findTarget_ = memo1_;
    replaceTarget_ = memo1_;
    connect(findDialog_, &TFindDialog::FindNextClicked, this,
            [this] { RunCommand([this] { FindNext(findDialog_, findTarget_); }); });
    connect(replaceDialog_, &TFindDialog::FindNextClicked, this,
            [this] { RunCommand([this] { FindNext(replaceDialog_, replaceTarget_); }); });
    connect(replaceDialog_, &TFindDialog::ReplaceClicked, this, [this] { RunCommand([this] { ReplaceText(false); }); });
    connect(replaceDialog_, &TFindDialog::ReplaceAllClicked, this,
            [this] { RunCommand([this] { ReplaceText(true); }); });

    openDialog_ = new QFileDialog(this, QStringLiteral("Open DFM ..."));
    openDialog_->setObjectName(QStringLiteral("OpenDialog1"));
    openDialog_->setOption(QFileDialog::DontUseNativeDialog);
    openDialog_->setFileMode(QFileDialog::ExistingFile);
    openDialog_->setNameFilters({QStringLiteral("Delphi Form (*.dfm *.DFM *.Dfm)"), QStringLiteral("All (*)")});
    openDialog_->setDefaultSuffix(QStringLiteral("DFM"));
    saveDialog_ = new QFileDialog(this);
    saveDialog_->setObjectName(QStringLiteral("SaveDialog1"));
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setFileMode(QFileDialog::AnyFile);
}

void TForm1::RunCommand(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TForm1::ShowError(const std::exception& error)
{
    prompts_.ErrorBox(UserPrompts::ErrorBoxText(QString::fromUtf8(error.what())));
}

void TForm1::ScheduleUpdate()
{
    if (!updateTimer_.isActive())
        updateTimer_.start();
}

TMemo* TForm1::CurrentMemo() const
{
    return pc1_->currentWidget() == tsDFM_ ? memo1_ : memo2_;
}

TMemo* TForm1::FocusedMemo() const
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == memo1_ || focus == memo2_)
        return static_cast<TMemo*>(focus);
    return nullptr;
}

// The shared change handler of both editors.
void TForm1::MemoChange()
{
    actFileSave_->setEnabled(true);
    UpdateCaretStatus();
    ScheduleUpdate();
}

void TForm1::UpdateCommands()
{
    TMemo* current = CurrentMemo();
    TMemo* focused = FocusedMemo();
    actUndo_->setEnabled(current->CanUndo());
    const bool selection = focused != nullptr && focused->textCursor().hasSelection();
    copier1_->setEnabled(selection);
    couper1_->setEnabled(selection);
    coller1_->setEnabled(focused != nullptr && ClipboardHoldsText());
    const int points = current->font().pointSize();
    actUpSize_->setEnabled(points < 39);
    actDownSize_->setEnabled(points > 7);
    actCancelModified_->setEnabled(memo1_->Modified() || memo2_->Modified());
    actHint_->setChecked(showHints_);
    actCreateBackup_->setChecked(backupEnabled_);
}

void TForm1::OpenFormFile(const QString& path)
{
    RunCommand([&] {
        const QString extension = FormDocument::ExtensionOf(path);
        if (extension.compare(QStringLiteral(".DFM"), Qt::CaseInsensitive) != 0) {
            prompts_.Notice(QStringLiteral("Can't load \"%1\" file type !").arg(extension));
            return;
        }
        if (actFileSave_->isEnabled()
            && prompts_.AskYesNo(QStringLiteral("Save change"),
                                 QStringLiteral("Current form has been modified.\nSave change ?"))) {
            if (!Save())
                return;
        }
        // Read everything before the document changes, so that a failed open keeps the old one
        // whole, under its own name.
        const FormDocument::Loaded loaded = FormDocument::Load(path);
        const QFileInfo info(path);
        saveDialog_->setDirectory(info.absolutePath());
        saveDialog_->selectFile(info.fileName());
        // A grep search changes the working directory: a relative name would then save elsewhere.
        currentFileName_ = QDir::isRelativePath(path) ? info.absoluteFilePath() : path;
        memo1_->LoadText(loaded.formText, PageText::FormFormat());
        memo2_->LoadText(loaded.unitText, loaded.unitFormat);
        unitUnreadable_ = loaded.unitUnreadable;
        setWindowTitle(currentFileName_);
        actFileSave_->setEnabled(false);
        actSaveAs_->setEnabled(true);
        UpdateCaretStatus();
        mruManager1_->Add(currentFileName_);
        if (frmObjectView_->isVisible())
            frmObjectView_->BuildObjectTree(FormLines());
    });
    ScheduleUpdate();
}

bool TForm1::Save()
{
    if (currentFileName_.isEmpty())
        return true;
    actFileSave_->setEnabled(false);
    if (!memo1_->Modified() && !memo2_->Modified())
        return true;
    const bool writeUnit = !unitUnreadable_ || memo2_->EditedSinceLoad();
    try {
        FormDocument::Save({currentFileName_, memo1_->Text(), memo2_->Text(), memo2_->Format()},
                           backupEnabled_, writeUnit);
    } catch (const EParserError& error) {
        ShowError(error);
        if (pc1_->currentWidget() == tsDFM_) {
            const QTextBlock line = memo1_->document()->findBlockByNumber(error.line() - 1);
            if (line.isValid())
                memo1_->Select(line.position(), 0);
        }
        return false;
    } catch (const std::exception& error) {
        ShowError(error);
        return false;
    }
    if (writeUnit)
        unitUnreadable_ = false;
    return true;
}

void TForm1::SaveAs()
{
    if (currentFileName_.isEmpty())
        return;
    if (prompts_.Exec(*saveDialog_) != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty())
        return;
    const QString chosen = saveDialog_->selectedFiles().constFirst();
    actFileSave_->setEnabled(false);
    FormDocument::SaveAs({chosen, memo1_->Text(), memo2_->Text(), memo2_->Format()});
    const QFileInfo info(chosen);
    openDialog_->setDirectory(info.absolutePath());
    openDialog_->selectFile(info.fileName());
    setWindowTitle(chosen);
    currentFileName_ = chosen;
    unitUnreadable_ = false;
}

bool TForm1::SearchText(const QString& text, bool matchCase, bool fromSelectionEnd, TMemo* editor)
{
    const qsizetype start = fromSelectionEnd ? editor->SelectionEnd() : 0;
    const qsizetype at = FindInText(editor->Text(), text, matchCase, start, SearchCodePage(editor));
    if (at < 0) {
        prompts_.Beep();
        return false;
    }
    editor->Select(at, text.size());
    UpdateCaretStatus();
    return true;
}

void TForm1::FindNext(TFindDialog* dialog, TMemo* target)
{
    SearchText(dialog->FindText(), dialog->MatchCase(), true, target);
}

void TForm1::ReplaceText(bool all)
{
    TMemo* target = replaceTarget_;
    const QString findText = replaceDialog_->FindText();
    const bool matchCase = replaceDialog_->MatchCase();
    if (all) {
        ReplaceAll(target, findText, matchCase);
        return;
    }
    if (!SameText(target->textCursor().selectedText(), findText, matchCase)
        && !SearchText(findText, matchCase, false, target))
        return;
    QTextCursor cursor = target->textCursor();
    if (!cursor.hasSelection())
        return;
    cursor.insertText(replaceDialog_->ReplaceText());
    target->setTextCursor(cursor);
}

// Replaces the selection when it is the find text, then every occurrence after it: each search
// resumes after the text just inserted, so the occurrences are those of the text as it was, found
// in one pass instead of one pass per occurrence.
void TForm1::ReplaceAll(TMemo* target, const QString& findText, bool matchCase)
{
    const QString replacement = replaceDialog_->ReplaceText();
    const QTextCursor selection = target->textCursor();
    std::vector<qsizetype> starts;
    if (selection.hasSelection() && SameText(selection.selectedText(), findText, matchCase))
        starts.push_back(selection.selectionStart());
    for (qsizetype at :
         FindAllInText(target->Text(), findText, matchCase, selection.selectionEnd(), SearchCodePage(target)))
        starts.push_back(at);
    if (!starts.empty()) {
        // Back to front, so that the offsets still to replace stay valid; one undo step.
        QTextCursor edit(target->document());
        edit.beginEditBlock();
        for (auto at = starts.rbegin(); at != starts.rend(); ++at) {
            edit.setPosition(static_cast<int>(*at));
            edit.setPosition(static_cast<int>(*at + findText.size()), QTextCursor::KeepAnchor);
            edit.insertText(replacement);
        }
        edit.endEditBlock();
        const qsizetype growth = replacement.size() - findText.size();
        target->Select(starts.back() + growth * static_cast<qsizetype>(starts.size() - 1) + replacement.size(), 0);
        UpdateCaretStatus();
    }
    // The last search, past the final occurrence, finds nothing.
    prompts_.Beep();
}

void TForm1::ShowLine(int n)
{
    if (n < 0 || n >= memo1_->LineCount())
        return;
    if (pc1_->currentWidget() != tsDFM_)
        pc1_->setCurrentWidget(tsDFM_);
    const QTextBlock line = memo1_->document()->findBlockByNumber(n);
    const int start = line.position() + std::min(2, line.length() - 1);
    memo1_->Select(start, line.position() + line.length() - 1 - start);
    QCoreApplication::processEvents();
    UpdateCaretStatus();
}

void TForm1::FindDeclaration(DeclarationFinder::Mode mode)
{
    const int n = memo1_->CaretLine() - 1;
    const DeclarationFinder::Target target =
        DeclarationFinder::NameAt(memo1_->Line(n), memo1_->Text(), memo1_->SelectionStart(), mode);
    if (target.outcome == DeclarationFinder::Outcome::Nothing)
        return;
    if (target.outcome == DeclarationFinder::Outcome::InheritedHasNoDeclaration) {
        prompts_.Notice(QStringLiteral("Inherited objects have no declaration..."));
        return;
    }
    const bool implementation = mode == DeclarationFinder::Mode::Implementation;
    if (implementation && !SearchText(QStringLiteral("IMPLEMENTATION"), false, false, memo2_)) {
        prompts_.Notice(QStringLiteral("Can't find \"IMPLEMENTATION\" !"));
        return;
    }
    findDialog_->SetFindText(target.name);
    if (SearchText(target.name, false, implementation, memo2_))
        pc1_->setCurrentWidget(tsPascal_);
}

void TForm1::UpdateCaretStatus()
{
    TMemo* memo = CurrentMemo();
    caretPanel_->setText(
        QStringLiteral("L: %1 C: %2").arg(ThreeDigits(memo->CaretLine()), ThreeDigits(memo->CaretColumn())));
}

QString TForm1::CaretStatusText() const
{
    return caretPanel_->text();
}

QString TForm1::HintLineText() const
{
    return hintPanel_->text();
}

void TForm1::ActFileOpenExecute()
{
    if (prompts_.Exec(*openDialog_) == QDialog::Accepted && !openDialog_->selectedFiles().isEmpty())
        OpenFormFile(openDialog_->selectedFiles().constFirst());
}

void TForm1::ActFileSaveExecute()
{
    Save();
}

void TForm1::ActSaveAsExecute()
{
    SaveAs();
}

void TForm1::ActGrepExecute()
{
    frmTernGrep_->show();
    frmTernGrep_->raise();
    frmTernGrep_->activateWindow();
}

void TForm1::ActObjectViewExecute()
{
    frmObjectView_->BuildObjectTree(FormLines());
    frmObjectView_->show();
    frmObjectView_->raise();
    frmObjectView_->activateWindow();
}

QStringList TForm1::FormLines() const
{
    return memo1_->Text().split(u'\n');
}

void TForm1::OpenFoundForm(const QString& path, const QString& key)
{
    OpenFormFile(path);
    SearchText(key, false, false, CurrentMemo());
    findDialog_->SetFindText(key);
}

void TForm1::ActExitExecute()
{
    close();
}

void TForm1::ActundoExecute()
{
    CurrentMemo()->undo();
}

void TForm1::Copier1Execute()
{
    if (TMemo* memo = FocusedMemo())
        memo->copy();
}

void TForm1::Couper1Execute()
{
    if (TMemo* memo = FocusedMemo())
        memo->cut();
}

void TForm1::Coller1Execute()
{
    if (TMemo* memo = FocusedMemo())
        memo->paste();
}

void TForm1::ActFindExecute()
{
    findTarget_ = CurrentMemo();
    findDialog_->ShowAndRaise();
}

void TForm1::ActReplaceExecute()
{
    replaceTarget_ = CurrentMemo();
    replaceDialog_->ShowAndRaise();
}

void TForm1::ChangeFontSize(int points)
{
    TMemo* memo = CurrentMemo();
    QFont font = memo->font();
    font.setPointSize(font.pointSize() + points);
    memo->setUpdatesEnabled(false);
    memo->setFont(font);
    memo->setUpdatesEnabled(true);
}

void TForm1::ActUpSizeExecute()
{
    ChangeFontSize(2);
}

void TForm1::ActDownSizeExecute()
{
    ChangeFontSize(-2);
}

void TForm1::ActCancelModifiedExecute()
{
    memo1_->SetModified(false);
    memo2_->SetModified(false);
}

void TForm1::ActFontExecute()
{
    TFontDialog dialog(this);
    dialog.SetChoice(CurrentMemo()->font(), CurrentMemo()->TextColor());
    dialog.SetSampleBackground(CurrentMemo()->BackgroundColor());
    const auto apply = [this, &dialog] {
        CurrentMemo()->setFont(dialog.SelectedFont());
        CurrentMemo()->SetTextColor(dialog.SelectedColor());
    };
    connect(&dialog, &TFontDialog::ApplyClicked, this, apply);
    if (prompts_.Exec(dialog) == QDialog::Accepted)
        apply();
}

void TForm1::ActHintExecute()
{
    showHints_ = !showHints_;
}

void TForm1::SetHintColor(const QColor& color)
{
    hintColor_ = color;
    QPalette colours = QToolTip::palette();
    colours.setColor(QPalette::ToolTipBase, color);
    QToolTip::setPalette(colours);
}

void TForm1::ActHintColorExecute()
{
    QColorDialog dialog(hintColor_, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.Exec(dialog) == QDialog::Accepted)
        SetHintColor(dialog.selectedColor());
}

void TForm1::ActBackgroundExecute()
{
    TMemo* memo = CurrentMemo();
    QColorDialog dialog(memo->BackgroundColor(), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.Exec(dialog) == QDialog::Accepted)
        memo->SetBackgroundColor(dialog.selectedColor());
}

void TForm1::ActCreateBackupExecute()
{
    backupEnabled_ = !backupEnabled_;
}

void TForm1::ActCalcExecute()
{
    popupCalculator1_->Execute(this);
}

void TForm1::About1Execute()
{
    TAboutBox about(this);
    prompts_.Exec(about);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing saves without asking; only an error keeps the window open.
    if (!Save()) {
        event->ignore();
        return;
    }
    event->accept();
    formStorage1_->Save();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Shown by the program, not brought back from the task bar: the stored settings apply.
    if (!event->spontaneous())
        formStorage1_->Restore();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().constFirst().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    FilesDropped(event->mimeData()->urls());
}

void TForm1::FilesDropped(const QList<QUrl>& urls)
{
    // The first file only; the others of the same drop are ignored.
    if (!urls.isEmpty() && urls.constFirst().isLocalFile())
        OpenFormFile(urls.constFirst().toLocalFile());
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        hintPanel_->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The application-wide tooltip switch.
    if (event->type() == QEvent::ToolTip && !showHints_)
        return true;
    // The hint line follows the control under the mouse, also to one without a hint.
    if (event->type() == QEvent::Enter && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this)
            hintPanel_->setText(widget->statusTip());
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace dfm
