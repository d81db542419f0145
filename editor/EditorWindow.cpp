// The editor window: its pages, its command table with the menus and tool bar built from it, and
// the commands' handlers over the open document.
#include "EditorWindow.h"

#include "AboutDialog.h"
#include "Clipboard.h"
#include "CommandBoundary.h"
#include "CodePage.h"
#include "ColorValue.h"
#include "CommandLayout.h"
#include "CommandLineFileName.h"
#include "DrawnIcon.h"
#include "EditorStore.h"
#include "Errors.h"
#include "FindDialog.h"
#include "FormFileKind.h"
#include "FontDialog.h"
#include "FormFileNames.h"
#include "FormFiles.h"
#include "FormTextSyntax.h"
#include "FormViewDock.h"
#include "GrepWindow.h"
#include "IgnoredClassesDialog.h"
#include "LintPanel.h"
#include "ObjectViewWindow.h"
#include "PageEditor.h"
#include "PascalSyntax.h"
#include "PopupCalculator.h"
#include "PropertyInspector.h"
#include "RecentFiles.h"
#include "SiblingUnits.h"
#include "TextRules.h"
#include "TextSearch.h"
#include "UserPrompts.h"
#include "WindowSettings.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTime>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <optional>

namespace dfm {

namespace {

const QString InitialCaption = QStringLiteral("Quen Delphi Form Editor");
const QString InitialCaretStatus = QStringLiteral("L: 000 C: 000");
const QString InitialHintLine = QStringLiteral("Open a form file with Ctrl+O");
const QColor InitialHintColor(202, 255, 202);
const QString SettingsNotKeptMessage = QStringLiteral("Settings are not kept: no home folder");
// Long enough to be read once the window is up; the message then gives the panels back.
constexpr int SettingsNotKeptShownMs = 15000;
const QString FormFilePatterns = QStringLiteral(" (*.dfm *.lfm *.fmx *.xfm *.DFM *.LFM *.FMX *.XFM)");
const QString FormFilesFilter = QStringLiteral("Form files") + FormFilePatterns;
const QString BinaryFormFilter = QStringLiteral("Binary form file") + FormFilePatterns;
const QString TextFormFilter = QStringLiteral("Text form file") + FormFilePatterns;

// What the status bar says of the open form's storage.
QString formatName(const FormFiles::FormFormat& format)
{
    if (format.kind != FormFileKind::Text)
        return QStringLiteral("Binary");
    return format.text.encoding == TextFormat::Encoding::Utf8 ? QStringLiteral("Text UTF-8") : QStringLiteral("Text");
}

QString codePageName(int number)
{
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(CodePage::name(number))).arg(number);
}

QString codePageStatus(const CodePageChoice& choice)
{
    static const char* const sources[] = {"declared", "detected", "default", "chosen"};
    QString status = codePageName(choice.number) + QStringLiteral(", ") +
                     QString::fromLatin1(sources[static_cast<int>(choice.source)]);
    // The user is told when the form's own declaration was set aside.
    if (choice.declaredInstead != 0)
        status += QStringLiteral(" (the form declares %1, which its strings contradict)").arg(choice.declaredInstead);
    return status;
}

QFont initialEditorFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    return font;
}

QIcon commandIcon(const char* themeName, std::variant<QStyle::StandardPixmap, DrawnPicture> fallback)
{
    const QString name = QString::fromLatin1(themeName);
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    if (const auto* picture = std::get_if<DrawnPicture>(&fallback))
        return drawnIcon(*picture);
    return QApplication::style()->standardIcon(std::get<QStyle::StandardPixmap>(fallback));
}

// A file dialog rewrites the extension of the name typed to the first one of the type the user
// picks (".DFM" to ".dfm"); the name stays as typed. The type box reports a change of type before
// the dialog rewrites the name, and the dialog reports the pick after it.
void keepTypedNameAcrossTypes(QFileDialog* dialog)
{
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (name == nullptr || types == nullptr)
        return;
    auto typed = std::make_shared<QString>();
    QObject::connect(types, &QComboBox::currentIndexChanged, name, [name, typed] { *typed = name->text(); });
    QObject::connect(dialog, &QFileDialog::filterSelected, name, [name, typed] {
        if (name->text() != *typed)
            name->setText(*typed);
    });
}

// What lets the window find a command's row and action by its identifier alone.
constexpr bool rowsInCommandOrder(std::span<const EditorCommand> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (commandIndex(rows[i].id) != i)
            return false;
    }
    return rows.size() == CommandCount;
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

    StoreFile::placeQtStore();
    connect(&document_, &FormDocument::opened, this, &EditorWindow::documentOpened);
    connect(&document_, &FormDocument::saved, this, &EditorWindow::documentSaved);
    connect(&document_, &FormDocument::savedAs, this, &EditorWindow::documentSavedAs);
    connect(&document_, &FormDocument::pageLoaded, this, &EditorWindow::pageLoaded);
    connect(&document_, &FormDocument::codePageChanged, this, [this] {
        codePagePanel_->setText(codePageStatus(document_.codePage()));
        updateCodePageMenu();
    });
    connect(&document_, &FormDocument::formFormatChanged, this,
            [this] { formatPanel_->setText(formatName(document_.formFormat())); });
    // Cancel modified flag follows the pages' marks, Save the document's offer of a save.
    connect(&document_, &FormDocument::modifiedChanged, this, &EditorWindow::updateCommands);
    connect(&document_, &FormDocument::saveOfferedChanged, this, &EditorWindow::updateCommands);
    createPages();
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createDialogs();
    objectViewWindow_ = new ObjectViewWindow(prompts_, this);
    calculator_ = std::make_unique<PopupCalculator>(prompts_);
    connect(objectViewWindow_, &ObjectViewWindow::showLineRequested, this, &EditorWindow::showLine);
    connect(objectViewWindow_, &ObjectViewWindow::codeRequested, this,
            [this](int line) { runCommand(prompts_, [this, line] { showFieldDeclaration(line); }); });
    lintPanel_ = new LintPanel(this);
    lintPanel_->hide();
    addDockWidget(Qt::BottomDockWidgetArea, lintPanel_);
    connect(lintPanel_, &LintPanel::lineRequested, this,
            [this](LintProblem::File file, int line) { showProblemLine(file == LintProblem::File::Unit, line); });
    createFormView();
    createWindowSettings();
    setHintColor(hintColor_);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &EditorWindow::focusChanged);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &EditorWindow::scheduleUpdate);

    defaultCodePage_ = windowSettings_->readInteger(EditorStore::CodePage, CodePage::system().number());
    if (!CodePage::isKnown(defaultCodePage_))
        defaultCodePage_ = CodePage::system().number();
    updateCodePageMenu();
    const QString name = commandLineFileName(arguments);
    if (!name.isEmpty())
        openFormFile(name);
    document_.setBackupEnabled(windowSettings_->readInteger(EditorStore::CreateBackup, 1) == 1);
    grepWindow_ = new GrepWindow(prompts_, *this, this);
    formPage_->setFocus();
    updateCommands();
}

