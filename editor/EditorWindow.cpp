#include "EditorWindow.h"

#include "Clipboard.h"
#include "CodePage.h"
#include "ColorValue.h"
#include "CommandLineFileName.h"
#include "EditorStore.h"
#include "Errors.h"
#include "FormDocument.h"
#include "ObjectViewWindow.h"
#include "WindowSettings.h"
#include "RecentFiles.h"
#include "AboutDialog.h"
#include "FindDialog.h"
#include "FontDialog.h"
#include "GrepWindow.h"
#include "PageEditor.h"
#include "PopupCalculator.h"
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

QFont initialEditorFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    return font;
}

QIcon standardIcon(const char* themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QApplication::style()->standardIcon(fallback));
}

// A page held as bytes of a double-byte code page: searches never match from a trail byte.
const CodePage* searchCodePage(const PageEditor* editor)
{
    return editor->format().encoding == TextFormat::Encoding::hexBytes ? &CodePage::system() : nullptr;
}

QString threeDigits(int value)
{
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

}  // namespace

EditorWindow::EditorWindow(UserPrompts& prompts, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), hintColor_(InitialHintColor)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(InitialCaption);
    resize(611, 499);
    setAcceptDrops(true);
    updateTimer_.setSingleShot(true);
    updateTimer_.setInterval(0);
    connect(&updateTimer_, &QTimer::timeout, this, &EditorWindow::updateCommands);

    createPages();
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createDialogs();
    objectViewWindow_ = new ObjectViewWindow(prompts_, this);
    calculator_ = std::make_unique<PopupCalculator>(prompts_);
    connect(objectViewWindow_, &ObjectViewWindow::showLineRequested, this, &EditorWindow::showLine);
    createWindowSettings();
    setHintColor(hintColor_);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &EditorWindow::scheduleUpdate);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &EditorWindow::scheduleUpdate);

    backupEnabled_ = true;
    const QString name = commandLineFileName(arguments);
    if (!name.isEmpty())
        openFormFile(name);
    backupEnabled_ = windowSettings_->readInteger(EditorStore::CreateBackup, 1) == 1;
    grepWindow_ = new GrepWindow(prompts_, *this, this);
    formPage_->setFocus();
    updateCommands();
}

EditorWindow::~EditorWindow()
{
    // The children still send signals while the window is torn down; none may reach it now.
    qApp->removeEventFilter(this);
    for (QObject* sender : std::initializer_list<QObject*>{qApp, QApplication::clipboard(), pages_, formPage_, unitPage_})
        disconnect(sender, nullptr, this, nullptr);
    windowSettings_->saveAtDestruction();
    windowSettings_->writeInteger(EditorStore::CreateBackup, backupEnabled_ ? 1 : 0);
}

void EditorWindow::createPages()
{
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pc1"));
    const auto addPage = [this](const char* pageName, const char* memoName, const QString& caption,
                                QStyle::StandardPixmap icon) {
        auto* page = new QWidget(pages_);
        page->setObjectName(QString::fromLatin1(pageName));
        auto* memo = new PageEditor(page);
        memo->setObjectName(QString::fromLatin1(memoName));
        memo->setFont(initialEditorFont());
        memo->setTextColor(Qt::white);
        memo->setBackgroundColor(QColor(0, 0, 128));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(memo);
        pages_->addTab(page, QApplication::style()->standardIcon(icon), caption);
        connect(memo, &QPlainTextEdit::textChanged, this, &EditorWindow::pageTextChanged);
        connect(memo, &QPlainTextEdit::cursorPositionChanged, this, &EditorWindow::updateCaretStatus);
        connect(memo, &QPlainTextEdit::selectionChanged, this, &EditorWindow::scheduleUpdate);
        connect(memo, &QPlainTextEdit::undoAvailable, this, &EditorWindow::scheduleUpdate);
        return std::pair{page, memo};
    };
    std::tie(formTab_, formPage_) = addPage("tsDFM", "Memo1", QStringLiteral("&DFM"), QStyle::SP_FileIcon);
    std::tie(unitTab_, unitPage_) =
        addPage("tsPascal", "Memo2", QStringLiteral("&Source"), QStyle::SP_FileDialogDetailedView);
    setCentralWidget(pages_);
    connect(pages_, &QTabWidget::currentChanged, this, [this] {
        updateCaretStatus();
        scheduleUpdate();
    });
}

