#include "TfrmTernGrep.h"

#include "FormOpener.h"
#include "GrepEngine.h"
#include "GrepSettings.h"
#include "PageText.h"
#include "ShellFileInfo.h"
#include "TFileProperties.h"
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
#include <exception>

namespace dfm {

namespace {

const QColor StatusBackground(221, 222, 216);
const QColor MatchColor(128, 0, 128);

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& geometry, bool bold = false)
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

QComboBox* AddHistoryBox(QWidget* parent, const char* name, const QString& caption, const QString& hint, int top,
                         int width)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    // Enter starts the search; only a completed search adds to the history.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(hint);
    box->setGeometry(80, top, width, 21);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    QLabel* label = AddLabel(parent, caption, QRect(8, top + 3, 70, 15));
    label->setBuddy(box);
    return box;
}

QCheckBox* AddCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int left)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 300, 75, 25);
    button->setAutoDefault(false);
    return button;
}

void SetHistory(QComboBox* box, const GrepSettings::History& history)
{
    box->clear();
    box->addItems(history.items);
    box->setEditText(history.text);
}

GrepSettings::History HistoryOf(const QComboBox* box)
{
    GrepSettings::History history;
    for (int i = 0; i < box->count(); ++i)
        history.items << box->itemText(i);
    history.text = box->currentText();
    return history;
}

// A text that matches no item, without regard to case, becomes the first item.
void UpdateHistory(QComboBox* box)
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

TfrmTernGrep::TfrmTernGrep(UserPrompts& prompts, FormOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      prompts_(prompts), opener_(opener)
{
    setObjectName(QStringLiteral("frmTernGrep"));
    setWindowTitle(QStringLiteral("QUENDFMED Grep"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(535, 328);
    CreateControls();
    try {
        LoadOptions();
    } catch (const std::exception& error) {
        prompts_.ErrorBox(UserPrompts::ErrorBoxText(QString::fromUtf8(error.what())));
    }
}

void TfrmTernGrep::CreateControls()
{
    lblStatus_ = AddLabel(this, QString(), QRect(0, 0, 535, 17));
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setAutoFillBackground(true);
    QPalette palette = lblStatus_->palette();
    palette.setColor(QPalette::Window, StatusBackground);
    palette.setColor(QPalette::WindowText, Qt::black);
    lblStatus_->setPalette(palette);

    auto* panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setObjectName(QStringLiteral("pnlInfo"));
    panel->setGeometry(0, 17, 535, 34);
    panel->setEnabled(false);
    pnlInfo_ = panel;
    image1_ = AddLabel(panel, QString(), QRect(2, 1, 32, 32));
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32, 32));
    AddLabel(panel, QStringLiteral("Name:"), QRect(40, 2, 34, 14));
    lblname_ = AddLabel(panel, QStringLiteral("?"), QRect(76, 2, 170, 14), true);
    lblname_->setObjectName(QStringLiteral("lblname"));
    AddLabel(panel, QStringLiteral("Type:"), QRect(40, 17, 34, 14));
    lbltype_ = AddLabel(panel, QStringLiteral("?"), QRect(76, 17, 170, 14), true);
    lbltype_->setObjectName(QStringLiteral("lbltype"));
    AddLabel(panel, QStringLiteral("Attr:"), QRect(252, 2, 30, 14));
    lblattr_ = AddLabel(panel, QStringLiteral("?"), QRect(282, 2, 222, 28), true);
    lblattr_->setObjectName(QStringLiteral("lblattr"));
    lblattr_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblattr_->setWordWrap(true);
    sbProp_ = new QToolButton(panel);
    sbProp_->setObjectName(QStringLiteral("sbProp"));
    sbProp_->setAutoRaise(true);
    sbProp_->setIcon(style()->standardIcon(QStyle::SP_FileDialogInfoView));
    sbProp_->setGeometry(506, 4, 26, 26);
    sbProp_->setEnabled(false);
    connect(sbProp_, &QToolButton::clicked, this, &TfrmTernGrep::sbPropClick);

    lbxFiles_ = new QListWidget(this);
    lbxFiles_->setObjectName(QStringLiteral("lbxFiles"));
    lbxFiles_->setGeometry(0, 51, 535, 124);
    lbxFiles_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxFiles_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbxFiles_, &QListWidget::itemClicked, this, &TfrmTernGrep::lbxFilesClick);
    // The keyboard moves the current line too; a mouse press that moves it is answered by its
    // click, so that the file is looked up once.
    connect(lbxFiles_, &QListWidget::currentRowChanged, this, [this] {
        if (QApplication::mouseButtons() == Qt::NoButton)
            lbxFilesClick();
    });
    connect(lbxFiles_, &QListWidget::itemDoubleClicked, this, &TfrmTernGrep::lbxFilesDblClick);

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* fileInfo = popupMenu1_->addAction(QStringLiteral("File info"), this, &TfrmTernGrep::sbPropClick);
    fileInfo->setObjectName(QStringLiteral("Fileinfo1"));
    QAction* launch = popupMenu1_->addAction(QStringLiteral("Shell execute"), this, &TfrmTernGrep::Shellexecute1Click);
    launch->setObjectName(QStringLiteral("Shellexecute1"));
    popupMenu1_->addSeparator();
    popupMenu1_->addAction(QStringLiteral("cancel"))->setObjectName(QStringLiteral("cancel1"));
    connect(lbxFiles_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu1_->popup(lbxFiles_->viewport()->mapToGlobal(at)); });

    auto* group = new QGroupBox(QStringLiteral("Options"), this);
    group->setObjectName(QStringLiteral("grpOptions"));
    group->setGeometry(0, 177, 535, 118);
    CreateOptionsGroup(group);
    CreateButtons();
}

