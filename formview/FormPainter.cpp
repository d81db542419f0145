#include "FormPainter.h"

#include "AsciiText.h"
#include "CollectionItem.h"
#include "FormColors.h"
#include "FormLayout.h"

#include <QDate>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

// The face of a raised edge's inner line, a little lighter than the button face.
QColor lightFace() { return QColor(227, 227, 227); }

void edge(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

void raised(QPainter& painter, const QRect& r)
{
    edge(painter, r, FormColors::buttonHighlight(), FormColors::darkShadow());
    edge(painter, r.adjusted(1, 1, -1, -1), lightFace(), FormColors::buttonShadow());
}

void sunken(QPainter& painter, const QRect& r)
{
    edge(painter, r, FormColors::buttonShadow(), FormColors::buttonHighlight());
    edge(painter, r.adjusted(1, 1, -1, -1), FormColors::darkShadow(), lightFace());
}

void etched(QPainter& painter, const QRect& r)
{
    edge(painter, r.adjusted(0, 0, -1, -1), FormColors::buttonShadow(), FormColors::buttonShadow());
    edge(painter, r.adjusted(1, 1, 0, 0), FormColors::buttonHighlight(), FormColors::buttonHighlight());
}

bool is(const std::optional<std::string>& value, std::string_view word)
{
    return value && ascii::equalsIgnoringCase(*value, word);
}

QColor textColour(const DrawnObject& object)
{
    return object.enabled ? object.fontColor : FormColors::grayText();
}

// No control shows more of a text than this; laying out megabytes of it would only cost time.
constexpr qsizetype MostShownCharacters = 4096;

void text(QPainter& painter, const DrawnObject& object, const QRect& r, int flags, const QString& shown)
{
    if (shown.isEmpty() || r.width() <= 0 || r.height() <= 0)
        return;
    painter.setFont(object.font);
    painter.setPen(textColour(object));
    painter.drawText(r, flags, shown.left(MostShownCharacters));
}

// The width of a caption as shown, its accelerator marks left out.
int captionWidth(const QFontMetrics& metrics, const QString& caption)
{
    return metrics.horizontalAdvance(caption.left(MostShownCharacters).remove('&'));
}

// The horizontal alignment a control stores ("taCenter"), or absent.
int horizontalAlignment(const DrawnObject& object, int absent)
{
    const std::optional<std::string> alignment = object.text("Alignment");
    if (is(alignment, "taCenter") || is(alignment, "Center"))
        return Qt::AlignHCenter;
    if (is(alignment, "taRightJustify") || is(alignment, "Trailing"))
        return Qt::AlignRight;
    if (is(alignment, "taLeftJustify") || is(alignment, "Leading"))
        return Qt::AlignLeft;
    return absent;
}

int wrapping(const DrawnObject& object) { return object.boolean("WordWrap", false) ? Qt::TextWordWrap : 0; }

void downArrow(QPainter& painter, const QRect& r, const QColor& colour)
{
    const QPoint centre = r.center();
    for (int row = 0; row < 4; ++row)
        painter.fillRect(QRect(centre.x() - 3 + row, centre.y() - 1 + row, 7 - 2 * row, 1), colour);
}

void upArrow(QPainter& painter, const QRect& r, const QColor& colour)
{
    const QPoint centre = r.center();
    for (int row = 0; row < 4; ++row)
        painter.fillRect(QRect(centre.x() - row, centre.y() - 2 + row, 2 * row + 1, 1), colour);
}

void dashedFrame(QPainter& painter, const QRect& r)
{
    painter.save();
    QPen pen(FormColors::buttonShadow(), 0, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.restore();
}

void placeholder(QPainter& painter, const DrawnObject& object, const QRect& r, const QString& why)
{
    dashedFrame(painter, r);
    QFont small = object.font;
    small.setPixelSize(std::max(8, std::min(object.font.pixelSize(), 11)));
    painter.setFont(small);
    painter.setPen(FormColors::grayText());
    painter.drawText(r.adjusted(3, 2, -3, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, why);
}

// A picture drawn as an image control stores it: stretched, kept in proportion, centred, or at
// its own size from the top-left corner.
void picture(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QImage& image = object.picture;
    QRectF target(r.topLeft(), image.size());
    if (object.boolean("Stretch", false)) {
        target = r;
    } else if (object.boolean("Proportional", false) && (image.width() > r.width() || image.height() > r.height())) {
        const QSizeF fitted = QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio);
        target = QRectF(r.topLeft(), fitted);
    }
    if (object.boolean("Center", false))
        target.moveCenter(QRectF(r).center());
    painter.drawImage(target, image);
}

// A button's face: its glyph (when stored) beside its caption, both centred together.
void buttonFace(QPainter& painter, const DrawnObject& object, const QRect& r, const QString& caption)
{
    const QImage& glyph = object.picture;
    if (glyph.isNull()) {
        text(painter, object, r, Qt::AlignCenter | Qt::TextShowMnemonic | wrapping(object), caption);
        return;
    }
    const int spacing = caption.isEmpty() ? 0 : 4;
    const int textWidth = caption.isEmpty() ? 0 : captionWidth(QFontMetrics(object.font), caption);
    const int width = glyph.width() + spacing + textWidth;
    const int left = r.left() + (r.width() - width) / 2;
    painter.drawImage(QPoint(left, r.top() + (r.height() - glyph.height()) / 2), glyph);
    text(painter, object, QRect(left + glyph.width() + spacing, r.top(), textWidth + 2, r.height()),
         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption);
}

QString bitButtonCaption(const DrawnObject& object)
{
    if (object.property("Caption"))
        return object.caption();
    const std::optional<std::string> kind = object.text("Kind");
    static const std::pair<const char*, const char*> captions[] = {
        {"bkOK", "OK"},          {"bkCancel", "Cancel"}, {"bkYes", "&Yes"},       {"bkNo", "&No"},
        {"bkHelp", "&Help"},     {"bkClose", "&Close"},  {"bkAbort", "Abort"},    {"bkRetry", "&Retry"},
        {"bkIgnore", "&Ignore"}, {"bkAll", "&All"},
    };
    for (const auto& [name, caption] : captions) {
        if (is(kind, name))
            return caption;
    }
    return {};
}

void drawPanel(QPainter& painter, const DrawnObject& object, QRect r)
{
    painter.fillRect(r, object.color);
    if (is(object.text("BorderStyle"), "bsSingle")) {
        edge(painter, r, FormColors::darkShadow(), FormColors::darkShadow());
        r.adjust(1, 1, -1, -1);
    }
    const int bevelWidth = static_cast<int>(std::clamp<std::int64_t>(object.integer("BevelWidth").value_or(1), 0, 100));
    const auto bevel = [&](const std::optional<std::string>& kind, bool absent) {
        const bool shown = kind ? !is(kind, "bvNone") : absent;
        if (!shown)
            return;
        const bool lowered = is(kind, "bvLowered");
        for (int i = 0; i < bevelWidth && !is(kind, "bvSpace"); ++i) {
            edge(painter, r.adjusted(i, i, -i, -i), lowered ? FormColors::buttonShadow() : FormColors::buttonHighlight(),
                 lowered ? FormColors::buttonHighlight() : FormColors::buttonShadow());
        }
        r.adjust(bevelWidth, bevelWidth, -bevelWidth, -bevelWidth);
    };
    bevel(object.text("BevelOuter"), true);
    const int border = static_cast<int>(std::clamp<std::int64_t>(object.integer("BorderWidth").value_or(0), 0, 1000));
    r.adjust(border, border, -border, -border);
    bevel(object.text("BevelInner"), false);
    if (object.boolean("ShowCaption", true)) {
        const std::optional<std::string> vertical = object.text("VerticalAlignment");
        const int verticalFlag = is(vertical, "taAlignTop") ? Qt::AlignTop : is(vertical, "taAlignBottom") ? Qt::AlignBottom : Qt::AlignVCenter;
        text(painter, object, r.adjusted(2, 0, -2, 0),
             horizontalAlignment(object, Qt::AlignHCenter) | verticalFlag | Qt::TextShowMnemonic | wrapping(object),
             object.caption());
    }
}

void drawGroupBox(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, object.color);
    const QFontMetrics metrics(object.font);
    const int middle = metrics.height() / 2;
    etched(painter, QRect(r.left(), r.top() + middle, r.width(), r.height() - middle));
    const QString caption = object.caption();
    if (!caption.isEmpty()) {
        const QRect place(r.left() + 8, r.top(), captionWidth(metrics, caption) + 4, metrics.height());
        painter.fillRect(place, object.color);
        text(painter, object, place.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption);
    }
}

void drawCheckMark(QPainter& painter, const QRect& box, const QColor& colour)
{
    painter.save();
    painter.setPen(QPen(colour, 2));
    const QPointF points[] = {{box.left() + 3.0, box.top() + 6.5}, {box.left() + 5.5, box.top() + 9.0},
                              {box.left() + 10.0, box.top() + 4.0}};
    painter.drawPolyline(points, 3);
    painter.restore();
}

void drawRadioCircle(QPainter& painter, const QRect& box, bool checked, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(FormColors::buttonShadow(), 1));
    painter.setBrush(FormColors::window());
    painter.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(box).adjusted(3.5, 3.5, -3.5, -3.5));
    }
    painter.restore();
}