QAction* EditorWindow::createAction(const char* name, const QString& caption, const QKeySequence& shortcut, const char* group,
                           const QString& hint, const QIcon& icon, void (EditorWindow::*execute)())
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
        runCommand([this, execute] { (this->*execute)(); });
        scheduleUpdate();
    });
    addAction(action);
    return action;
}

void EditorWindow::createActions()
{
    const QKeySequence none;
    actFileOpen_ = createAction("ActFileOpen", QStringLiteral("&Open file"), QKeySequence(Qt::CTRL | Qt::Key_O), "CatFile",
                             QStringLiteral("Open DFM|Open a DFM to explore"),
                             standardIcon("document-open", QStyle::SP_DialogOpenButton), &EditorWindow::openFromDialog);
    actFileSave_ = createAction("ActFileSave", QStringLiteral("&Save file"), QKeySequence(Qt::CTRL | Qt::Key_S), "CatFile",
                             QStringLiteral("Save|Save current DFM"),
                             standardIcon("document-save", QStyle::SP_DialogSaveButton), &EditorWindow::saveCommand);
    actSaveAs_ = createAction("ActSaveAs", QStringLiteral("Save &as"), none, "CatFile",
                           QStringLiteral("Save as|Save current form as..."),
                           standardIcon("document-save-as", QStyle::SP_DriveFDIcon), &EditorWindow::saveAsCommand);
    actGrep_ = createAction("ActGrep", QStringLiteral("&Grep"), QKeySequence(Qt::ALT | Qt::Key_G), "CatFile",
                         QStringLiteral("Grep|Search for files on disk"),
                         standardIcon("system-search", QStyle::SP_FileDialogContentsView), &EditorWindow::showGrepWindow);
    actObjectView_ = createAction("ActObjectView", QStringLiteral("&Object view"), none, "Tools",
                               QStringLiteral("Show hierarchical object view"),
                               standardIcon("view-list-tree", QStyle::SP_FileDialogListView),
                               &EditorWindow::showObjectView);
    actExit_ = createAction("ActExit", QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_X), "CatFile",
                         QStringLiteral("Close application"),
                         standardIcon("application-exit", QStyle::SP_DialogCloseButton), &EditorWindow::exitProgram);
    actUndo_ = createAction("Actundo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), "Edition",
                         QStringLiteral("UndoUndo last change"), standardIcon("edit-undo", QStyle::SP_ArrowBack),
                         &EditorWindow::undoLastChange);
    copyAction_ = createAction("Copier1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), "Edition",
                         QStringLiteral("Copy|Copy text"), standardIcon("edit-copy", QStyle::SP_FileLinkIcon),
                         &EditorWindow::copySelection);
    cutAction_ = createAction("Couper1", QStringLiteral("C&ut"), QKeySequence(Qt::CTRL | Qt::Key_X), "Edition",
                         QStringLiteral("Cut|Cut text"), standardIcon("edit-cut", QStyle::SP_TrashIcon),
                         &EditorWindow::cutSelection);
    pasteAction_ = createAction("Coller1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), "Edition",
                         QStringLiteral("Paste|Paste from clipboard"),
                         standardIcon("edit-paste", QStyle::SP_DialogApplyButton), &EditorWindow::pasteClipboard);
    actFind_ = createAction("ActFind", QStringLiteral("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F), "Edition",
                         QStringLiteral("Find|Find text"),
                         standardIcon("edit-find", QStyle::SP_FileDialogContentsView), &EditorWindow::showFindDialog);
    actReplace_ = createAction("ActReplace", QStringLiteral("&Replace"), QKeySequence(Qt::CTRL | Qt::Key_R), "Edition",
                            QStringLiteral("Replace|Replace text"),
                            standardIcon("edit-find-replace", QStyle::SP_BrowserReload), &EditorWindow::showReplaceDialog);
    actUpSize_ = createAction("ActUpSize", QStringLiteral("Up&size font"), none, "Edition",
                           QStringLiteral("Upsize font|Upsize memo font"),
                           standardIcon("zoom-in", QStyle::SP_ArrowUp), &EditorWindow::enlargeFont);
    actDownSize_ = createAction("ActDownSize", QStringLiteral("&Downsize font"), none, "Edition",
                             QStringLiteral("Downsize font|Downsize memo font"),
                             standardIcon("zoom-out", QStyle::SP_ArrowDown), &EditorWindow::reduceFont);
    actCancelModified_ =
        createAction("ActCancelModified", QStringLiteral("Cancel &modified flag"), none, "Edition",
                  QStringLiteral("Cancel \"Modified\"|Cancel \"modified\" flag to avoid auto saving"),
                  standardIcon("edit-clear", QStyle::SP_DialogResetButton), &EditorWindow::clearModifiedFlags);
    actFont_ = createAction("ActFont", QStringLiteral("Change &font"), none, "Tools", QStringLiteral("Font|Change font"),
                         standardIcon("preferences-desktop-font", QStyle::SP_FileDialogInfoView),
                         &EditorWindow::chooseFont);
    actCalc_ = createAction("ActCalc", QStringLiteral("&Calculator"), none, "Tools",
                         QStringLiteral("Calculator|Popup calculator"),
                         standardIcon("accessories-calculator", QStyle::SP_ComputerIcon), &EditorWindow::showCalculator);
    actHint_ = createAction("ActHint", QStringLiteral("Display &hints"), none, "Tools",
                         QStringLiteral("Hints|Switch on / off hint display"), QIcon(), &EditorWindow::toggleHints);
    actHintColor_ = createAction("ActHintColor", QStringLiteral("Hint c&olor"), none, "Tools",
                              QStringLiteral("Hints color|CHange hints color"), QIcon(), &EditorWindow::chooseHintColor);
    actBackground_ = createAction("ActBackground", QStringLiteral("Bac&kground color"), none, "Tools",
                               QStringLiteral("Background|Change background color"), QIcon(),
                               &EditorWindow::chooseBackgroundColor);
    actCreateBackup_ = createAction("ActCreateBackup", QStringLiteral("Create backup"), none, "Tools",
                                 QStringLiteral("Create backup of modified DFM and PAS files (D$$ and P$$)"), QIcon(),
                                 &EditorWindow::toggleBackups);
    aboutAction_ = createAction("About1", QStringLiteral("&About"), none, "Help", QString(), QIcon(), &EditorWindow::showAbout);
    actHint_->setCheckable(true);
    actCreateBackup_->setCheckable(true);
    actFileSave_->setEnabled(false);
    actSaveAs_->setEnabled(false);

    findDeclarationAction_ = new QAction(QStringLiteral("Find &declaration"), formPage_);
    findDeclarationAction_->setObjectName(QStringLiteral("Finddeclaration1"));
    findDeclarationAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    findImplementationAction_ = new QAction(QStringLiteral("Find &implementation"), formPage_);
    findImplementationAction_->setObjectName(QStringLiteral("Findimplementation1"));
    findImplementationAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I));
    for (QAction* entry : {findDeclarationAction_, findImplementationAction_}) {
        // The shortcuts act while the form page's editor has the focus.
        entry->setShortcutContext(Qt::WidgetShortcut);
        formPage_->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry] {
            runCommand([this, entry] {
                findDeclaration(entry == findDeclarationAction_ ? DeclarationFinder::Mode::Declaration
                                                           : DeclarationFinder::Mode::Implementation);
            });
        });
    }
    formPageMenu_ = new QMenu(this);
    formPageMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    formPageMenu_->addAction(findDeclarationAction_);
    formPageMenu_->addAction(findImplementationAction_);
    formPage_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(formPage_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { formPageMenu_->popup(formPage_->viewport()->mapToGlobal(at)); });
}

void EditorWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(actFileOpen_);
    reopenMenu_ = file->addMenu(QStringLiteral("Re-open ..."));
    reopenMenu_->setObjectName(QStringLiteral("Reopen1"));
    recentFiles_ = new RecentFiles(reopenMenu_, this);
    connect(recentFiles_, &RecentFiles::chosen, this, &EditorWindow::openFormFile);
    file->addAction(actFileSave_);
    file->addSeparator();
    file->addAction(actSaveAs_);
    file->addSeparator();
    file->addAction(actExit_);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(actUndo_);
    edit->addSeparator();
    edit->addActions({cutAction_, copyAction_, pasteAction_});
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
    help->addAction(aboutAction_);
}

void EditorWindow::createToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    const QList<QList<QAction*>> groups = {
        {actFileOpen_, actFileSave_, actSaveAs_},
        {actGrep_},
        {actUndo_},
        {copyAction_, cutAction_, pasteAction_},
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

void EditorWindow::createStatusBar()
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

void EditorWindow::createWindowSettings()
{
    windowSettings_ = std::make_unique<WindowSettings>(*this, EditorStore::File, EditorStore::Section, prompts_, true);
    windowSettings_->setRecentFiles(recentFiles_, EditorStore::RecentFilesSection);
    const auto addDialog = [this](const QString& fileName, const QString& initialDir, QFileDialog* dialog) {
        windowSettings_->addText(
            fileName,
            [dialog] {
                const QString chosen = dialog->selectedFiles().value(0);
                return QFileInfo(chosen).isDir() ? QString() : chosen;
            },
            [dialog](const QString& text) { dialog->selectFile(text); });
        windowSettings_->addText(
            initialDir, [dialog] { return dialog->directory().absolutePath(); },
            [dialog](const QString& text) { dialog->setDirectory(text); });
    };
    addDialog(EditorStore::OpenDialogFileName, EditorStore::OpenDialogInitialDir, openDialog_);
    addDialog(EditorStore::SaveDialogFileName, EditorStore::SaveDialogInitialDir, saveDialog_);
    const auto addPage = [this](const QString& colorName, const QString& fontName, PageEditor* memo) {
        windowSettings_->addColor(
            colorName, [memo] { return ColorValue::fromColor(memo->backgroundColor()); },
            [memo](std::int32_t value) { memo->setBackgroundColor(ColorValue::toColor(value)); });
        windowSettings_->addFont(
            fontName, [memo] { return memo->font(); }, [memo] { return ColorValue::fromColor(memo->textColor()); },
            [memo](const QFont& font, std::int32_t color) {
                memo->setFont(font);
                memo->setTextColor(ColorValue::toColor(color));
            });
    };
    addPage(EditorStore::FormPageColor, EditorStore::FormPageFont, formPage_);
    addPage(EditorStore::UnitPageColor, EditorStore::UnitPageFont, unitPage_);
    windowSettings_->addBoolean(
        EditorStore::ShowHints, [this] { return showHints_; }, [this](bool on) { showHints_ = on; });
    windowSettings_->addColor(
        EditorStore::HintColor, [this] { return ColorValue::fromColor(hintColor_); },
        [this](std::int32_t value) { setHintColor(ColorValue::toColor(value)); });
}

void EditorWindow::createDialogs()
{
    findDialog_ = new FindDialog(FindDialog::Kind::Find, this);
    findDialog_->setObjectName(QStringLiteral("FindDialog1"));
    replaceDialog_ = new FindDialog(FindDialog::Kind::Replace, this);
    replaceDialog_->setObjectName(QStringLiteral("ReplaceDialog1"));
    findTarget_ = formPage_;
    replaceTarget_ = formPage_;
    connect(findDialog_, &FindDialog::findNextClicked, this,
            [this] { runCommand([this] { findNext(findDialog_, findTarget_); }); });
    connect(replaceDialog_, &FindDialog::findNextClicked, this,
            [this] { runCommand([this] { findNext(replaceDialog_, replaceTarget_); }); });
    connect(replaceDialog_, &FindDialog::replaceClicked, this, [this] { runCommand([this] { replaceText(false); }); });
    connect(replaceDialog_, &FindDialog::replaceAllClicked, this,
            [this] { runCommand([this] { replaceText(true); }); });

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

void EditorWindow::runCommand(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        showError(error);
    }
}

void EditorWindow::showError(const std::exception& error)
{
    prompts_.errorBox(UserPrompts::errorBoxText(QString::fromUtf8(error.what())));
}

void EditorWindow::scheduleUpdate()
{
    if (!updateTimer_.isActive())
        updateTimer_.start();
}

PageEditor* EditorWindow::currentPage() const
{
    return pages_->currentWidget() == formTab_ ? formPage_ : unitPage_;
}

PageEditor* EditorWindow::focusedPage() const
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == formPage_ || focus == unitPage_)
        return static_cast<PageEditor*>(focus);
    return nullptr;
}