void TfrmTernGrep::CreateOptionsGroup(QWidget* group)
{
    cbxExp_ = AddHistoryBox(group, "cbxExp", QStringLiteral("E&xpression:"), QStringLiteral("Text to search"), 16, 250);
    cbxMask_ = AddHistoryBox(group, "cbxMask", QStringLiteral("&File Mask:"),
                             QStringLiteral("File mask without \"*\" nor \".\" ex: \"DFM\""), 41, 120);
    cbxMask_->setEditText(QStringLiteral("DFM"));
    cbxDirectory_ = AddHistoryBox(group, "cbxDirectory", QStringLiteral("&Directory:"), QStringLiteral("Where to search"),
                                  66, 420);
    speedButton1_ = new QToolButton(group);
    speedButton1_->setObjectName(QStringLiteral("SpeedButton1"));
    speedButton1_->setAutoRaise(true);
    speedButton1_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    speedButton1_->setGeometry(503, 65, 24, 23);
    connect(speedButton1_, &QToolButton::clicked, this, &TfrmTernGrep::SpeedButton1Click);

    chkRec_ = AddCheckBox(group, "chkRec", QStringLiteral(" S&earch Subdirectories"), QRect(8, 94, 170, 17));
    chkKeep_ = AddCheckBox(group, "chkKeep", QStringLiteral(" &Keep List"), QRect(190, 94, 110, 17));
    chkSort_ = AddCheckBox(group, "chkSort", QStringLiteral("&Sort list"), QRect(310, 94, 110, 17));
    chkCase_ = AddCheckBox(group, "chkCase", QStringLiteral(" &Case Sensitive"), QRect(430, 94, 100, 17));
    chkCase_->hide();
    connect(chkSort_, &QCheckBox::clicked, this, &TfrmTernGrep::chkSortClick);

    animate1_ = new QProgressBar(group);
    animate1_->setObjectName(QStringLiteral("Animate1"));
    animate1_->setRange(0, 0);
    animate1_->setTextVisible(false);
    animate1_->setGeometry(440, 18, 80, 14);
    animate1_->hide();
}

void TfrmTernGrep::CreateButtons()
{
    btnSearch_ = AddButton(this, "btnSearch", QStringLiteral("&Search"), 8);
    btnSearch_->setDefault(true);
    btnExit_ = AddButton(this, "btnExit", QStringLiteral("E&xit"), 88);
    bbstop_ = AddButton(this, "bbstop", QStringLiteral("Stop !"), 230);
    bbstop_->hide();
    bitBtn1_ = AddButton(this, "BitBtn1", QStringLiteral("Del options"), 372);
    btnClear_ = AddButton(this, "btnClear", QStringLiteral("Clear"), 452);
    connect(btnSearch_, &QPushButton::clicked, this, &TfrmTernGrep::btnSearchClick);
    connect(btnExit_, &QPushButton::clicked, this, &TfrmTernGrep::btnExitClick);
    connect(bbstop_, &QPushButton::clicked, this, &TfrmTernGrep::bbstopClick);
    connect(bitBtn1_, &QPushButton::clicked, this, &TfrmTernGrep::BitBtn1Click);
    connect(btnClear_, &QPushButton::clicked, this, &TfrmTernGrep::btnClearClick);
}