EditorWindow::~EditorWindow()
{
    // The children still send signals while the window is torn down; none may reach it now.
    qApp->removeEventFilter(this);
    for (QObject* sender : std::initializer_list<QObject*>{qApp, QApplication::clipboard(), pages_, formPage_, unitPage_,
                                                           &document_, formView_, objectViewWindow_})
        disconnect(sender, nullptr, this, nullptr);
    windowSettings_->saveAtDestruction();
    windowSettings_->writeInteger(EditorStore::CreateBackup, document_.backupEnabled() ? 1 : 0);
    // The pages, the inspector and the form view show the document, which goes before the
    // window's children would.
    delete pages_;
    delete inspector_;
    delete formView_;
}

void EditorWindow::createPages()
{
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pc1"));
    const auto addPage = [this](FormDocument::Page text, const char* pageName, const char* memoName,
                                const QString& caption, QStyle::StandardPixmap icon,
                                PageHighlighter::LineScanner syntax) {
        auto* page = new QWidget(pages_);
        page->setObjectName(QString::fromLatin1(pageName));
        auto* memo = new PageEditor(document_.page(text), page);
        memo->setObjectName(QString::fromLatin1(memoName));
        memo->setFont(initialEditorFont());
        memo->setTextColor(Qt::white);
        memo->setBackgroundColor(QColor(0, 0, 128));
        memo->setSyntax(syntax);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(memo);
        pages_->addTab(page, QApplication::style()->standardIcon(icon), caption);
        connect(memo, &QPlainTextEdit::textChanged, this, [this] {
            updateCaretStatus();
            scheduleUpdate();
        });
        connect(memo, &QPlainTextEdit::cursorPositionChanged, this, &EditorWindow::updateCaretStatus);
        connect(memo, &QPlainTextEdit::selectionChanged, this, &EditorWindow::scheduleUpdate);
        connect(memo, &QPlainTextEdit::undoAvailable, this, &EditorWindow::scheduleUpdate);
        return std::pair{page, memo};
    };
    std::tie(formTab_, formPage_) = addPage(FormDocument::Page::Form, "tsDFM", "Memo1", QStringLiteral("&DFM"),
                                            QStyle::SP_FileIcon, &FormTextSyntax::scanLine);
    std::tie(unitTab_, unitPage_) = addPage(FormDocument::Page::Unit, "tsPascal", "Memo2", QStringLiteral("&Source"),
                                            QStyle::SP_FileDialogDetailedView, &PascalSyntax::scanLine);
    setCentralWidget(pages_);
    connect(pages_, &QTabWidget::currentChanged, this, [this] {
        updateCaretStatus();
        scheduleUpdate();
    });
}