// The shared change handler of both editors.
void EditorWindow::pageTextChanged()
{
    actFileSave_->setEnabled(true);
    updateCaretStatus();
    scheduleUpdate();
}

void EditorWindow::updateCommands()
{
    PageEditor* current = currentPage();
    PageEditor* focused = focusedPage();
    actUndo_->setEnabled(current->canUndo());
    const bool selection = focused != nullptr && focused->textCursor().hasSelection();
    copyAction_->setEnabled(selection);
    cutAction_->setEnabled(selection);
    pasteAction_->setEnabled(focused != nullptr && clipboardHoldsText());
    const int points = current->font().pointSize();
    actUpSize_->setEnabled(points < 39);
    actDownSize_->setEnabled(points > 7);
    actCancelModified_->setEnabled(formPage_->modified() || unitPage_->modified());
    actHint_->setChecked(showHints_);
    actCreateBackup_->setChecked(backupEnabled_);
}

void EditorWindow::openFormFile(const QString& path)
{
    runCommand([&] {
        const QString extension = FormDocument::extensionOf(path);
        if (extension.compare(QStringLiteral(".DFM"), Qt::CaseInsensitive) != 0) {
            prompts_.notice(QStringLiteral("Can't load \"%1\" file type !").arg(extension));
            return;
        }
        if (actFileSave_->isEnabled()
            && prompts_.askYesNo(QStringLiteral("Save change"),
                                 QStringLiteral("Current form has been modified.\nSave change ?"))) {
            if (!save())
                return;
        }
        // Read everything before the document changes, so that a failed open keeps the old one
        // whole, under its own name.
        const FormDocument::Loaded loaded = FormDocument::load(path);
        const QFileInfo info(path);
        saveDialog_->setDirectory(info.absolutePath());
        saveDialog_->selectFile(info.fileName());
        // A grep search changes the working directory: a relative name would then save elsewhere.
        currentFileName_ = QDir::isRelativePath(path) ? info.absoluteFilePath() : path;
        formPage_->loadText(loaded.formText, PageText::formFormat());
        unitPage_->loadText(loaded.unitText, loaded.unitFormat);
        unitUnreadable_ = loaded.unitUnreadable;
        setWindowTitle(currentFileName_);
        actFileSave_->setEnabled(false);
        actSaveAs_->setEnabled(true);
        updateCaretStatus();
        recentFiles_->add(currentFileName_);
        if (objectViewWindow_->isVisible())
            objectViewWindow_->buildObjectTree(formLines());
    });
    scheduleUpdate();
}