void drawCheckBox(QPainter& painter, const DrawnObject& object, const QRect& r, bool radio)
{
    if (!object.boolean("Transparent", false))
        painter.fillRect(r, object.color);
    const bool boxRight = is(object.text("Alignment"), "taLeftJustify");
    const int size = 13;
    const QRect box(boxRight ? r.right() + 1 - size : r.left(), r.top() + (r.height() - size) / 2, size, size);
    const std::optional<std::string> state = object.text("State");
    const bool checked = object.boolean("Checked", false) || is(state, "cbChecked");
    if (radio) {
        drawRadioCircle(painter, box, checked, textColour(object));
    } else {
        painter.fillRect(box, is(state, "cbGrayed") ? FormColors::buttonFace() : FormColors::window());
        sunken(painter, box);
        if (checked || is(state, "cbGrayed"))
            drawCheckMark(painter, box, is(state, "cbGrayed") ? FormColors::buttonShadow() : textColour(object));
    }
    const QRect label = boxRight ? QRect(r.left(), r.top(), r.width() - size - 4, r.height())
                                 : QRect(box.right() + 5, r.top(), r.right() - box.right() - 4, r.height());
    text(painter, object, label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | wrapping(object), object.caption());
}

void drawRadioGroup(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    drawGroupBox(painter, object, r);
    const std::vector<QString> items = object.strings("Items.Strings");
    if (items.empty())
        return;
    const QRect area = r.marginsRemoved(FormLayout::clientMargins(object)).adjusted(6, 0, -2, 0);
    const int columns = static_cast<int>(std::clamp<std::int64_t>(object.integer("Columns").value_or(1), 1, 16));
    const int rows = (static_cast<int>(std::min<std::size_t>(items.size(), 4096)) + columns - 1) / columns;
    const int checkedIndex = static_cast<int>(object.integer("ItemIndex").value_or(-1));
    const int rowHeight = std::max(1, area.height() / rows);
    const int columnWidth = std::max(1, area.width() / columns);
    for (int i = 0; i < static_cast<int>(items.size()) && i < rows * columns; ++i) {
        const QRect cell(area.left() + (i / rows) * columnWidth, area.top() + (i % rows) * rowHeight, columnWidth, rowHeight);
        const QRect circle(cell.left(), cell.top() + (cell.height() - 12) / 2, 12, 12);
        drawRadioCircle(painter, circle, i == checkedIndex, textColour(object));
        text(painter, object, cell.adjusted(17, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
             items[static_cast<std::size_t>(i)]);
    }
}

// A box of text: edits, memos, lists, combo boxes, pickers. Returns the area inside its border.
QRect textBox(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, object.color);
    if (is(object.text("BorderStyle"), "bsNone"))
        return r;
    if (!object.boolean("Ctl3D", true)) {
        edge(painter, r, FormColors::windowText(), FormColors::windowText());
        return r.adjusted(1, 1, -1, -1);
    }
    sunken(painter, r);
    return r.adjusted(2, 2, -2, -2);
}