std::span<const EditorCommand> EditorWindow::commands()
{
    using W = EditorWindow;
    using S = QStyle;
    using P = DrawnPicture;
    using C = CommandId;
    static constexpr EditorCommand table[] = {
        {C::FileOpen, "ActFileOpen", "&Open file", "Ctrl+O", "CatFile", "Open DFM|Open a DFM to explore",
         "document-open", P::Open, &W::openFromDialog},
        {C::FileSave, "ActFileSave", "&Save file", "Ctrl+S", "CatFile", "Save|Save current DFM", "document-save",
         P::Save, &W::saveCommand, &W::isSaveOffered},
        {C::SaveAs, "ActSaveAs", "Save &as", "", "CatFile", "Save as|Save current form as...", "document-save-as",
         P::SaveAs, &W::saveAs, &W::isDocumentOpen},
        {C::Grep, "ActGrep", "&Grep", "Alt+G", "CatFile", "Grep|Search for files on disk", "system-search",
         S::SP_FileDialogContentsView, &W::showGrepWindow},
        {C::ObjectView, "ActObjectView", "&Object view", "", "Tools", "Show hierarchical object view", "view-list-tree",
         S::SP_FileDialogListView, &W::showObjectView},
        {C::FormView, "ActFormView", "Form &view", "F12", "Tools",
         "Form view|Show / hide the form drawn as it looks, beside its text", nullptr, {}, &W::toggleFormView,
         nullptr, &W::formViewShown},
        {C::Exit, "ActExit", "E&xit", "Alt+X", "CatFile", "Close application", "application-exit", P::Exit,
         &W::exitProgram},
        {C::Undo, "Actundo", "&Undo", "Ctrl+Z", "Edition", "Undo|Undo last change", "edit-undo", P::Undo,
         &W::undoLastChange, &W::canUndo},
        {C::Redo, "ActRedo", "Re&do", "Ctrl+Shift+Z; Ctrl+Y", "Edition", "Redo|Redo the change last undone",
         "edit-redo", P::Redo, &W::redoLastChange, &W::canRedo},
        {C::Copy, "Copier1", "&Copy", "Ctrl+C", "Edition", "Copy|Copy text", "edit-copy", P::Copy, &W::copySelection,
         &W::hasSelection},
        {C::Cut, "Couper1", "Cu&t", "Ctrl+X", "Edition", "Cut|Cut text", "edit-cut", P::Cut, &W::cutSelection,
         &W::hasSelection},
        {C::Paste, "Coller1", "&Paste", "Ctrl+V", "Edition", "Paste|Paste from clipboard", "edit-paste", P::Paste,
         &W::pasteClipboard, &W::canPaste},
        {C::Find, "ActFind", "&Find", "Ctrl+F", "Edition", "Find|Find text", "edit-find", P::Find, &W::showFindDialog},
        {C::FindNext, "ActFindNext", "Find &next", "F3", "Edition", "Find next|Find the next match of the last search",
         nullptr, {}, &W::findNextMatch},
        {C::FindPrevious, "ActFindPrevious", "Find pre&vious", "Shift+F3", "Edition",
         "Find previous|Find the previous match of the last search", nullptr, {}, &W::findPreviousMatch},
        {C::Replace, "ActReplace", "&Replace", "Ctrl+R", "Edition", "Replace|Replace text", "edit-find-replace",
         P::Replace, &W::showReplaceDialog},
        {C::EnlargeFont, "ActUpSize", "Up&size font", "", "Edition", "Upsize font|Upsize memo font", "zoom-in",
         S::SP_ArrowUp, &W::enlargeFont, &W::canEnlargeFont},
        {C::ReduceFont, "ActDownSize", "&Downsize font", "", "Edition", "Downsize font|Downsize memo font", "zoom-out",
         S::SP_ArrowDown, &W::reduceFont, &W::canReduceFont},
        {C::CancelModified, "ActCancelModified", "Cancel &modified flag", "", "Edition",
         "Cancel \"Modified\"|Cancel \"modified\" flag to avoid auto saving", "edit-clear", S::SP_DialogResetButton,
         &W::clearModifiedFlags, &W::isDocumentModified},
        {C::Font, "ActFont", "Change &font", "", "Tools", "Font|Change font", "preferences-desktop-font",
         S::SP_FileDialogInfoView, &W::chooseFont},
        {C::Calculator, "ActCalc", "&Calculator", "", "Tools", "Calculator|Popup calculator", "accessories-calculator",
         S::SP_ComputerIcon, &W::showCalculator},
        {C::Hints, "ActHint", "Display &hints", "", "Tools", "Hints|Switch on / off hint display", nullptr, {},
         &W::toggleHints, nullptr, &W::hintsShown},
        {C::HintColor, "ActHintColor", "Hint colo&r", "", "Tools", "Hints color|Change hints color", nullptr, {},
         &W::chooseHintColor},
        {C::Background, "ActBackground", "Bac&kground color", "", "Tools", "Background|Change background color",
         nullptr, {}, &W::chooseBackgroundColor},
        {C::SyntaxColours, "ActSyntaxColors", "S&yntax colours", "", "Tools",
         "Syntax colours|Switch on / off the colours of keywords, names, strings, numbers and comments", nullptr, {},
         &W::toggleSyntaxColours, nullptr, &W::syntaxColoursShown},
        {C::LineNumbers, "ActLineNumbers", "&Line numbers", "", "Tools",
         "Line numbers|Show / hide the line numbers of both pages", nullptr, {}, &W::toggleLineNumbers, nullptr,
         &W::lineNumbersShown},
        {C::CreateBackup, "ActCreateBackup", "Create backup", "", "Tools",
         "Create backup of modified DFM and PAS files (D$$ and P$$)", nullptr, {}, &W::toggleBackups, nullptr,
         &W::backupsMade},
        {C::About, "About1", "&About", "", "Help", "", nullptr, {}, &W::showAbout},
        {C::FindDeclaration, "Finddeclaration1", "Find &declaration", "Ctrl+Alt+D", "", "", nullptr, {},
         &W::findDeclaration, nullptr, nullptr, EditorCommand::Scope::FormPage},
        {C::FindImplementation, "Findimplementation1", "Find &implementation", "Ctrl+Alt+I", "", "", nullptr, {},
         &W::findImplementation, nullptr, nullptr, EditorCommand::Scope::FormPage},
        {C::CheckForm, "ActCheckForm", "Check form against &unit", "F7", "Tools",
         "Check form|List the components, fields and handlers on which the form and its unit disagree",
         "tools-check-spelling", S::SP_MessageBoxWarning, &W::checkFormAgainstUnit, &W::isDocumentOpen},
        {C::IgnoredClasses, "ActIgnoredClasses", "&Ignored classes...", "", "Tools",
         "Classes the form check leaves out", nullptr, {}, &W::editIgnoredClasses},
    };
    static_assert(rowsInCommandOrder(table), "one row per command, in the order of CommandId");
    return table;
}