bool EditorWindow::save()
{
    if (currentFileName_.isEmpty())
        return true;
    actFileSave_->setEnabled(false);
    if (!formPage_->modified() && !unitPage_->modified())
        return true;
    const bool writeUnit = !unitUnreadable_ || unitPage_->editedSinceLoad();
    try {
        FormDocument::save({currentFileName_, formPage_->Text(), unitPage_->Text(), unitPage_->format()},
                           backupEnabled_, writeUnit);
    } catch (const ParserError& error) {
        showError(error);
        if (pages_->currentWidget() == formTab_) {
            const QTextBlock line = formPage_->document()->findBlockByNumber(error.line() - 1);
            if (line.isValid())
                formPage_->select(line.position(), 0);
        }
        return false;
    } catch (const std::exception& error) {
        showError(error);
        return false;
    }
    if (writeUnit)
        unitUnreadable_ = false;
    return true;
}

void EditorWindow::saveAs()
{
    if (currentFileName_.isEmpty())
        return;
    if (prompts_.exec(*saveDialog_) != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty())
        return;
    const QString chosen = saveDialog_->selectedFiles().constFirst();
    actFileSave_->setEnabled(false);
    FormDocument::saveAs({chosen, formPage_->Text(), unitPage_->Text(), unitPage_->format()});
    const QFileInfo info(chosen);
    openDialog_->setDirectory(info.absolutePath());
    openDialog_->selectFile(info.fileName());
    setWindowTitle(chosen);
    currentFileName_ = chosen;
    unitUnreadable_ = false;
}

bool EditorWindow::searchText(const QString& text, bool matchCase, bool fromSelectionEnd, PageEditor* editor)
{
    const qsizetype start = fromSelectionEnd ? editor->selectionEnd() : 0;
    const qsizetype at = findInText(editor->Text(), text, matchCase, start, searchCodePage(editor));
    if (at < 0) {
        prompts_.beep();
        return false;
    }
    editor->select(at, text.size());
    updateCaretStatus();
    return true;
}

