#include "GrepWindow.h"

#include "CodePage.h"
#include "CommandBoundary.h"
#include "FormOpener.h"
#include "GrepEngine.h"
#include "GrepSettings.h"
#include "GrepStore.h"
#include "KeyEncodings.h"
#include "ShellFileInfo.h"
#include "FilePropertiesDialog.h"
#include "UserPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace dfm {

namespace {

const QColor StatusBackground(221, 222, 216);
const QColor MatchColor(128, 0, 128);

QLabel* addLabel(QWidget* parent, const QString& text, const QRect& geometry, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QComboBox* addHistoryBox(QWidget* parent, const char* name, const QString& caption, const QString& hint, int top,
                         int width)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    // Enter starts the search; only a completed search adds to the history.
    box->setInsertPolicy(QComboBox::NoInsert);
    // The search takes exactly what was typed, letter case included (a key searched with case, a
    // path): no completion from the history, and Enter does not swap the text for an item equal
    // to it without regard to case, as the box does when it keeps out duplicates.
    box->setCompleter(nullptr);
    box->setDuplicatesEnabled(true);
    box->setToolTip(hint);
    box->setGeometry(80, top, width, 21);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    QLabel* label = addLabel(parent, caption, QRect(8, top + 3, 70, 15));
    label->setBuddy(box);
    return box;
}

QCheckBox* addCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& caption, int left)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 300, 75, 25);
    button->setAutoDefault(false);
    return button;
}

void setHistory(QComboBox* box, const GrepSettings::History& history)
{
    box->clear();
    box->addItems(history.items);
    box->setEditText(history.text);
}

GrepSettings::History historyOf(const QComboBox* box)
{
    GrepSettings::History history;
    for (int i = 0; i < box->count(); ++i)
        history.items << box->itemText(i);
    history.text = box->currentText();
    return history;
}

// A text that matches no item, without regard to case, becomes the first item.
void updateHistory(QComboBox* box)
{
    const QString text = box->currentText();
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return;
    }
    box->insertItem(0, text);
    box->setEditText(text);
}

}  // namespace