void EditorWindow::createActions()
{
    for (const EditorCommand& command : commands()) {
        const bool inFormPage = command.scope == EditorCommand::Scope::FormPage;
        QObject* owner = inFormPage ? static_cast<QObject*>(formPage_) : this;
        auto* entry = new QAction(QString::fromUtf8(command.caption), owner);
        entry->setObjectName(QString::fromLatin1(command.objectName));
        if (command.iconName != nullptr)
            entry->setIcon(commandIcon(command.iconName, command.iconFallback));
        if (*command.shortcut != '\0')
            entry->setShortcuts(
                QKeySequence::listFromString(QString::fromLatin1(command.shortcut), QKeySequence::PortableText));
        if (*command.group != '\0')
            entry->setProperty("category", QString::fromLatin1(command.group));
        // Short part: the tooltip; long part: the status bar's hint line.
        const QString hint = QString::fromUtf8(command.hint);
        const qsizetype bar = hint.indexOf(u'|');
        if (!hint.isEmpty()) {
            entry->setToolTip(bar < 0 ? hint : hint.left(bar));
            entry->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
        }
        entry->setCheckable(command.checked != nullptr);
        const auto run = command.run;
        connect(entry, &QAction::triggered, this, [this, run] {
            runCommand(prompts_, [this, run] { (this->*run)(); });
            scheduleUpdate();
        });
        if (inFormPage) {
            // These act while the form page's editor has the focus.
            entry->setShortcutContext(Qt::WidgetShortcut);
            formPage_->addAction(entry);
        } else {
            addAction(entry);
        }
        actions_[commandIndex(command.id)] = entry;
    }
    // The form page's own keys would type in the unit page (Ctrl+Alt+I arrives as a tab).
    QList<QKeySequence> formPageKeys;
    for (const QAction* entry : formPage_->actions())
        formPageKeys << entry->shortcuts();
    unitPage_->setInertKeys(formPageKeys);
    formPageMenu_ = new QMenu(this);
    formPageMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    for (const CommandId id : CommandLayout::formPageMenu())
        formPageMenu_->addAction(action(id));
    formPage_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(formPage_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { formPageMenu_->popup(formPage_->viewport()->mapToGlobal(at)); });
}

QAction* EditorWindow::action(CommandId id) const
{
    return actions_[commandIndex(id)];
}

void EditorWindow::createMenus()
{
    for (const CommandLayout::Menu& layout : CommandLayout::menuBar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(layout.title));
        for (const CommandLayout::Entry& entry : layout.entries) {
            if (const auto* id = std::get_if<CommandId>(&entry)) {
                menu->addAction(action(*id));
                continue;
            }
            switch (std::get<CommandLayout::Slot>(entry)) {
            case CommandLayout::Slot::Separator:
                menu->addSeparator();
                break;
            case CommandLayout::Slot::RecentFiles:
                reopenMenu_ = menu->addMenu(QStringLiteral("Re-open ..."));
                reopenMenu_->setObjectName(QStringLiteral("Reopen1"));
                recentFiles_ = new RecentFiles(reopenMenu_, this);
                connect(recentFiles_, &RecentFiles::chosen, this, &EditorWindow::openFormFile);
                break;
            case CommandLayout::Slot::CodePages:
                createCodePageMenu(menu);
                break;
            }
        }
    }
}

void EditorWindow::createCodePageMenu(QMenu* parent)
{
    codePageMenu_ = parent->addMenu(QStringLiteral("&Encoding"));
    codePageMenu_->setObjectName(QStringLiteral("Encoding1"));
    auto* group = new QActionGroup(codePageMenu_);
    for (const int number : CodePage::numbers()) {
        QAction* entry = codePageMenu_->addAction(codePageName(number));
        entry->setObjectName(QStringLiteral("ActCodePage%1").arg(number));
        entry->setData(number);
        entry->setCheckable(true);
        group->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, number] { chooseCodePage(number); });
    }
    codePageMenu_->addSeparator();
    defaultCodePageAction_ = codePageMenu_->addAction(QStringLiteral("&Use as default for forms that declare nothing"));
    defaultCodePageAction_->setObjectName(QStringLiteral("ActDefaultCodePage"));
    connect(defaultCodePageAction_, &QAction::triggered, this, &EditorWindow::useCodePageAsDefault);
    connect(codePageMenu_, &QMenu::aboutToShow, this, &EditorWindow::updateCodePageMenu);
}

void EditorWindow::createToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    for (const CommandLayout::Entry& entry : CommandLayout::toolBar()) {
        if (const auto* id = std::get_if<CommandId>(&entry))
            bar->addAction(action(*id));
        else
            bar->addSeparator();
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
    formatPanel_ = new QLabel(this);
    formatPanel_->setObjectName(QStringLiteral("FormatPanel"));
    formatPanel_->setAlignment(Qt::AlignCenter);
    formatPanel_->setMinimumWidth(80);
    codePagePanel_ = new QLabel(this);
    codePagePanel_->setObjectName(QStringLiteral("CodePagePanel"));
    codePagePanel_->setAlignment(Qt::AlignCenter);
    savedHintTimer_ = new QTimer(this);
    savedHintTimer_->setObjectName(QStringLiteral("SavedHintTimer"));
    savedHintTimer_->setSingleShot(true);
    savedHintTimer_->setInterval(4000);
    connect(savedHintTimer_, &QTimer::timeout, this, [this] { showHint(QString()); });
    unitPanel_ = new QLabel(this);
    unitPanel_->setObjectName(QStringLiteral("UnitPanel"));
    unitPanel_->setAlignment(Qt::AlignCenter);
    unitPanel_->hide();
    statusBar()->addWidget(caretPanel_);
    statusBar()->addWidget(hintPanel_, 1);
    statusBar()->addPermanentWidget(unitPanel_);
    statusBar()->addPermanentWidget(codePagePanel_);
    statusBar()->addPermanentWidget(formatPanel_);
}