void drawLines(QPainter& painter, const DrawnObject& object, const QRect& inside, const std::vector<QString>& lines,
               int lineHeight, int flags)
{
    const int step = std::max(1, lineHeight);
    int y = inside.top();
    for (const QString& line : lines) {
        if (y > inside.bottom())
            break;
        text(painter, object, QRect(inside.left(), y, inside.width(), step), flags, line);
        y += step;
    }
}

void dropButton(QPainter& painter, const QRect& inside)
{
    const QRect button(inside.right() - 15, inside.top(), 16, inside.height());
    painter.fillRect(button, FormColors::buttonFace());
    raised(painter, button);
    downArrow(painter, button, FormColors::windowText());
}

void drawEdit(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r);
    QString shown = object.caption();
    if (const std::optional<std::string> password = object.text("PasswordChar"); password && !password->empty()
        && *password != "#0")
        shown = QString(shown.size(), QString::fromStdString(*password).front());
    text(painter, object, inside.adjusted(1, 1, -1, 0), horizontalAlignment(object, Qt::AlignLeft) | Qt::AlignTop, shown);
    if (const std::optional<std::string> label = object.text("EditLabel.Caption")) {
        const int height = QFontMetrics(object.font).height();
        text(painter, object, QRect(r.left(), r.top() - height - 3, std::max(r.width(), 200), height),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, QString::fromStdString(*label));
    }
}

void drawMemo(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r).adjusted(1, 1, -1, -1);
    drawLines(painter, object, inside, object.strings("Lines.Strings"), QFontMetrics(object.font).height(),
              horizontalAlignment(object, Qt::AlignLeft) | Qt::AlignTop);
}

void drawListBox(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r).adjusted(1, 0, -1, 0);
    const int itemHeight = static_cast<int>(object.integer("ItemHeight").value_or(QFontMetrics(object.font).height()));
    drawLines(painter, object, inside, object.strings("Items.Strings"), std::clamp(itemHeight, 1, 1000),
              Qt::AlignLeft | Qt::AlignVCenter);
}