void EditorWindow::findNext(FindDialog* dialog, PageEditor* target)
{
    searchText(dialog->findText(), dialog->matchCase(), true, target);
}

void EditorWindow::replaceText(bool all)
{
    PageEditor* target = replaceTarget_;
    const QString findText = replaceDialog_->findText();
    const bool matchCase = replaceDialog_->matchCase();
    if (all) {
        replaceAll(target, findText, matchCase);
        return;
    }
    if (!sameText(target->textCursor().selectedText(), findText, matchCase)
        && !searchText(findText, matchCase, false, target))
        return;
    QTextCursor cursor = target->textCursor();
    if (!cursor.hasSelection())
        return;
    cursor.insertText(replaceDialog_->replaceText());
    target->setTextCursor(cursor);
}

// Replaces the selection when it is the find text, then every occurrence after it: each search
// resumes after the text just inserted, so the occurrences are those of the text as it was, found
// in one pass instead of one pass per occurrence.
void EditorWindow::replaceAll(PageEditor* target, const QString& findText, bool matchCase)
{
    const QString replacement = replaceDialog_->replaceText();
    const QTextCursor selection = target->textCursor();
    std::vector<qsizetype> starts;
    if (selection.hasSelection() && sameText(selection.selectedText(), findText, matchCase))
        starts.push_back(selection.selectionStart());
    for (qsizetype at :
         findAllInText(target->Text(), findText, matchCase, selection.selectionEnd(), searchCodePage(target)))
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
        target->select(starts.back() + growth * static_cast<qsizetype>(starts.size() - 1) + replacement.size(), 0);
        updateCaretStatus();
    }
    // The last search, past the final occurrence, finds nothing.
    prompts_.beep();
}

void EditorWindow::showLine(int n)
{
    if (n < 0 || n >= formPage_->lineCount())
        return;
    if (pages_->currentWidget() != formTab_)
        pages_->setCurrentWidget(formTab_);
    const QTextBlock line = formPage_->document()->findBlockByNumber(n);
    const int start = line.position() + std::min(2, line.length() - 1);
    formPage_->select(start, line.position() + line.length() - 1 - start);
    QCoreApplication::processEvents();
    updateCaretStatus();
}

void EditorWindow::findDeclaration(DeclarationFinder::Mode mode)
{
    const int n = formPage_->caretLine() - 1;
    const DeclarationFinder::Target target =
        DeclarationFinder::nameAt(formPage_->line(n), formPage_->Text(), formPage_->selectionStart(), mode);
    if (target.outcome == DeclarationFinder::Outcome::Nothing)
        return;
    if (target.outcome == DeclarationFinder::Outcome::InheritedHasNoDeclaration) {
        prompts_.notice(QStringLiteral("Inherited objects have no declaration..."));
        return;
    }
    const bool implementation = mode == DeclarationFinder::Mode::Implementation;
    if (implementation && !searchText(QStringLiteral("IMPLEMENTATION"), false, false, unitPage_)) {
        prompts_.notice(QStringLiteral("Can't find \"IMPLEMENTATION\" !"));
        return;
    }
    findDialog_->setFindText(target.name);
    if (searchText(target.name, false, implementation, unitPage_))
        pages_->setCurrentWidget(unitTab_);
}

void EditorWindow::updateCaretStatus()
{
    PageEditor* memo = currentPage();
    caretPanel_->setText(
        QStringLiteral("L: %1 C: %2").arg(threeDigits(memo->caretLine()), threeDigits(memo->caretColumn())));
}

QString EditorWindow::caretStatusText() const
{
    return caretPanel_->text();
}

QString EditorWindow::hintLineText() const
{
    return hintPanel_->text();
}

void EditorWindow::openFromDialog()
{
    if (prompts_.exec(*openDialog_) == QDialog::Accepted && !openDialog_->selectedFiles().isEmpty())
        openFormFile(openDialog_->selectedFiles().constFirst());
}

void EditorWindow::saveCommand()
{
    save();
}

void EditorWindow::saveAsCommand()
{
    saveAs();
}

void EditorWindow::showGrepWindow()
{
    grepWindow_->show();
    grepWindow_->raise();
    grepWindow_->activateWindow();
}