void EditorWindow::createWindowSettings()
{
    windowSettings_ = std::make_unique<WindowSettings>(*this, EditorStore::File, EditorStore::Section, prompts_, true);
    windowSettings_->setRecentFiles(recentFiles_, EditorStore::RecentFilesSection);
    const auto addDialog = [this](const QString& fileName, const QString& initialDir, QFileDialog* dialog) {
        windowSettings_->addText(
            fileName, [this, dialog] { return dialogFileNames_[dialog]; },
            [this, dialog](const QString& text) {
                dialogFileNames_[dialog] = text;
                dialog->selectFile(text);
            });
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
    windowSettings_->addText(
        EditorStore::LintIgnoredClasses, [this] { return ignoredClasses_.join(u';'); },
        [this](const QString& text) { ignoredClasses_ = text.split(u';', Qt::SkipEmptyParts); });
    windowSettings_->addBoolean(
        EditorStore::SyntaxColours, [this] { return syntaxColoursShown(); }, [this](bool on) { setSyntaxColours(on); });
    windowSettings_->addBoolean(
        EditorStore::LineNumbers, [this] { return lineNumbersShown(); }, [this](bool on) { setLineNumbers(on); });
    formView_->addSettings(*windowSettings_);
}

void EditorWindow::createFormView()
{
    formView_ = new FormViewDock(document_, *this, prompts_);
    connect(formView_, &QDockWidget::visibilityChanged, this, &EditorWindow::scheduleUpdate);
    connect(formView_, &FormViewDock::objectChosen, this, &EditorWindow::showChosenObject);
    // The inspector comes and goes with the view.
    inspector_ = new PropertyInspector(document_, *formView_, *this, prompts_);
    connect(formView_->toggleViewAction(), &QAction::toggled, inspector_,
            [this](bool shown) { shown ? inspector_->showWithView() : inspector_->hide(); });
    // The caret's line in the form text, or the object chosen in the object view, selects its
    // control in the view.
    connect(formPage_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (formView_->isVisible())
            linkSelection([this] { formView_->selectAtLine(formPage_->caretLine()); });
    });
    connect(objectViewWindow_, &ObjectViewWindow::currentLineChanged, this, [this](int lineIndex) {
        if (formView_->isVisible())
            linkSelection([this, lineIndex] { formView_->selectAtLine(lineIndex + 1); });
    });
}

void EditorWindow::linkSelection(const std::function<void()>& step)
{
    if (linkingSelection_)
        return;
    const QScopedValueRollback<bool> linking(linkingSelection_, true);
    step();
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
            [this] { runCommand(prompts_, [this] { findNext(findDialog_, findTarget_); }); });
    connect(replaceDialog_, &FindDialog::findNextClicked, this,
            [this] { runCommand(prompts_, [this] { findNext(replaceDialog_, replaceTarget_); }); });
    connect(replaceDialog_, &FindDialog::replaceClicked, this,
            [this] { runCommand(prompts_, [this] { replaceText(false); }); });
    connect(replaceDialog_, &FindDialog::replaceAllClicked, this,
            [this] { runCommand(prompts_, [this] { replaceText(true); }); });

    openDialog_ = new QFileDialog(this, QStringLiteral("Open DFM ..."));
    openDialog_->setObjectName(QStringLiteral("OpenDialog1"));
    openDialog_->setOption(QFileDialog::DontUseNativeDialog);
    openDialog_->setFileMode(QFileDialog::ExistingFile);
    openDialog_->setNameFilters({FormFilesFilter, QStringLiteral("Delphi Form (*.dfm *.DFM *.Dfm)"), QStringLiteral("All (*)")});
    openDialog_->setDefaultSuffix(QStringLiteral("DFM"));
    saveDialog_ = new QFileDialog(this);
    saveDialog_->setObjectName(QStringLiteral("SaveDialog1"));
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setFileMode(QFileDialog::AnyFile);
    // The file type chosen is the format the form is saved in.
    saveDialog_->setNameFilters({BinaryFormFilter, TextFormFilter});
    keepTypedNameAcrossTypes(saveDialog_);
}

void EditorWindow::setDialogFile(QFileDialog* dialog, const QString& folder, const QString& fileName)
{
    dialog->setDirectory(folder);
    dialog->selectFile(fileName);
    dialogFileNames_[dialog] = fileName;
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
    if (focus != nullptr && focus == menuBar())
        return pageBeforeMenuBar_;
    return nullptr;
}

void EditorWindow::focusChanged(QWidget* old, QWidget* now)
{
    // A menu opened by Alt and a letter takes the focus to the menu bar until it closes; its Cut,
    // Copy and Paste are still the page's.
    if (now != nullptr && now == menuBar()) {
        pageBeforeMenuBar_ = old == formPage_ || old == unitPage_ ? static_cast<PageEditor*>(old) : nullptr;
        viewBeforeMenuBar_ = old != nullptr && formView_->isAncestorOf(old);
    }
    scheduleUpdate();
}

void EditorWindow::updateCommands()
{
    for (const EditorCommand& command : commands()) {
        QAction* entry = action(command.id);
        if (command.enabled != nullptr)
            entry->setEnabled((this->*command.enabled)());
        if (command.checked != nullptr)
            entry->setChecked((this->*command.checked)());
    }
}

bool EditorWindow::viewHasKeyboard() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus == menuBar())
        return viewBeforeMenuBar_ && formView_->isVisible();
    return formView_->hasKeyboardFocus();
}

// While the form view has the keyboard, Undo and Redo take back the form page's edits, which its
// gestures are.
PageEditor* EditorWindow::undoPage() const
{
    return viewHasKeyboard() ? formPage_ : currentPage();
}

bool EditorWindow::canUndo() const
{
    return undoPage()->canUndo();
}

bool EditorWindow::canRedo() const
{
    return undoPage()->canRedo();
}