void drawComboBox(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r);
    dropButton(painter, inside);
    QString shown = object.caption();
    const std::vector<QString> items = object.strings("Items.Strings");
    const std::int64_t index = object.integer("ItemIndex").value_or(-1);
    if (shown.isEmpty() && index >= 0 && static_cast<std::size_t>(index) < items.size())
        shown = items[static_cast<std::size_t>(index)];
    text(painter, object, inside.adjusted(2, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void drawDateTimePicker(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r);
    dropButton(painter, inside);
    QString shown;
    // A date is stored as days since the end of 1899.
    if (const std::optional<double> days = object.number("Date"); days && std::abs(*days) < 3e6)
        shown = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(*days))).toString("yyyy-MM-dd");
    text(painter, object, inside.adjusted(2, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void headerCell(QPainter& painter, const DrawnObject& object, const QRect& cell, const QString& caption)
{
    painter.fillRect(cell, FormColors::buttonFace());
    edge(painter, cell, FormColors::buttonHighlight(), FormColors::buttonShadow());
    text(painter, object, cell.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
}

// The columns of a collection ("Columns"): each item's width and caption.
std::vector<std::pair<int, QString>> columnsOf(const DrawnObject& object, std::string_view captionName, int absentWidth)
{
    std::vector<std::pair<int, QString>> columns;
    const std::optional<FormValue> value = object.property("Columns");
    if (!value || value->kind() != ValueTag::Collection)
        return columns;
    for (const CollectionItem& item : value->items()) {
        int width = absentWidth;
        QString caption;
        if (const std::optional<FormProperty> stored = item.findProperty("Width"); stored && stored->value().integer())
            width = static_cast<int>(std::clamp<std::int64_t>(*stored->value().integer(), 0, 100000));
        for (std::string_view name : {captionName, std::string_view("FieldName")}) {
            const std::optional<FormProperty> stored = item.findProperty(name);
            if (stored && stored->value().isString()) {
                caption = QString::fromStdString(stored->value().text(*object.page));
                break;
            }
        }
        columns.emplace_back(width, caption);
        if (columns.size() >= 1000)
            break;
    }
    return columns;
}

void drawListView(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r);
    if (!is(object.text("ViewStyle"), "vsReport") || !object.boolean("ShowColumnHeaders", true))
        return;
    const int height = QFontMetrics(object.font).height() + 6;
    int x = inside.left();
    for (const auto& [width, caption] : columnsOf(object, "Caption", 50)) {
        if (x > inside.right())
            break;
        headerCell(painter, object, QRect(x, inside.top(), width, height), caption);
        x += width;
    }
    if (x <= inside.right())
        headerCell(painter, object, QRect(x, inside.top(), inside.right() - x + 1, height), {});
}

constexpr int MostGridRows = 500;
constexpr std::size_t MostGridColumns = 200;

void drawGrid(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const QRect inside = textBox(painter, object, r);
    painter.save();
    painter.setClipRect(inside, Qt::IntersectClip);
    const auto number = [&](std::string_view name, std::int64_t absent, std::int64_t high) {
        return static_cast<int>(std::clamp<std::int64_t>(object.integer(name).value_or(absent), 0, high));
    };
    const int lineWidth = number("GridLineWidth", 1, 100);
    const int rowHeight = std::max(1, number("DefaultRowHeight", 24, 100000));
    std::vector<std::pair<int, QString>> columns;
    int fixedColumns = 0, fixedRows = 0, rows = 0;
    const auto dataAware = columnsOf(object, "Title.Caption", 64);
    const bool isDataGrid = object.property("Columns").has_value() || object.property("DataSource").has_value()
        || ascii::equalsIgnoringCase(object.className, "TDBGrid");
    if (isDataGrid) {
        if (object.inSet("Options", "dgIndicator").value_or(true))
            columns.emplace_back(11, QString()), fixedColumns = 1;
        columns.insert(columns.end(), dataAware.begin(), dataAware.end());
        fixedRows = object.inSet("Options", "dgTitles").value_or(true) ? 1 : 0;
        rows = fixedRows + std::max(1, inside.height() / rowHeight + 1);
    } else {
        const int count = number("ColCount", 5, 1000);
        const int width = std::max(1, number("DefaultColWidth", 64, 100000));
        for (int i = 0; i < count; ++i)
            columns.emplace_back(width, QString());
        fixedColumns = number("FixedCols", 1, count);
        fixedRows = number("FixedRows", 1, 1000);
        rows = number("RowCount", 5, 100000);
    }
    const QColor lines = FormColors::buttonFace().darker(115);
    // Only the cells that can show are drawn, and no more than a screen holds, so that a grid of
    // tiny cells costs no more than a large one.
    const QRect shown = inside.intersected(object.clip);
    rows = std::min(rows, MostGridRows);
    const std::size_t columnCount = std::min(columns.size(), MostGridColumns);
    int y = inside.top();
    for (int row = 0; row < rows && y <= shown.bottom(); ++row) {
        int x = inside.left();
        for (std::size_t column = 0; column < columnCount && x <= shown.right(); ++column) {
            const QRect cell(x, y, columns[column].first, rowHeight);
            const bool fixed = row < fixedRows || static_cast<int>(column) < fixedColumns;
            painter.fillRect(cell.adjusted(0, 0, lineWidth, lineWidth), lines);
            painter.fillRect(cell, fixed ? FormColors::buttonFace() : object.color);
            if (fixed)
                edge(painter, cell, FormColors::buttonHighlight(), FormColors::buttonShadow());
            if (row == 0 && fixedRows > 0)
                text(painter, object, cell.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, columns[column].second);
            x += columns[column].first + lineWidth;
        }
        y += rowHeight + lineWidth;
    }
    painter.restore();
}

// Tabs along the top of r, the active one raised; returns the display area's top.
void drawTabs(QPainter& painter, const DrawnObject& object, const QRect& r, const std::vector<QString>& captions, int active)
{
    const int height = FormLayout::tabHeight(object);
    const QRect display(r.left(), r.top() + height, r.width(), r.height() - height);
    painter.fillRect(display, object.color);
    raised(painter, display);
    const QFontMetrics metrics(object.font);
    int x = r.left() + 2;
    for (std::size_t i = 0; i < captions.size() && x <= r.right(); ++i) {
        const int width = captionWidth(metrics, captions[i]) + 14;
        const bool on = static_cast<int>(i) == active;
        const QRect tab(on ? x - 2 : x, r.top() + (on ? 0 : 2), on ? width + 4 : width, height - (on ? -1 : 2));
        painter.fillRect(tab, FormColors::buttonFace());
        painter.fillRect(QRect(tab.left(), tab.top(), tab.width(), 1), FormColors::buttonHighlight());
        painter.fillRect(QRect(tab.left(), tab.top(), 1, tab.height()), FormColors::buttonHighlight());
        painter.fillRect(QRect(tab.right(), tab.top(), 1, tab.height()), FormColors::darkShadow());
        text(painter, object, tab, Qt::AlignCenter | Qt::TextShowMnemonic, captions[i]);
        x += width;
    }
}

void drawPageControl(QPainter& painter, const std::vector<DrawnObject>& objects, const DrawnObject& object, const QRect& r)
{
    std::vector<QString> captions;
    int active = -1;
    for (const int child : object.children) {
        const DrawnObject& page = objects[static_cast<std::size_t>(child)];
        if (page.kind != ControlKind::TabSheet || !page.boolean("TabVisible", true))
            continue;
        if (page.shown)
            active = static_cast<int>(captions.size());
        captions.push_back(page.caption());
    }
    drawTabs(painter, object, r, captions, active);
}

void drawStatusBar(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, object.color);
    const QRect inside = r.adjusted(0, 2, 0, 0);
    if (object.boolean("SimplePanel", false)) {
        text(painter, object, inside.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromStdString(object.text("SimpleText").value_or("")));
        return;
    }
    const std::optional<FormValue> panels = object.property("Panels");
    int x = inside.left();
    if (panels && panels->kind() == ValueTag::Collection) {
        std::size_t count = 0;
        for (const CollectionItem& panel : panels->items()) {
            if (++count > 1000 || x > inside.right())
                break;
            int width = 50;
            if (const std::optional<FormProperty> stored = panel.findProperty("Width"); stored && stored->value().integer())
                width = static_cast<int>(std::clamp<std::int64_t>(*stored->value().integer(), 0, 100000));
            const QRect cell(x, inside.top(), width - 2, inside.height());
            edge(painter, cell, FormColors::buttonShadow(), FormColors::buttonHighlight());
            if (const std::optional<FormProperty> caption = panel.findProperty("Text"); caption && caption->value().isString())
                text(painter, object, cell.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(caption->value().text(*object.page)));
            x += width;
        }
    }
}

void drawToolButton(QPainter& painter, const std::vector<DrawnObject>& objects, const DrawnObject& object, const QRect& r)
{
    const std::optional<std::string> style = object.text("Style");
    if (is(style, "tbsSeparator"))
        return;
    if (is(style, "tbsDivider")) {
        painter.fillRect(QRect(r.center().x(), r.top() + 2, 1, r.height() - 4), FormColors::buttonShadow());
        painter.fillRect(QRect(r.center().x() + 1, r.top() + 2, 1, r.height() - 4), FormColors::buttonHighlight());
        return;
    }
    const DrawnObject* bar = object.parent >= 0 ? &objects[static_cast<std::size_t>(object.parent)] : nullptr;
    if (object.boolean("Down", false))
        sunken(painter, r);
    else if (bar == nullptr || !bar->boolean("Flat", false))
        raised(painter, r);
    if (bar != nullptr && bar->boolean("ShowCaptions", false))
        text(painter, object, r.adjusted(2, 0, -2, -2), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextShowMnemonic, object.caption());
}

void drawShape(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.save();
    const std::optional<FormValue> brushColour = object.property("Brush.Color");
    const QColor fill = brushColour ? FormColors::fromValue(*brushColour).value_or(Qt::white) : QColor(Qt::white);
    const std::optional<FormValue> penColour = object.property("Pen.Color");
    const QColor line = penColour ? FormColors::fromValue(*penColour).value_or(Qt::black) : QColor(Qt::black);
    const int penWidth = static_cast<int>(std::clamp<std::int64_t>(object.integer("Pen.Width").value_or(1), 0, 1000));
    painter.setBrush(is(object.text("Brush.Style"), "bsClear") ? QBrush(Qt::NoBrush) : QBrush(fill));
    if (is(object.text("Pen.Style"), "psClear") || penWidth == 0)
        painter.setPen(Qt::NoPen);
    else
        painter.setPen(QPen(line, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const std::optional<std::string> shape = object.text("Shape");
    QRectF box = QRectF(r).adjusted(penWidth / 2.0, penWidth / 2.0, -penWidth / 2.0, -penWidth / 2.0);
    if (is(shape, "stSquare") || is(shape, "stCircle") || is(shape, "stRoundSquare")) {
        const double side = std::min(box.width(), box.height());
        box = QRectF(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    }
    if (is(shape, "stCircle") || is(shape, "stEllipse")) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(box);
    } else if (is(shape, "stRoundRect") || is(shape, "stRoundSquare")) {
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = std::min(box.width(), box.height()) / 4;
        painter.drawRoundedRect(box, radius, radius);
    } else {
        painter.drawRect(box);
    }
    painter.restore();
}

void drawBevel(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const bool raisedStyle = is(object.text("Style"), "bsRaised");
    const QColor first = raisedStyle ? FormColors::buttonHighlight() : FormColors::buttonShadow();
    const QColor second = raisedStyle ? FormColors::buttonShadow() : FormColors::buttonHighlight();
    const std::optional<std::string> shape = object.text("Shape");
    if (is(shape, "bsSpacer"))
        return;
    if (is(shape, "bsTopLine")) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), first);
        painter.fillRect(QRect(r.left(), r.top() + 1, r.width(), 1), second);
    } else if (is(shape, "bsBottomLine")) {
        painter.fillRect(QRect(r.left(), r.bottom() - 1, r.width(), 1), first);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), second);
    } else if (is(shape, "bsLeftLine")) {
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), first);
        painter.fillRect(QRect(r.left() + 1, r.top(), 1, r.height()), second);
    } else if (is(shape, "bsRightLine")) {
        painter.fillRect(QRect(r.right() - 1, r.top(), 1, r.height()), first);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), second);
    } else if (is(shape, "bsFrame")) {
        etched(painter, r);
    } else {
        edge(painter, r, first, second);
    }
}