GrepWindow::GrepWindow(UserPrompts& prompts, FormOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompts_(prompts), opener_(opener)
{
    setObjectName(QStringLiteral("frmTernGrep"));
    setWindowTitle(QStringLiteral("QUENDFMED Grep"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(535, 328);
    createControls();
    runCommand(prompts_, [this] { loadOptions(); });
}

void GrepWindow::createControls()
{
    statusLabel_ = addLabel(this, QString(), QRect(0, 0, 535, 17));
    statusLabel_->setObjectName(QStringLiteral("lblStatus"));
    statusLabel_->setAutoFillBackground(true);
    QPalette palette = statusLabel_->palette();
    palette.setColor(QPalette::Window, StatusBackground);
    palette.setColor(QPalette::WindowText, Qt::black);
    statusLabel_->setPalette(palette);

    auto* panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setObjectName(QStringLiteral("pnlInfo"));
    panel->setGeometry(0, 17, 535, 34);
    panel->setEnabled(false);
    infoPanel_ = panel;
    fileIcon_ = addLabel(panel, QString(), QRect(2, 1, 32, 32));
    fileIcon_->setObjectName(QStringLiteral("Image1"));
    fileIcon_->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32, 32));
    addLabel(panel, QStringLiteral("Name:"), QRect(40, 2, 34, 14));
    fileNameLabel_ = addLabel(panel, QStringLiteral("?"), QRect(76, 2, 170, 14), true);
    fileNameLabel_->setObjectName(QStringLiteral("lblname"));
    addLabel(panel, QStringLiteral("Type:"), QRect(40, 17, 34, 14));
    fileTypeLabel_ = addLabel(panel, QStringLiteral("?"), QRect(76, 17, 170, 14), true);
    fileTypeLabel_->setObjectName(QStringLiteral("lbltype"));
    addLabel(panel, QStringLiteral("Attr:"), QRect(252, 2, 30, 14));
    fileAttributesLabel_ = addLabel(panel, QStringLiteral("?"), QRect(282, 2, 222, 28), true);
    fileAttributesLabel_->setObjectName(QStringLiteral("lblattr"));
    fileAttributesLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fileAttributesLabel_->setWordWrap(true);
    propertiesButton_ = new QToolButton(panel);
    propertiesButton_->setObjectName(QStringLiteral("sbProp"));
    propertiesButton_->setAutoRaise(true);
    propertiesButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    propertiesButton_->setGeometry(506, 4, 26, 26);
    propertiesButton_->setEnabled(false);
    connect(propertiesButton_, &QToolButton::clicked, this, &GrepWindow::showProperties);

    resultList_ = new QListWidget(this);
    resultList_->setObjectName(QStringLiteral("lbxFiles"));
    resultList_->setGeometry(0, 51, 535, 124);
    resultList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    resultList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(resultList_, &QListWidget::itemClicked, this, &GrepWindow::showFileInfo);
    // The keyboard moves the current line too; a mouse press that moves it is answered by its
    // click, so that the file is looked up once.
    connect(resultList_, &QListWidget::currentRowChanged, this, [this] {
        if (QApplication::mouseButtons() == Qt::NoButton)
            showFileInfo();
    });
    connect(resultList_, &QListWidget::itemDoubleClicked, this, &GrepWindow::openResult);

    resultMenu_ = new QMenu(this);
    resultMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* fileInfo = resultMenu_->addAction(QStringLiteral("File info"), this, &GrepWindow::showProperties);
    fileInfo->setObjectName(QStringLiteral("Fileinfo1"));
    QAction* launch = resultMenu_->addAction(QStringLiteral("Shell execute"), this, &GrepWindow::openWithProgram);
    launch->setObjectName(QStringLiteral("Shellexecute1"));
    resultMenu_->addSeparator();
    resultMenu_->addAction(QStringLiteral("cancel"))->setObjectName(QStringLiteral("cancel1"));
    connect(resultList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { resultMenu_->popup(resultList_->viewport()->mapToGlobal(at)); });

    auto* group = new QGroupBox(QStringLiteral("Options"), this);
    group->setObjectName(QStringLiteral("grpOptions"));
    group->setGeometry(0, 177, 535, 118);
    createOptionsGroup(group);
    createButtons();
}

void GrepWindow::createOptionsGroup(QWidget* group)
{
    expressionBox_ = addHistoryBox(group, "cbxExp", QStringLiteral("Ex&pression:"), QStringLiteral("Text to search"), 16, 250);
    maskBox_ = addHistoryBox(group, "cbxMask", QStringLiteral("&File Mask:"),
                             QStringLiteral("File mask without \"*\" nor \".\" ex: \"DFM\""), 41, 120);
    maskBox_->setEditText(QStringLiteral("DFM"));
    anyEncodingCheck_ = addCheckBox(group, "chkAnyEncoding", QStringLiteral(" &Any encoding"), QRect(214, 43, 120, 17));
    anyEncodingCheck_->setToolTip(QStringLiteral("Also find the key as wide (UTF-16) and UTF-8 text"));
    formStringsCheck_ = addCheckBox(group, "chkFormStrings", QStringLiteral(" F&orm strings"), QRect(340, 43, 110, 17));
    formStringsCheck_->setToolTip(
        QStringLiteral("Find the key in the strings of forms as they read, in each form's own code page"));
    directoryBox_ = addHistoryBox(group, "cbxDirectory", QStringLiteral("&Directory:"), QStringLiteral("Where to search"),
                                  66, 420);
    folderButton_ = new QToolButton(group);
    folderButton_->setObjectName(QStringLiteral("FolderButton"));
    folderButton_->setAutoRaise(true);
    folderButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    folderButton_->setGeometry(503, 65, 24, 23);
    connect(folderButton_, &QToolButton::clicked, this, &GrepWindow::pickFolder);

    subfoldersCheck_ = addCheckBox(group, "chkRec", QStringLiteral(" S&earch Subdirectories"), QRect(8, 94, 170, 17));
    keepListCheck_ = addCheckBox(group, "chkKeep", QStringLiteral(" &Keep List"), QRect(190, 94, 110, 17));
    sortListCheck_ = addCheckBox(group, "chkSort", QStringLiteral("So&rt list"), QRect(310, 94, 110, 17));
    caseSensitiveCheck_ = addCheckBox(group, "chkCase", QStringLiteral(" &Case Sensitive"), QRect(430, 94, 100, 17));
    caseSensitiveCheck_->hide();
    connect(sortListCheck_, &QCheckBox::clicked, this, &GrepWindow::sortOptionClicked);

    busyIndicator_ = new QProgressBar(group);
    busyIndicator_->setObjectName(QStringLiteral("Animate1"));
    busyIndicator_->setRange(0, 0);
    busyIndicator_->setTextVisible(false);
    busyIndicator_->setGeometry(440, 18, 80, 14);
    busyIndicator_->hide();
}

void GrepWindow::createButtons()
{
    searchButton_ = addButton(this, "btnSearch", QStringLiteral("&Search"), 8);
    searchButton_->setDefault(true);
    exitButton_ = addButton(this, "btnExit", QStringLiteral("E&xit"), 88);
    stopButton_ = addButton(this, "bbstop", QStringLiteral("Stop !"), 230);
    stopButton_->hide();
    deleteOptionsButton_ = addButton(this, "DeleteOptionsButton", QStringLiteral("Del options"), 372);
    clearButton_ = addButton(this, "btnClear", QStringLiteral("Clear"), 452);
    connect(searchButton_, &QPushButton::clicked, this, &GrepWindow::startSearch);
    connect(exitButton_, &QPushButton::clicked, this, &GrepWindow::exitWindow);
    connect(stopButton_, &QPushButton::clicked, this, &GrepWindow::requestStop);
    connect(deleteOptionsButton_, &QPushButton::clicked, this, &GrepWindow::deleteOptions);
    connect(clearButton_, &QPushButton::clicked, this, &GrepWindow::clearList);
}

void GrepWindow::loadOptions()
{
    GrepSettings settings;
    setHistory(directoryBox_, settings.readHistory(GrepStore::DirectorySection));
    setHistory(expressionBox_, settings.readHistory(GrepStore::ExpressionSection));
    setHistory(maskBox_, settings.readHistory(GrepStore::MaskSection));
    if (maskBox_->currentText().isEmpty())
        maskBox_->setEditText(QStringLiteral("DFM"));
    caseSensitiveCheck_->setChecked(settings.flag(GrepStore::CaseSensitive, true));
    subfoldersCheck_->setChecked(settings.flag(GrepStore::SubDirs, false));
    keepListCheck_->setChecked(settings.flag(GrepStore::KeepList, false));
    sortListCheck_->setChecked(settings.flag(GrepStore::SortList, false));
    anyEncodingCheck_->setChecked(settings.flag(GrepStore::AnyEncoding, false));
    formStringsCheck_->setChecked(settings.flag(GrepStore::FormStrings, false));
    sortOptionClicked();
}

void GrepWindow::saveOptions()
{
    GrepSettings settings;
    settings.setFlag(GrepStore::CaseSensitive, caseSensitiveCheck_->isChecked());
    settings.setFlag(GrepStore::SubDirs, subfoldersCheck_->isChecked());
    settings.setFlag(GrepStore::KeepList, keepListCheck_->isChecked());
    settings.setFlag(GrepStore::SortList, sortListCheck_->isChecked());
    // A store of an earlier version is written back with its own names until the option is used.
    if (anyEncodingCheck_->isChecked() || settings.hasFlag(GrepStore::AnyEncoding))
        settings.setFlag(GrepStore::AnyEncoding, anyEncodingCheck_->isChecked());
    if (formStringsCheck_->isChecked() || settings.hasFlag(GrepStore::FormStrings))
        settings.setFlag(GrepStore::FormStrings, formStringsCheck_->isChecked());
    settings.writeHistory(GrepStore::DirectorySection, historyOf(directoryBox_));
    settings.writeHistory(GrepStore::MaskSection, historyOf(maskBox_));
    settings.writeHistory(GrepStore::ExpressionSection, historyOf(expressionBox_));
    if (!settings.flush())
        prompts_.errorBox(QStringLiteral("The grep options could not be written to %1.").arg(settings.fileName()));
}

void GrepWindow::startSearch()
{
    if (busy_)
        return;
    if (!keepListCheck_->isChecked())
        resultList_->clear();
    // The key is looked for as the bytes the editor would save it as; a character without one
    // would be looked for as "?", so the key is refused unless every encoding is searched.
    GrepRequest request;
    const CodePage& page = CodePage::forNumber(opener_.defaultCodePage());
    request.codePage = page.number();
    request.anyEncoding = anyEncodingCheck_->isChecked();
    request.formStrings = formStringsCheck_->isChecked();
    request.keyText = expressionBox_->currentText().toStdU16String();
    std::size_t failure = 0;
    if (request.formStrings) {
        // Characters, in each form's own page: any key the user can type.
        request.codePage = 0;
        request.key = expressionBox_->currentText().toStdString();
    } else if (!page.encode(request.keyText, request.key, &failure)) {
        if (!request.anyEncoding) {
            inputRefused(GrepInput::Key, KeyEncodings::refusal(request.keyText, failure, page) +
                                             "; tick Any encoding to search every code page");
            return;
        }
        request.key.clear();
    }
    request.directory = QFile::encodeName(directoryBox_->currentText()).toStdString();
    request.mask = QFile::encodeName(maskBox_->currentText()).toStdString();
    request.subdirectories = subfoldersCheck_->isChecked();
    request.caseSensitive = caseSensitiveCheck_->isChecked();
    runCommand(prompts_, [this, &request] {
        GrepEngine engine(*this);
        if (engine.search(request) != GrepEngine::Outcome::Completed)
            return;
        updateHistory(expressionBox_);
        updateHistory(maskBox_);
        updateHistory(directoryBox_);
        saveOptions();
    });
}

void GrepWindow::requestStop()
{
    stopRequested_ = true;
}

void GrepWindow::exitWindow()
{
    if (!busy_)
        hide();
}

void GrepWindow::clearList()
{
    if (busy_)
        return;
    resultList_->clear();
    statusLabel_->clear();
}

void GrepWindow::deleteOptions()
{
    if (busy_)
        return;
    for (QComboBox* box : {expressionBox_, maskBox_, directoryBox_}) {
        box->clear();
        box->clearEditText();
    }
}

void GrepWindow::sortOptionClicked()
{
    if (!busy_ && sortListCheck_->isChecked())
        sortList();
}

void GrepWindow::sortList()
{
    QStringList lines;
    for (int i = 0; i < resultList_->count(); ++i)
        lines << resultList_->item(i)->text();
    std::stable_sort(lines.begin(), lines.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const bool updates = resultList_->updatesEnabled();
    resultList_->setUpdatesEnabled(false);
    resultList_->clear();
    resultList_->addItems(lines);
    resultList_->setUpdatesEnabled(updates);
}

void GrepWindow::pickFolder()
{
    if (busy_)
        return;
    QFileDialog dialog(this, QStringLiteral("Select a folder"));
    dialog.setObjectName(QStringLiteral("bdir1"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(QDir::homePath());
    if (!pickedFolder_.isEmpty() && QFileInfo(pickedFolder_).isDir()) {
        dialog.setDirectory(QFileInfo(pickedFolder_).absolutePath());
        dialog.selectFile(pickedFolder_);
    }
    if (prompts_.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        pickedFolder_.clear();
        return;
    }
    pickedFolder_ = QDir::cleanPath(dialog.selectedFiles().constFirst());
    directoryBox_->setEditText(pickedFolder_);
}

QString GrepWindow::currentPath() const
{
    const QListWidgetItem* item = resultList_->currentItem();
    return item ? item->text() : QString();
}

void GrepWindow::showFileInfo()
{
    if (busy_ || resultList_->count() == 0 || resultList_->currentRow() < 0)
        return;
    const QString path = currentPath();
    statusLabel_->setText(QStringLiteral("%1. %2").arg(resultList_->currentRow() + 1).arg(path));
    showStatus({}, false);
    const ShellFileInfo info = ShellFileInfo::get(path);
    fileIcon_->setPixmap(info.icon.pixmap(32, 32));
    fileNameLabel_->setText(info.displayName);
    fileTypeLabel_->setText(info.typeName);
    fileAttributesLabel_->setText(ShellFileInfo::attributeSummary(info.attributes));
    propertiesButton_->setEnabled(infoPanel_->isEnabled() && (info.attributes & ShellFileInfo::HasPropertySheet) != 0);
}

void GrepWindow::openResult()
{
    if (busy_ || resultList_->count() == 0 || resultList_->currentRow() < 0)
        return;
    const QString path = currentPath();
    if (path.endsWith(QStringLiteral(".DFM"), Qt::CaseInsensitive))
        opener_.openFoundForm(path, expressionBox_->currentText());
    else
        launchFile(path);
}

void GrepWindow::showProperties()
{
    if (resultList_->count() == 0 || resultList_->currentRow() < 0)
        return;
    FilePropertiesDialog::showItemProperties(currentPath(), this);
}

void GrepWindow::openWithProgram()
{
    if (resultList_->count() == 0 || resultList_->currentRow() < 0)
        return;
    launchFile(currentPath());
}

void GrepWindow::launchFile(const QString& path)
{
    if (!prompts_.launch(path))
        prompts_.notice(QStringLiteral("Can't launch \"%1\"").arg(path));
}

void GrepWindow::reject()
{
    if (!busy_)
        QDialog::reject();
}

void GrepWindow::closeEvent(QCloseEvent* event)
{
    if (busy_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void GrepWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    expressionBox_->setFocus();
}

void GrepWindow::setControlsEnabled(bool enabled)
{
    const std::initializer_list<QWidget*> controls = {
        searchButton_,  exitButton_,      deleteOptionsButton_, clearButton_, subfoldersCheck_, keepListCheck_,
        sortListCheck_, anyEncodingCheck_, formStringsCheck_,   expressionBox_, maskBox_,  directoryBox_,   folderButton_};
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void GrepWindow::scanWarning(const std::string& text)
{
    prompts_.warning(QString::fromStdString(text));
}

void GrepWindow::scanError(const std::string& text)
{
    // The box's two lines are split by a carriage return alone.
    prompts_.error(QFile::decodeName(QByteArray::fromStdString(text)).replace(u'\r', u'\n'));
}

void GrepWindow::inputRefused(GrepInput input, const std::string& message)
{
    prompts_.notice(QFile::decodeName(QByteArray::fromStdString(message)));
    QComboBox* box = input == GrepInput::Directory ? directoryBox_ : input == GrepInput::Mask ? maskBox_ : expressionBox_;
    box->setFocus();
    box->lineEdit()->selectAll();
}

void GrepWindow::searchStarted()
{
    resultList_->setUpdatesEnabled(false);
    stopButton_->show();
    stopButton_->repaint();
    busy_ = true;
    setControlsEnabled(false);
    busyIndicator_->show();
    infoPanel_->setEnabled(false);
}

void GrepWindow::searchEnded()
{
    stopButton_->hide();
    resultList_->setUpdatesEnabled(true);
    busy_ = false;
    setControlsEnabled(true);
    busyIndicator_->hide();
    infoPanel_->setEnabled(resultList_->count() > 0);
    if (sortListCheck_->isChecked())
        sortList();
}

void GrepWindow::showStatus(const std::string& text, bool found)
{
    if (!text.empty())
        statusLabel_->setText(QFile::decodeName(QByteArray::fromStdString(text)));
    QPalette palette = statusLabel_->palette();
    palette.setColor(QPalette::WindowText, found ? MatchColor : QColor(Qt::black));
    statusLabel_->setPalette(palette);
    statusLabel_->repaint();
}

void GrepWindow::letEventsThrough()
{
    QApplication::processEvents();
}

bool GrepWindow::takeStopRequest()
{
    return std::exchange(stopRequested_, false);
}

void GrepWindow::addFile(const std::string& path)
{
    resultList_->addItem(QFile::decodeName(QByteArray::fromStdString(path)));
}

std::size_t GrepWindow::fileCount() const
{
    return static_cast<std::size_t>(resultList_->count());
}

}  // namespace dfm