bool EditorWindow::hasSelection() const
{
    if (viewHasKeyboard())
        return formView_->canCopy();
    const PageEditor* page = focusedPage();
    return page != nullptr && page->textCursor().hasSelection();
}

bool EditorWindow::canPaste() const
{
    return (focusedPage() != nullptr || viewHasKeyboard()) && clipboardHoldsText();
}

bool EditorWindow::canEnlargeFont() const
{
    return currentPage()->font().pointSize() < 39;
}

bool EditorWindow::canReduceFont() const
{
    return currentPage()->font().pointSize() > 7;
}

void EditorWindow::openFormFile(const QString& path)
{
    runCommand(prompts_, [&] {
        // A form named otherwise (the desktop types files by their content too) opens as well.
        const QByteArray localPath = QFile::encodeName(path);
        if (!hasFormExtension(localPath.toStdString()) && formFileKindOfFile(localPath.constData()) == FormFileKind::Unknown) {
            prompts_.notice(QStringLiteral("Can't load \"%1\" file type !").arg(FormFiles::extensionOf(path)));
            return;
        }
        if (!offerToSave())
            return;
        // A page chosen for a form in this session stays its page when it is opened again.
        const auto chosen = chosenCodePages_.find(QFileInfo(path).absoluteFilePath());
        loadDocument(path, {chosen != chosenCodePages_.end() ? chosen->second : 0, defaultCodePage_});
        recentFiles_->add(document_.formPath());
    });
    scheduleUpdate();
}

bool EditorWindow::offerToSave()
{
    if (!document_.isSaveOffered())
        return true;
    switch (prompts_.askYesNo(QStringLiteral("Save change"), QStringLiteral("Current form has been modified.\nSave change ?"))) {
    case UserPrompts::Reply::Yes:
        return save();
    case UserPrompts::Reply::No:
        return true;
    case UserPrompts::Reply::Closed:
        break;
    }
    // A box closed unanswered cancels what asked: the form and its edits stay.
    return false;
}

void EditorWindow::loadDocument(const QString& path, const FormFiles::CodePageRequest& request)
{
    // A form near a page's capacity takes seconds to read and lay out.
    struct BusyCursor {
        BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    } busy;
    document_.open(path, request);
}

void EditorWindow::documentOpened(const QString& path)
{
    const QFileInfo info(path);
    setDialogFile(saveDialog_, info.absolutePath(), info.fileName());
    // The caption shows the name as it was given; the document holds it in full.
    setWindowTitle(path);
    showHint(QString());
    updateUnitStatus();
    updateCommands();
    updateCaretStatus();
    if (objectViewWindow_->isVisible())
        objectViewWindow_->buildObjectTree(formLines());
    // The rows of the previous form would lead to lines of this one.
    if (lintPanel_->isVisible())
        lintPanel_->setProblems(formCheckProblems());
}

void EditorWindow::pageLoaded(FormDocument::Page page)
{
    PageEditor* editor = pageEditor(page);
    editor->setTextCursor(QTextCursor(editor->document()));
}

PageEditor* EditorWindow::pageEditor(FormDocument::Page page) const
{
    return page == FormDocument::Page::Form ? formPage_ : unitPage_;
}

void EditorWindow::chooseCodePage(int number)
{
    runCommand(prompts_, [&] {
        if (document_.isOpen() && offerToSave()) {
            chosenCodePages_[QFileInfo(document_.formPath()).absoluteFilePath()] = number;
            loadDocument(document_.formPath(), {number, number});
        }
    });
    updateCodePageMenu();
    scheduleUpdate();
}

void EditorWindow::updateUnitStatus()
{
    // Shown only when it says something the source page does not: a unit found is on that page.
    const bool found = FormFiles::foundUnitFile(document_.formPath()).has_value();
    unitPanel_->setText(found ? QString() : QStringLiteral("No unit %1").arg(FormFiles::unitFileLookedFor(document_.formPath())));
    unitPanel_->setHidden(found);
}

void EditorWindow::useCodePageAsDefault()
{
    runCommand(prompts_, [&] {
        if (!document_.isOpen())
            return;
        defaultCodePage_ = document_.codePage().number;
        windowSettings_->writeInteger(EditorStore::CodePage, defaultCodePage_);
    });
    updateCodePageMenu();
}

void EditorWindow::updateCodePageMenu()
{
    const int current = document_.isOpen() ? document_.codePage().number : defaultCodePage_;
    for (QAction* entry : codePageMenu_->actions()) {
        entry->setEnabled(document_.isOpen());
        entry->setChecked(entry->data().toInt() == current);
    }
    defaultCodePageAction_->setStatusTip(
        QStringLiteral("The page of forms that declare none; now %1").arg(codePageName(defaultCodePage_)));
}

bool EditorWindow::save()
{
    if (!document_.isOpen())
        return true;
    if (!document_.isModified()) {
        document_.withdrawSaveOffer();
        return true;
    }
    try {
        document_.save();
    } catch (const ParserError& error) {
        showError(prompts_, error);
        if (pages_->currentWidget() == formTab_) {
            const QTextBlock line = formPage_->document()->findBlockByNumber(error.line() - 1);
            if (line.isValid())
                formPage_->select(line.position(), 0);
        }
        return false;
    } catch (const std::exception& error) {
        showError(prompts_, error);
        return false;
    }
    return true;
}

// The document has cleared the marks: closing without a further edit does not save again, or the
// backups would lose the files they were made to keep. A failed save never gets here.
void EditorWindow::documentSaved()
{
    updateUnitStatus();
    showSavedHint();
}