void drawProgressBar(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, object.color);
    sunken(painter, r);
    const std::int64_t low = object.integer("Min").value_or(0);
    const std::int64_t high = object.integer("Max").value_or(100);
    const std::int64_t at = std::clamp(object.integer("Position").value_or(0), std::min(low, high), std::max(low, high));
    if (high <= low)
        return;
    const QRect inside = r.adjusted(2, 2, -2, -2);
    const double share = static_cast<double>(at - low) / static_cast<double>(high - low);
    painter.fillRect(QRect(inside.left(), inside.top(), static_cast<int>(inside.width() * share), inside.height()),
                     FormColors::highlight());
}

bool vertical(const DrawnObject& object)
{
    const std::optional<std::string> orientation = object.text("Orientation");
    return is(orientation, "trVertical") || is(orientation, "udVertical") || is(orientation, "pbVertical")
        || (!orientation && object.kind == ControlKind::UpDown) || is(object.text("Kind"), "sbVertical");
}

void drawTrackBar(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, object.color);
    const bool upright = vertical(object);
    const QRect channel = upright ? QRect(r.center().x() - 2, r.top() + 8, 4, r.height() - 16)
                                  : QRect(r.left() + 8, r.top() + 8, r.width() - 16, 4);
    sunken(painter, channel);
    const std::int64_t low = object.integer("Min").value_or(0);
    const std::int64_t high = object.integer("Max").value_or(10);
    const std::int64_t at = std::clamp(object.integer("Position").value_or(0), std::min(low, high), std::max(low, high));
    const double share = high > low ? static_cast<double>(at - low) / static_cast<double>(high - low) : 0;
    const QRect thumb = upright
        ? QRect(r.center().x() - 10, channel.top() + static_cast<int>((channel.height() - 11) * share) , 21, 11)
        : QRect(channel.left() + static_cast<int>((channel.width() - 11) * share), r.top() + 2, 11, 21);
    painter.fillRect(thumb, FormColors::buttonFace());
    raised(painter, thumb);
}

