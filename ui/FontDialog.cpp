// Builds the font dialog and keeps its sample in step with the choices.
#include "FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <iterator>

namespace dfm {

namespace {

constexpr int MinPointSize = 6;
constexpr int MaxPointSize = 40;
constexpr int FallbackPointSize = 10;

struct NamedColor
{
    const char* name;
    QRgb rgb;
};

constexpr NamedColor ClassicColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000}, {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080}, {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},    {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF}, {"White", 0xFFFFFF},
};

QIcon swatch(const QColor& color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

FontDialog::FontDialog(QWidget* parent, Families families) : QDialog(parent)
{
    setWindowTitle(tr("Font"));

    familyList_ = new QListWidget(this);
    familyList_->setObjectName("FamilyList");
    for (const QString& family : QFontDatabase::families()) {
        if (families == Families::All || QFontDatabase::isFixedPitch(family))
            familyList_->addItem(family);
    }
    // A system without any fixed-pitch family still offers the one Qt falls back to.
    if (familyList_->count() == 0)
        familyList_->addItem(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    auto* familyLabel = new QLabel(tr("&Font:"), this);
    familyLabel->setBuddy(familyList_);

    sizeBox_ = new QSpinBox(this);
    sizeBox_->setObjectName("SizeBox");
    sizeBox_->setRange(MinPointSize, MaxPointSize);
    sizeBox_->setValue(FallbackPointSize);
    auto* sizeLabel = new QLabel(tr("&Size:"), this);
    sizeLabel->setBuddy(sizeBox_);

    auto* styleGroup = new QGroupBox(tr("Style"), this);
    boldBox_ = new QCheckBox(tr("&Bold"), styleGroup);
    boldBox_->setObjectName("BoldBox");
    italicBox_ = new QCheckBox(tr("&Italic"), styleGroup);
    italicBox_->setObjectName("ItalicBox");
    auto* styleLayout = new QVBoxLayout(styleGroup);
    styleLayout->addWidget(boldBox_);
    styleLayout->addWidget(italicBox_);
    styleLayout->addStretch(1);

    auto* effectsGroup = new QGroupBox(tr("Effects"), this);
    strikeOutBox_ = new QCheckBox(tr("Stri&keout"), effectsGroup);
    strikeOutBox_->setObjectName("StrikeOutBox");
    underlineBox_ = new QCheckBox(tr("&Underline"), effectsGroup);
    underlineBox_->setObjectName("UnderlineBox");
    colorBox_ = new QComboBox(effectsGroup);
    colorBox_->setObjectName("ColorBox");
    for (const NamedColor& c : ClassicColors) {
        const QColor color = QColor::fromRgb(c.rgb);
        colorBox_->addItem(swatch(color), tr(c.name), color);
    }
    auto* colorLabel = new QLabel(tr("Co&lor:"), effectsGroup);
    colorLabel->setBuddy(colorBox_);
    auto* effectsLayout = new QVBoxLayout(effectsGroup);
    effectsLayout->addWidget(strikeOutBox_);
    effectsLayout->addWidget(underlineBox_);
    effectsLayout->addWidget(colorLabel);
    effectsLayout->addWidget(colorBox_);
    effectsLayout->addStretch(1);

    auto* sampleGroup = new QGroupBox(tr("Sample"), this);
    sample_ = new QLabel(QStringLiteral("AaBbYyZz"), sampleGroup);
    sample_->setAlignment(Qt::AlignCenter);
    // Room for the largest size, so the dialog does not jump while sizes are tried.
    sample_->setFixedHeight(72);
    sample_->setMinimumWidth(240);
    auto* sampleLayout = new QVBoxLayout(sampleGroup);
    sampleLayout->addWidget(sample_);

    auto* okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName("OkButton");
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName("CancelButton");
    auto* applyButton = new QPushButton(tr("&Apply"), this);
    applyButton->setObjectName("ApplyButton");
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &FontDialog::applyClicked);

    auto* choices = new QGridLayout;
    choices->addWidget(familyLabel, 0, 0);
    choices->addWidget(sizeLabel, 0, 1);
    choices->addWidget(familyList_, 1, 0, 2, 1);
    choices->addWidget(sizeBox_, 1, 1);
    choices->addWidget(styleGroup, 2, 1);
    choices->addWidget(effectsGroup, 3, 0);
    choices->addWidget(sampleGroup, 3, 1);
    choices->setColumnStretch(0, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(applyButton);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(choices, 1);
    layout->addLayout(buttons);

    connect(familyList_, &QListWidget::currentRowChanged, this, &FontDialog::updateSample);
    connect(sizeBox_, &QSpinBox::valueChanged, this, &FontDialog::updateSample);
    for (QCheckBox* box : {boldBox_, italicBox_, strikeOutBox_, underlineBox_})
        connect(box, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(colorBox_, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);

    setChoice(QFontDatabase::systemFont(QFontDatabase::FixedFont), Qt::black);
}

void FontDialog::setChoice(const QFont& font, const QColor& color)
{
    selectFamily(font.family());
    // A font sized in pixels reports no point size; fall back rather than pin it to the minimum.
    const int points = font.pointSize();
    sizeBox_->setValue(points > 0 ? points : FallbackPointSize);
    boldBox_->setChecked(font.bold());
    italicBox_->setChecked(font.italic());
    strikeOutBox_->setChecked(font.strikeOut());
    underlineBox_->setChecked(font.underline());
    selectColor(color);
    updateSample();
}

QFont FontDialog::selectedFont() const
{
    QFont font;
    const QListWidgetItem* item = familyList_->currentItem();
    font.setFamily(item ? item->text() : QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    font.setPointSize(sizeBox_->value());
    font.setBold(boldBox_->isChecked());
    font.setItalic(italicBox_->isChecked());
    font.setStrikeOut(strikeOutBox_->isChecked());
    font.setUnderline(underlineBox_->isChecked());
    return font;
}

QColor FontDialog::selectedColor() const
{
    const QColor color = colorBox_->currentData().value<QColor>();
    return color.isValid() ? color : QColor(Qt::black);
}

void FontDialog::selectFamily(const QString& family)
{
    if (family.isEmpty()) {
        if (!familyList_->currentItem())
            familyList_->setCurrentRow(0);
        return;
    }
    QList<QListWidgetItem*> found = familyList_->findItems(family, Qt::MatchFixedString);
    QListWidgetItem* item = found.isEmpty() ? nullptr : found.first();
    if (!item) {
        item = new QListWidgetItem(family);
        familyList_->addItem(item);
        familyList_->sortItems();
    }
    familyList_->setCurrentItem(item);
    familyList_->scrollToItem(item);
}

void FontDialog::selectColor(const QColor& color)
{
    if (!color.isValid()) {
        colorBox_->setCurrentIndex(0);
        return;
    }
    // Alpha is not offered here, so colours are told apart by their RGB value only.
    const QRgb rgb = color.rgb() & RGB_MASK;
    const int count = static_cast<int>(std::size(ClassicColors));
    for (int i = 0; i < count; ++i) {
        if ((ClassicColors[i].rgb & RGB_MASK) == rgb) {
            colorBox_->setCurrentIndex(i);
            return;
        }
    }
    // One custom entry at most: a later preset replaces the earlier one.
    const QColor custom = QColor::fromRgb(rgb);
    if (colorBox_->count() > count) {
        colorBox_->setItemData(count, custom);
        colorBox_->setItemIcon(count, swatch(custom));
    } else {
        colorBox_->addItem(swatch(custom), tr("Custom"), custom);
    }
    colorBox_->setCurrentIndex(count);
}

void FontDialog::setSampleBackground(const QColor& color, bool readableText)
{
    if (readableText)
        readableOn_ = SyntaxPalette(color);
    else
        readableOn_.reset();
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::Window, color);
    sample_->setPalette(palette);
    sample_->setAutoFillBackground(true);
    updateSample();
}

void FontDialog::updateSample()
{
    sample_->setFont(selectedFont());
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, readableOn_ ? readableOn_->readableText(selectedColor()) : selectedColor());
    sample_->setPalette(palette);
}

}  // namespace dfm