void EditorWindow::saveAs()
{
    if (!document_.isOpen())
        return;
    const FormFiles::FormFormat current = document_.formFormat();
    saveDialog_->selectNameFilter(current.kind == FormFileKind::Text ? TextFormFilter : BinaryFormFilter);
    // Choosing the type rewrote the name's extension; the form's name stays as it is.
    saveDialog_->selectFile(dialogFileNames_[saveDialog_]);
    if (prompts_.exec(*saveDialog_) != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty())
        return;
    const QString chosen = saveDialog_->selectedFiles().constFirst();
    FormFiles::FormFormat format = current;
    const bool asText = saveDialog_->selectedNameFilter() == TextFormFilter;
    if (asText != (current.kind == FormFileKind::Text)) {
        format = FormFiles::FormFormat{};
        format.text.codePage = current.text.codePage;
        if (asText)
            format.kind = FormFileKind::Text;
    }
    dialogFileNames_[saveDialog_] = chosen;
    document_.saveAs(chosen, format);
}

void EditorWindow::documentSavedAs(const QString& path)
{
    const QFileInfo info(path);
    setDialogFile(openDialog_, info.absolutePath(), info.fileName());
    setWindowTitle(path);
    updateUnitStatus();
    showSavedHint();
}

bool EditorWindow::searchText(const QString& text, bool matchCase, bool fromSelectionEnd, PageEditor* editor)
{
    const qsizetype start = fromSelectionEnd ? editor->selectionEnd() : 0;
    return selectFound(editor, findInText(editor->text(), text, matchCase, start), text.size());
}

bool EditorWindow::selectFound(PageEditor* page, qsizetype at, qsizetype length)
{
    if (at < 0) {
        prompts_.beep();
        return false;
    }
    page->select(at, length);
    updateCaretStatus();
    return true;
}

void EditorWindow::findNextMatch()
{
    if (findDialog_->findText().isEmpty()) {
        showFindDialog();
        return;
    }
    searchText(findDialog_->findText(), findDialog_->matchCase(), true, currentPage());
}

void EditorWindow::findPreviousMatch()
{
    const QString key = findDialog_->findText();
    if (key.isEmpty()) {
        showFindDialog();
        return;
    }
    PageEditor* page = currentPage();
    selectFound(page, findLastInText(page->text(), key, findDialog_->matchCase(), page->selectionStart()), key.size());
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
         findAllInText(target->text(), findText, matchCase, selection.selectionEnd()))
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
    formPage_->selectIntoLineBreak(line.position() + std::min(2, line.length() - 1));
    QCoreApplication::processEvents();
    updateCaretStatus();
}