void drawUpDown(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    const bool upright = vertical(object);
    const QRect first = upright ? QRect(r.left(), r.top(), r.width(), r.height() / 2) : QRect(r.left(), r.top(), r.width() / 2, r.height());
    const QRect second = upright ? QRect(r.left(), first.bottom() + 1, r.width(), r.height() - first.height())
                                 : QRect(first.right() + 1, r.top(), r.width() - first.width(), r.height());
    for (const QRect& button : {first, second}) {
        painter.fillRect(button, FormColors::buttonFace());
        raised(painter, button);
    }
    upArrow(painter, first, FormColors::windowText());
    downArrow(painter, second, FormColors::windowText());
}

void drawScrollBar(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    painter.fillRect(r, QColor(236, 236, 236));
    const bool upright = vertical(object);
    const int side = upright ? std::min(r.width(), r.height() / 2) : std::min(r.height(), r.width() / 2);
    const QRect first = upright ? QRect(r.left(), r.top(), r.width(), side) : QRect(r.left(), r.top(), side, r.height());
    const QRect last = upright ? QRect(r.left(), r.bottom() + 1 - side, r.width(), side) : QRect(r.right() + 1 - side, r.top(), side, r.height());
    for (const QRect& button : {first, last}) {
        painter.fillRect(button, FormColors::buttonFace());
        raised(painter, button);
    }
    const std::int64_t low = object.integer("Min").value_or(0);
    const std::int64_t high = object.integer("Max").value_or(100);
    const std::int64_t at = std::clamp(object.integer("Position").value_or(0), std::min(low, high), std::max(low, high));
    const double share = high > low ? static_cast<double>(at - low) / static_cast<double>(high - low) : 0;
    const int track = (upright ? r.height() : r.width()) - 3 * side;
    if (track <= 0)
        return;
    const int offset = side + static_cast<int>(track * share);
    const QRect thumb = upright ? QRect(r.left(), r.top() + offset, r.width(), side) : QRect(r.left() + offset, r.top(), side, r.height());
    painter.fillRect(thumb, FormColors::buttonFace());
    raised(painter, thumb);
}