void EditorWindow::showObjectView()
{
    objectViewWindow_->buildObjectTree(formLines());
    objectViewWindow_->show();
    objectViewWindow_->raise();
    objectViewWindow_->activateWindow();
}

QStringList EditorWindow::formLines() const
{
    return formPage_->Text().split(u'\n');
}

void EditorWindow::openFoundForm(const QString& path, const QString& key)
{
    openFormFile(path);
    searchText(key, false, false, currentPage());
    findDialog_->setFindText(key);
}

void EditorWindow::exitProgram()
{
    close();
}

void EditorWindow::undoLastChange()
{
    currentPage()->undo();
}

void EditorWindow::copySelection()
{
    if (PageEditor* memo = focusedPage())
        memo->copy();
}

void EditorWindow::cutSelection()
{
    if (PageEditor* memo = focusedPage())
        memo->cut();
}

void EditorWindow::pasteClipboard()
{
    if (PageEditor* memo = focusedPage())
        memo->paste();
}

void EditorWindow::showFindDialog()
{
    findTarget_ = currentPage();
    findDialog_->showAndRaise();
}

void EditorWindow::showReplaceDialog()
{
    replaceTarget_ = currentPage();
    replaceDialog_->showAndRaise();
}

void EditorWindow::changeFontSize(int points)
{
    PageEditor* memo = currentPage();
    QFont font = memo->font();
    font.setPointSize(font.pointSize() + points);
    memo->setUpdatesEnabled(false);
    memo->setFont(font);
    memo->setUpdatesEnabled(true);
}

void EditorWindow::enlargeFont()
{
    changeFontSize(2);
}

void EditorWindow::reduceFont()
{
    changeFontSize(-2);
}

void EditorWindow::clearModifiedFlags()
{
    formPage_->setModified(false);
    unitPage_->setModified(false);
}

void EditorWindow::chooseFont()
{
    FontDialog dialog(this);
    dialog.setChoice(currentPage()->font(), currentPage()->textColor());
    dialog.setSampleBackground(currentPage()->backgroundColor());
    const auto apply = [this, &dialog] {
        currentPage()->setFont(dialog.selectedFont());
        currentPage()->setTextColor(dialog.selectedColor());
    };
    connect(&dialog, &FontDialog::applyClicked, this, apply);
    if (prompts_.exec(dialog) == QDialog::Accepted)
        apply();
}

void EditorWindow::toggleHints()
{
    showHints_ = !showHints_;
}

void EditorWindow::setHintColor(const QColor& color)
{
    hintColor_ = color;
    QPalette colours = QToolTip::palette();
    colours.setColor(QPalette::ToolTipBase, color);
    QToolTip::setPalette(colours);
}

void EditorWindow::chooseHintColor()
{
    QColorDialog dialog(hintColor_, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.exec(dialog) == QDialog::Accepted)
        setHintColor(dialog.selectedColor());
}

void EditorWindow::chooseBackgroundColor()
{
    PageEditor* memo = currentPage();
    QColorDialog dialog(memo->backgroundColor(), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.exec(dialog) == QDialog::Accepted)
        memo->setBackgroundColor(dialog.selectedColor());
}

void EditorWindow::toggleBackups()
{
    backupEnabled_ = !backupEnabled_;
}

void EditorWindow::showCalculator()
{
    calculator_->execute(this);
}

void EditorWindow::showAbout()
{
    AboutDialog about(this);
    prompts_.exec(about);
}

void EditorWindow::closeEvent(QCloseEvent* event)
{
    // Closing saves without asking; only an error keeps the window open.
    if (!save()) {
        event->ignore();
        return;
    }
    event->accept();
    windowSettings_->save();
}

void EditorWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Shown by the program, not brought back from the task bar: the stored settings apply.
    if (!event->spontaneous())
        windowSettings_->restore();
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().constFirst().isLocalFile())
        event->acceptProposedAction();
}

void EditorWindow::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    filesDropped(event->mimeData()->urls());
}

void EditorWindow::filesDropped(const QList<QUrl>& urls)
{
    // The first file only; the others of the same drop are ignored.
    if (!urls.isEmpty() && urls.constFirst().isLocalFile())
        openFormFile(urls.constFirst().toLocalFile());
}

bool EditorWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        hintPanel_->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event)
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