void TfrmTernGrep::LoadOptions()
{
    GrepSettings settings;
    SetHistory(cbxDirectory_, settings.ReadHistory(GrepSettings::Directory));
    SetHistory(cbxExp_, settings.ReadHistory(GrepSettings::Expression));
    SetHistory(cbxMask_, settings.ReadHistory(GrepSettings::Mask));
    if (cbxMask_->currentText().isEmpty())
        cbxMask_->setEditText(QStringLiteral("DFM"));
    chkCase_->setChecked(settings.Flag(GrepSettings::CaseSensitive, true));
    chkRec_->setChecked(settings.Flag(GrepSettings::SubDirs, false));
    chkKeep_->setChecked(settings.Flag(GrepSettings::KeepList, false));
    chkSort_->setChecked(settings.Flag(GrepSettings::SortList, false));
    chkSortClick();
}

void TfrmTernGrep::SaveOptions()
{
    GrepSettings settings;
    settings.SetFlag(GrepSettings::CaseSensitive, chkCase_->isChecked());
    settings.SetFlag(GrepSettings::SubDirs, chkRec_->isChecked());
    settings.SetFlag(GrepSettings::KeepList, chkKeep_->isChecked());
    settings.SetFlag(GrepSettings::SortList, chkSort_->isChecked());
    settings.WriteHistory(GrepSettings::Directory, HistoryOf(cbxDirectory_));
    settings.WriteHistory(GrepSettings::Mask, HistoryOf(cbxMask_));
    settings.WriteHistory(GrepSettings::Expression, HistoryOf(cbxExp_));
    if (!settings.Flush())
        prompts_.ErrorBox(QStringLiteral("The grep options could not be written to %1.").arg(settings.FileName()));
}

void TfrmTernGrep::btnSearchClick()
{
    if (busy_)
        return;
    if (!chkKeep_->isChecked())
        lbxFiles_->clear();
    // The key is looked for as the bytes the editor would save it as; a character without one
    // would be looked for as "?".
    const QString key = cbxExp_->currentText();
    if (PageText::FromBytes(PageText::ToBytes(key).toStdString()) != key) {
        InputRefused(GrepInput::Key, "Search Key holds characters that form files cannot hold");
        return;
    }
    GrepRequest request;
    request.directory = QFile::encodeName(cbxDirectory_->currentText()).toStdString();
    request.mask = QFile::encodeName(cbxMask_->currentText()).toStdString();
    request.key = PageText::ToBytes(key).toStdString();
    request.subdirectories = chkRec_->isChecked();
    request.caseSensitive = chkCase_->isChecked();
    try {
        GrepEngine engine(*this);
        if (engine.Search(request) != GrepEngine::Outcome::Completed)
            return;
        UpdateHistory(cbxExp_);
        UpdateHistory(cbxMask_);
        UpdateHistory(cbxDirectory_);
        SaveOptions();
    } catch (const std::exception& error) {
        prompts_.ErrorBox(UserPrompts::ErrorBoxText(QString::fromUtf8(error.what())));
    }
}

void TfrmTernGrep::bbstopClick()
{
    stopRequested_ = true;
}

void TfrmTernGrep::btnExitClick()
{
    if (!busy_)
        hide();
}

void TfrmTernGrep::btnClearClick()
{
    if (busy_)
        return;
    lbxFiles_->clear();
    lblStatus_->clear();
}

void TfrmTernGrep::BitBtn1Click()
{
    if (busy_)
        return;
    for (QComboBox* box : {cbxExp_, cbxMask_, cbxDirectory_}) {
        box->clear();
        box->clearEditText();
    }
}

void TfrmTernGrep::chkSortClick()
{
    if (!busy_ && chkSort_->isChecked())
        SortList();
}

void TfrmTernGrep::SortList()
{
    QStringList lines;
    for (int i = 0; i < lbxFiles_->count(); ++i)
        lines << lbxFiles_->item(i)->text();
    std::stable_sort(lines.begin(), lines.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const bool updates = lbxFiles_->updatesEnabled();
    lbxFiles_->setUpdatesEnabled(false);
    lbxFiles_->clear();
    lbxFiles_->addItems(lines);
    lbxFiles_->setUpdatesEnabled(updates);
}

void TfrmTernGrep::SpeedButton1Click()
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
    if (prompts_.Exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        pickedFolder_.clear();
        return;
    }
    pickedFolder_ = QDir::cleanPath(dialog.selectedFiles().constFirst());
    cbxDirectory_->setEditText(pickedFolder_);
}

QString TfrmTernGrep::CurrentPath() const
{
    const QListWidgetItem* item = lbxFiles_->currentItem();
    return item ? item->text() : QString();
}