// The capitals of a class name without its leading T, as an icon's mark ("TClientDataSet": "CDS").
QString classMark(const std::string& className)
{
    QString mark;
    const QString name = QString::fromStdString(className);
    for (int i = name.startsWith('T') ? 1 : 0; i < name.size() && mark.size() < 3; ++i) {
        if (name[i].isUpper())
            mark += name[i];
    }
    return mark.isEmpty() ? name.left(2) : mark;
}

void drawIcon(QPainter& painter, const DrawnObject& object)
{
    const QRect box = object.frame;
    painter.fillRect(box, FormColors::buttonFace());
    raised(painter, box);
    QFont font = object.font;
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(FormColors::highlight());
    painter.drawText(box, Qt::AlignCenter, classMark(object.className));
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(FormColors::windowText());
    const QRect label(box.center().x() - 60, box.bottom() + 2, 120, 12);
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(object.name));
}

void drawOther(QPainter& painter, const DrawnObject& object, const QRect& r)
{
    if (!object.picture.isNull())
        picture(painter, object, r);
    dashedFrame(painter, r);
    QFont font = object.font;
    font.setPixelSize(std::max(8, std::min(object.font.pixelSize(), 11)));
    painter.setFont(font);
    painter.setPen(FormColors::grayText());
    painter.drawText(r.adjusted(3, 2, -3, -2), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromStdString(object.name + ": " + object.className));
}

void drawLabel(QPainter& painter, const DrawnObject& object, const QRect& r, bool staticText)
{
    const bool transparent = object.boolean("Transparent", false);
    if (!transparent && (object.property("Color") || staticText))
        painter.fillRect(r, object.color);
    QRect inside = r;
    if (staticText && (is(object.text("BorderStyle"), "sbsSunken") || is(object.text("BorderStyle"), "sbsSingle"))) {
        edge(painter, r, FormColors::buttonShadow(), FormColors::buttonHighlight());
        inside.adjust(1, 1, -1, -1);
    }
    const std::optional<std::string> layout = object.text("Layout");
    const int verticalFlag = is(layout, "tlCenter") ? Qt::AlignVCenter : is(layout, "tlBottom") ? Qt::AlignBottom : Qt::AlignTop;
    const int accelerator = object.boolean("ShowAccelChar", true) ? Qt::TextShowMnemonic : 0;
    text(painter, object, inside, horizontalAlignment(object, Qt::AlignLeft) | verticalFlag | accelerator | wrapping(object),
         object.caption());
}

void drawObject(QPainter& painter, const std::vector<DrawnObject>& objects, const DrawnObject& object)
{
    const QRect r = object.frame;
    switch (object.kind) {
    case ControlKind::Form: painter.fillRect(r, object.color); break;
    case ControlKind::DataModule: painter.fillRect(r, FormColors::window()); break;
    case ControlKind::Frame:
        if (object.parent < 0 || object.property("Color"))
            painter.fillRect(r, object.color);
        break;
    case ControlKind::Panel: drawPanel(painter, object, r); break;
    case ControlKind::GroupBox: drawGroupBox(painter, object, r); break;
    case ControlKind::RadioGroup: drawRadioGroup(painter, object, r); break;
    case ControlKind::Button:
    case ControlKind::BitButton: {
        painter.fillRect(r, FormColors::buttonFace());
        QRect face = r;
        if (object.boolean("Default", false)) {
            edge(painter, face, FormColors::windowText(), FormColors::windowText());
            face.adjust(1, 1, -1, -1);
        }
        raised(painter, face);
        buttonFace(painter, object, face.adjusted(2, 2, -2, -2),
                   object.kind == ControlKind::BitButton ? bitButtonCaption(object) : object.caption());
        break;
    }
    case ControlKind::SpeedButton:
        if (!object.boolean("Flat", false))
            painter.fillRect(r, FormColors::buttonFace());
        if (object.boolean("Down", false))
            sunken(painter, r);
        else if (!object.boolean("Flat", false))
            raised(painter, r);
        buttonFace(painter, object, r.adjusted(1, 1, -1, -1), object.caption());
        break;
    case ControlKind::Label: drawLabel(painter, object, r, false); break;
    case ControlKind::StaticText: drawLabel(painter, object, r, true); break;
    case ControlKind::Edit: drawEdit(painter, object, r); break;
    case ControlKind::Memo: drawMemo(painter, object, r); break;
    case ControlKind::CheckBox: drawCheckBox(painter, object, r, false); break;
    case ControlKind::RadioButton: drawCheckBox(painter, object, r, true); break;
    case ControlKind::ListBox: drawListBox(painter, object, r); break;
    case ControlKind::ComboBox: drawComboBox(painter, object, r); break;
    case ControlKind::ListView: drawListView(painter, object, r); break;
    case ControlKind::TreeView: textBox(painter, object, r); break;
    case ControlKind::Grid: drawGrid(painter, object, r); break;
    case ControlKind::PageControl: drawPageControl(painter, objects, object, r); break;
    case ControlKind::TabSheet: painter.fillRect(r, object.color); break;
    case ControlKind::TabControl:
        drawTabs(painter, object, r, object.strings("Tabs.Strings"), static_cast<int>(object.integer("TabIndex").value_or(-1)));
        break;
    case ControlKind::Image:
        if (!object.picture.isNull())
            picture(painter, object, r);
        else if (!object.pictureProblem.isEmpty())
            placeholder(painter, object, r, object.pictureProblem);
        else
            dashedFrame(painter, r);
        break;
    case ControlKind::PaintBox: dashedFrame(painter, r); break;
    case ControlKind::Shape: drawShape(painter, object, r); break;
    case ControlKind::Bevel: drawBevel(painter, object, r); break;
    case ControlKind::Splitter: painter.fillRect(r, object.color); break;
    case ControlKind::ScrollBox:
        painter.fillRect(r, object.color);
        if (!is(object.text("BorderStyle"), "bsNone"))
            sunken(painter, r);
        break;
    case ControlKind::StatusBar: drawStatusBar(painter, object, r); break;
    case ControlKind::ToolBar: painter.fillRect(r, object.color); break;
    case ControlKind::ToolButton: drawToolButton(painter, objects, object, r); break;
    case ControlKind::ProgressBar: drawProgressBar(painter, object, r); break;
    case ControlKind::TrackBar: drawTrackBar(painter, object, r); break;
    case ControlKind::UpDown: drawUpDown(painter, object, r); break;
    case ControlKind::DateTimePicker: drawDateTimePicker(painter, object, r); break;
    case ControlKind::ScrollBar: drawScrollBar(painter, object, r); break;
    case ControlKind::NonVisual:
    case ControlKind::MainMenu: drawIcon(painter, object); break;
    case ControlKind::MenuItem: break;
    case ControlKind::Other: drawOther(painter, object, r); break;
    }
}