void EditorWindow::findDeclarationOf(DeclarationFinder::Mode mode)
{
    const int n = formPage_->caretLine() - 1;
    const DeclarationFinder::Target target =
        DeclarationFinder::nameAt(formPage_->line(n), formPage_->text(), formPage_->selectionStart(), mode);
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

void EditorWindow::showFieldDeclaration(int line)
{
    showLine(line);
    findDeclaration();
}

void EditorWindow::updateCaretStatus()
{
    PageEditor* memo = currentPage();
    caretPanel_->setText(
        QStringLiteral("L: %1 C: %2").arg(threeDigits(memo->caretLine()), threeDigits(memo->caretColumn())));
}

void EditorWindow::openFromDialog()
{
    if (prompts_.exec(*openDialog_) != QDialog::Accepted || openDialog_->selectedFiles().isEmpty())
        return;
    const QString chosen = openDialog_->selectedFiles().constFirst();
    dialogFileNames_[openDialog_] = chosen;
    openFormFile(chosen);
}

void EditorWindow::saveCommand()
{
    save();
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

void EditorWindow::toggleFormView()
{
    if (formView_->isHidden()) {
        formView_->showInWindow();
        return;
    }
    // The keyboard goes back to the text when it was in the view.
    const bool focusInView = formView_->isAncestorOf(QApplication::focusWidget());
    formView_->hide();
    if (focusInView)
        currentPage()->setFocus();
}

bool EditorWindow::formViewShown() const
{
    return !formView_->isHidden();
}

void EditorWindow::showChosenObject(int line)
{
    // An object only an ancestor holds has no line of this text.
    if (line < 1 || line > formPage_->lineCount())
        return;
    linkSelection([this, line] {
        if (pages_->currentWidget() != formTab_)
            pages_->setCurrentWidget(formTab_);
        const QTextBlock block = formPage_->document()->findBlockByNumber(line - 1);
        const QString text = block.text();
        qsizetype indent = 0;
        while (indent < text.size() && text[indent].isSpace())
            ++indent;
        formPage_->select(block.position() + indent, 0);
        if (objectViewWindow_->isVisible())
            objectViewWindow_->selectLine(line - 1);
    });
    updateCaretStatus();
}

QStringList EditorWindow::formLines() const
{
    return formPage_->text().split(u'\n');
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

// An undo from the form view moves the form page's caret to the change; the view keeps its
// selection all the same.
void EditorWindow::undoLastChange()
{
    if (viewHasKeyboard())
        linkSelection([this] { formPage_->undo(); });
    else
        currentPage()->undo();
}

void EditorWindow::redoLastChange()
{
    if (viewHasKeyboard())
        linkSelection([this] { formPage_->redo(); });
    else
        currentPage()->redo();
}

void EditorWindow::copySelection()
{
    if (viewHasKeyboard())
        formView_->copySelection();
    else if (PageEditor* memo = focusedPage())
        memo->copy();
}

void EditorWindow::cutSelection()
{
    if (viewHasKeyboard())
        formView_->cutSelection();
    else if (PageEditor* memo = focusedPage())
        memo->cut();
}

void EditorWindow::pasteClipboard()
{
    if (viewHasKeyboard())
        formView_->pasteClipboard();
    else if (PageEditor* memo = focusedPage())
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
    document_.setModified(FormDocument::Page::Form, false);
    document_.setModified(FormDocument::Page::Unit, false);
}

void EditorWindow::chooseFont()
{
    FontDialog dialog(this);
    dialog.setChoice(currentPage()->font(), currentPage()->textColor());
    dialog.setSampleBackground(currentPage()->backgroundColor(), true);
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

void EditorWindow::setSyntaxColours(bool on)
{
    formPage_->setSyntaxColoured(on);
    unitPage_->setSyntaxColoured(on);
}

void EditorWindow::toggleSyntaxColours()
{
    setSyntaxColours(!syntaxColoursShown());
}

bool EditorWindow::syntaxColoursShown() const
{
    return formPage_->syntaxColoured();
}

void EditorWindow::setLineNumbers(bool on)
{
    formPage_->setLineNumbersShown(on);
    unitPage_->setLineNumbersShown(on);
}

void EditorWindow::toggleLineNumbers()
{
    setLineNumbers(!lineNumbersShown());
}

bool EditorWindow::lineNumbersShown() const
{
    return formPage_->lineNumbersShown();
}

void EditorWindow::toggleBackups()
{
    document_.setBackupEnabled(!document_.backupEnabled());
}

void EditorWindow::findDeclaration()
{
    findDeclarationOf(DeclarationFinder::Mode::Declaration);
}

void EditorWindow::findImplementation()
{
    findDeclarationOf(DeclarationFinder::Mode::Implementation);
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
    if (!event->spontaneous()) {
        windowSettings_->restore();
        formView_->applyStoredState();
    }
    // Without a home folder nothing can be stored: say so once, not at every close. Said here,
    // after the panels are shown, so that the message covers them for its time.
    if (!toldSettingsNotKept_ && !StoreFile::settingsKept()) {
        toldSettingsNotKept_ = true;
        statusBar()->showMessage(SettingsNotKeptMessage, SettingsNotKeptShownMs);
    }
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

void EditorWindow::checkFormAgainstUnit()
{
    const bool opening = lintPanel_->isHidden();
    lintPanel_->showProblems(formCheckProblems());
    // A list of a few rows under the pages, not half the window; later the user's size stays.
    if (opening)
        resizeDocks({lintPanel_}, {std::max(100, height() / 4)}, Qt::Vertical);
}

std::vector<LintProblem> EditorWindow::formCheckProblems() const
{
    std::vector<LintProblem> problems;
    const bool unitEmpty = trimBlanks(document_.text(FormDocument::Page::Unit)).isEmpty();
    if (unitEmpty && !FormFiles::foundUnitFile(document_.formPath())) {
        const QString lookedFor = FormFiles::unitFileLookedFor(document_.formPath());
        problems.push_back({LintProblem::File::Form, 1,
                            QStringLiteral("no unit %1 (in any case) beside the form: there is no unit to check the form against")
                                .arg(lookedFor)
                                .toStdString()});
    } else if (unitEmpty) {
        problems.push_back({LintProblem::File::Form, 1, "the unit page is empty: there is no unit to check the form against"});
    } else {
        std::vector<std::string> ignored;
        for (const QString& name : ignoredClasses_)
            ignored.push_back(name.toStdString());
        // An inherited form's ancestors are looked for among the units beside it, and the files
        // the unit includes beside the unit; those are read in the form's page.
        const int page = document_.codePage().number;
        SiblingUnits siblings(QFile::encodeName(QFileInfo(document_.formPath()).absolutePath()).toStdString(), page);
        const AncestorUnits ancestors = [&siblings](std::string_view name) { return siblings.declaring(name); };
        const std::string unitPath = QFile::encodeName(document_.unitPath()).toStdString();
        const IncludeFiles includes = [&unitPath](std::string_view name) { return readIncludeBeside(unitPath, name); };
        // The pages' text as UTF-8, in which names compare with those of the files read.
        problems = FormUnitCheck(std::move(ignored), page)
                       .run(document_.text(FormDocument::Page::Form).toUtf8().toStdString(), TextEncoding::Utf8,
                            document_.text(FormDocument::Page::Unit).toUtf8().toStdString(), ancestors, includes);
    }
    return problems;
}

void EditorWindow::editIgnoredClasses()
{
    IgnoredClassesDialog dialog(this);
    dialog.setClasses(ignoredClasses_);
    if (prompts_.exec(dialog) != QDialog::Accepted)
        return;
    ignoredClasses_ = dialog.classes();
    if (lintPanel_->isVisible() && document_.isOpen())
        checkFormAgainstUnit();
}

void EditorWindow::showProblemLine(bool inUnit, int line)
{
    if (!inUnit) {
        showLine(line - 1);
        formPage_->setFocus();
        return;
    }
    if (line < 1 || line > unitPage_->lineCount())
        return;
    pages_->setCurrentWidget(unitTab_);
    const QTextBlock block = unitPage_->document()->findBlockByNumber(line - 1);
    unitPage_->selectIntoLineBreak(block.position() + std::min(2, block.length() - 1));
    unitPage_->setFocus();
    updateCaretStatus();
}

bool EditorWindow::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        showHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void EditorWindow::showHint(const QString& text)
{
    // "Saved" stays its few seconds when the mouse leaves the button that saved; another hint
    // takes its place.
    if (text.isEmpty() && savedHintTimer_->isActive())
        return;
    savedHintTimer_->stop();
    hintPanel_->setText(text.isEmpty() && !document_.isOpen() ? InitialHintLine : text);
}

void EditorWindow::showSavedHint()
{
    showHint(QStringLiteral("Saved at %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    savedHintTimer_->start();
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
            showHint(widget->statusTip());
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace dfm