void TfrmTernGrep::lbxFilesClick()
{
    if (busy_ || lbxFiles_->count() == 0 || lbxFiles_->currentRow() < 0)
        return;
    const QString path = CurrentPath();
    lblStatus_->setText(QStringLiteral("%1. %2").arg(lbxFiles_->currentRow() + 1).arg(path));
    ShowStatus({}, false);
    const ShellFileInfo info = ShellFileInfo::Get(path);
    image1_->setPixmap(info.icon.pixmap(32, 32));
    lblname_->setText(info.displayName);
    lbltype_->setText(info.typeName);
    lblattr_->setText(ShellFileInfo::AttributeSummary(info.attributes));
    sbProp_->setEnabled(pnlInfo_->isEnabled() && (info.attributes & ShellFileInfo::HasPropertySheet) != 0);
}

void TfrmTernGrep::lbxFilesDblClick()
{
    if (busy_ || lbxFiles_->count() == 0 || lbxFiles_->currentRow() < 0)
        return;
    const QString path = CurrentPath();
    if (path.endsWith(QStringLiteral(".DFM"), Qt::CaseInsensitive))
        opener_.OpenFoundForm(path, cbxExp_->currentText());
    else
        ShellOpen(path);
}

void TfrmTernGrep::sbPropClick()
{
    if (lbxFiles_->count() == 0 || lbxFiles_->currentRow() < 0)
        return;
    TFileProperties::ShowItemProperties(CurrentPath(), this);
}

void TfrmTernGrep::Shellexecute1Click()
{
    if (lbxFiles_->count() == 0 || lbxFiles_->currentRow() < 0)
        return;
    ShellOpen(CurrentPath());
}

void TfrmTernGrep::ShellOpen(const QString& path)
{
    if (!prompts_.Launch(path))
        prompts_.Notice(QStringLiteral("Can't launch \"%1\"").arg(path));
}

void TfrmTernGrep::reject()
{
    if (!busy_)
        QDialog::reject();
}

void TfrmTernGrep::closeEvent(QCloseEvent* event)
{
    if (busy_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TfrmTernGrep::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    cbxExp_->setFocus();
}

void TfrmTernGrep::SetControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{btnSearch_, btnExit_, bitBtn1_, btnClear_, chkRec_, chkKeep_,
                                                            chkSort_, cbxExp_, cbxMask_, cbxDirectory_, speedButton1_})
        control->setEnabled(enabled);
}

void TfrmTernGrep::ScanWarning(const std::string& text)
{
    prompts_.Warning(QString::fromStdString(text));
}

void TfrmTernGrep::ScanError(const std::string& text)
{
    // The box's two lines are split by a carriage return alone.
    prompts_.Error(QFile::decodeName(QByteArray::fromStdString(text)).replace(u'\r', u'\n'));
}

void TfrmTernGrep::InputRefused(GrepInput input, const std::string& message)
{
    prompts_.Notice(QFile::decodeName(QByteArray::fromStdString(message)));
    QComboBox* box = input == GrepInput::Directory ? cbxDirectory_ : input == GrepInput::Mask ? cbxMask_ : cbxExp_;
    box->setFocus();
    box->lineEdit()->selectAll();
}

void TfrmTernGrep::SearchStarted()
{
    lbxFiles_->setUpdatesEnabled(false);
    bbstop_->show();
    bbstop_->repaint();
    busy_ = true;
    SetControlsEnabled(false);
    animate1_->show();
    pnlInfo_->setEnabled(false);
}

void TfrmTernGrep::SearchEnded()
{
    bbstop_->hide();
    lbxFiles_->setUpdatesEnabled(true);
    busy_ = false;
    SetControlsEnabled(true);
    animate1_->hide();
    pnlInfo_->setEnabled(lbxFiles_->count() > 0);
    if (chkSort_->isChecked())
        SortList();
}

void TfrmTernGrep::ShowStatus(const std::string& text, bool found)
{
    if (!text.empty())
        lblStatus_->setText(QFile::decodeName(QByteArray::fromStdString(text)));
    QPalette palette = lblStatus_->palette();
    palette.setColor(QPalette::WindowText, found ? MatchColor : QColor(Qt::black));
    lblStatus_->setPalette(palette);
    lblStatus_->repaint();
}

void TfrmTernGrep::LetEventsThrough()
{
    QApplication::processEvents();
}

bool TfrmTernGrep::TakeStopRequest()
{
    return std::exchange(stopRequested_, false);
}

void TfrmTernGrep::AddFile(const std::string& path)
{
    lbxFiles_->addItem(QFile::decodeName(QByteArray::fromStdString(path)));
}

std::size_t TfrmTernGrep::FileCount() const
{
    return static_cast<std::size_t>(lbxFiles_->count());
}

}  // namespace dfm