void drawMenuBar(QPainter& painter, const FormDrawing& drawing)
{
    const QRect bar(0, 0, drawing.clientSize().width(), drawing.menuBarHeight());
    painter.fillRect(bar, FormColors::buttonFace());
    const DrawnObject& form = drawing.objects().front();
    painter.setFont(form.font);
    painter.setPen(FormColors::windowText());
    const QFontMetrics metrics(form.font);
    int x = 0;
    for (const QString& caption : drawing.menuCaptions()) {
        const int width = captionWidth(metrics, caption) + 14;
        painter.drawText(QRect(x, 0, width, bar.height()), Qt::AlignCenter | Qt::TextShowMnemonic, caption.left(MostShownCharacters));
        x += width;
        if (x > bar.right())
            break;
    }
}

}  // namespace

void FormPainter::paint(QPainter& painter, const FormDrawing& drawing, const PaintOptions& options)
{
    painter.save();
    painter.scale(options.scale, options.scale);
    painter.setClipRect(QRect(QPoint(0, 0), drawing.size()));
    if (drawing.menuBarHeight() > 0)
        drawMenuBar(painter, drawing);
    painter.translate(0, drawing.menuBarHeight());
    const std::vector<DrawnObject>& objects = drawing.objects();
    for (const int index : drawing.paintOrder()) {
        const DrawnObject& object = objects[static_cast<std::size_t>(index)];
        const bool icon = ControlClasses::isIcon(object.kind);
        if (icon && !options.showNonVisual)
            continue;
        const QRect clip = icon ? object.clip : object.clip.intersected(object.frame);
        if (clip.isEmpty())
            continue;
        painter.setClipRect(clip);
        drawObject(painter, objects, object);
        // A control hidden at run time is drawn as the designer draws it, marked with a hatch.
        if (!object.visible && !icon)
            painter.fillRect(object.frame, QBrush(QColor(0, 0, 0, 70), Qt::BDiagPattern));
    }
    painter.restore();
}

double FormPainter::cappedScale(QSize size, double scale)
{
    if (!(scale >= SmallestScale))
        scale = SmallestScale;
    scale = std::min(scale, LargestScale);
    const double width = std::max(1, size.width()), height = std::max(1, size.height());
    scale = std::min({scale, FormDrawing::LargestSide / width, FormDrawing::LargestSide / height,
                      std::sqrt(static_cast<double>(FormDrawing::LargestArea) / (width * height))});
    return scale;
}

QImage FormPainter::render(const FormDrawing& drawing, const PaintOptions& options, QString* note)
{
    PaintOptions used = options;
    used.scale = cappedScale(drawing.size(), options.scale);
    if (note != nullptr && used.scale < options.scale)
        *note = QString("The picture of %1 x %2 units is drawn at scale %3 to stay within %4 x %4 pixels")
                    .arg(drawing.size().width()).arg(drawing.size().height()).arg(used.scale, 0, 'g', 3)
                    .arg(FormDrawing::LargestSide);
    const QSize pixels(std::max(1, static_cast<int>(std::ceil(drawing.size().width() * used.scale))),
                       std::max(1, static_cast<int>(std::ceil(drawing.size().height() * used.scale))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, drawing, used);
    return image;
}

}  // namespace dfm
