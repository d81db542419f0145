// What the inspector shows of the selected objects' properties, and the checks of what is typed.
#include "InspectedProperties.h"

#include "AsciiText.h"
#include "CodePage.h"
#include "ControlClasses.h"
#include "FormColors.h"
#include "FormDrawing.h"
#include "FormEditError.h"
#include "PropertyChoices.h"
#include "ValueText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

using ascii::equalsIgnoringCase;
using ValueText::nameText;
using ValueText::refuse;

// As the converter splits long strings; a longer one is edited in its own small editor.
constexpr qsizetype LongStringLength = 64;
// The font of a control that stores none.
const QString DefaultFontFamily = QStringLiteral("MS Sans Serif");
constexpr int DefaultPointSize = 8;

bool endsWithIgnoringCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() && equalsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

bool isStringList(std::string_view name, const FormValue& value)
{
    const auto elements = value.elements();
    if (elements.empty())
        return endsWithIgnoringCase(name, ".Strings");
    return std::all_of(elements.begin(), elements.end(), [](const FormValue& element) { return element.isString(); });
}

// Colour properties are named so ("Color", "Font.Color", "FixedColor"); a colour's name marks
// one that is not.
bool isColor(std::string_view name, const FormValue& value)
{
    if (value.kind() == ValueTag::Identifier)
        return endsWithIgnoringCase(name, "Color") || FormColors::fromName(value.text()).has_value();
    return value.isInteger() && endsWithIgnoringCase(name, "Color");
}

ValueEditor editorOf(std::string_view name, const FormValue& value, const CodePage& page)
{
    switch (value.kind()) {
    case ValueTag::False:
    case ValueTag::True:
        return ValueEditor::CheckBox;
    case ValueTag::Identifier:
        return isColor(name, value) ? ValueEditor::Color : ValueEditor::Identifier;
    case ValueTag::Set:
        return ValueEditor::Set;
    case ValueTag::List:
        return isStringList(name, value) ? ValueEditor::StringList : ValueEditor::ReadOnly;
    case ValueTag::Binary:
    case ValueTag::Collection:
        return ValueEditor::ReadOnly;
    case ValueTag::Nil:
        return ValueEditor::Typed;
    default:
        break;
    }
    if (value.isInteger())
        return isColor(name, value) ? ValueEditor::Color : ValueEditor::Number;
    if (value.isFloat())
        return ValueEditor::Number;
    if (value.isString()) {
        const QString text = QString::fromStdString(value.text(page));
        return text.size() > LongStringLength || text.contains(u'\n') || text.contains(u'\r') ? ValueEditor::LongText
                                                                                               : ValueEditor::Text;
    }
    return ValueEditor::Typed;
}

// The value as the row shows it, and a string list's strings or a set's members.
void describe(const FormValue& value, ValueEditor editor, const CodePage& page, InspectedProperty& row)
{
    switch (editor) {
    case ValueEditor::ReadOnly:
        row.text = value.kind() == ValueTag::Binary       ? QStringLiteral("(binary data)")
                   : value.kind() == ValueTag::Collection ? QStringLiteral("(collection)")
                                                          : QStringLiteral("(list)");
        return;
    case ValueEditor::StringList:
        for (const FormValue& element : value.elements())
            row.strings.append(QString::fromStdString(element.text(page)));
        row.text = row.strings.join(u'\n');
        return;
    case ValueEditor::Set:
        for (const std::string_view member : value.setElements())
            row.strings.append(nameText(member));
        row.text = QString::fromStdString(value.text(page));
        return;
    case ValueEditor::LongText: {
        const QString text = QString::fromStdString(value.text(page));
        row.crLf = text.contains(QStringLiteral("\r\n")) || !text.contains(u'\n');
        row.text = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return;
    }
    default:
        row.text = QString::fromStdString(value.text(page));
    }
}

// The kind the class table knows a node's class by; the root is a form whatever its class.
ControlKind kindOfNode(const FormNode& node)
{
    const ControlKind kind = ControlClasses::kindOf(node.className());
    return kind == ControlKind::Other && !node.parent() ? ControlKind::Form : kind;
}

void addChoice(QStringList& choices, const QString& choice)
{
    if (!choice.isEmpty() && !choices.contains(choice, Qt::CaseInsensitive))
        choices.append(choice);
}

int pixelsPerInch(const FormModel& model)
{
    const auto stored = model.root().findProperty("PixelsPerInch");
    // As the drawing takes it, so that the dialog shows the size the view draws.
    return FormDrawing::pixelsPerInchOf(stored ? stored->value().integer() : std::nullopt);
}

bool hasStyle(const QFont& font, std::string_view member)
{
    if (member == "fsBold")
        return font.bold();
    if (member == "fsItalic")
        return font.italic();
    if (member == "fsUnderline")
        return font.underline();
    return font.strikeOut();
}

// A decimal within int32, or at most eight hexadecimal digits, as the reader takes them.
bool fitsInt32(const QString& integer)
{
    QString digits = integer;
    if (digits.startsWith(u'+'))
        digits.remove(0, 1);
    if (digits.startsWith(u'$')) {
        qsizetype first = 1;
        while (first + 1 < digits.size() && digits[first] == u'0')
            ++first;
        return digits.size() - first <= 8;
    }
    bool number = false;
    const qlonglong value = digits.toLongLong(&number);
    return number && value >= INT32_MIN && value <= INT32_MAX;
}

constexpr std::string_view FontStyles[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

}  // namespace

InspectedProperties::InspectedProperties(const FormModel& model, const std::vector<std::uint32_t>& nodes,
                                         FormCharacters characters)
    : characters_(characters)
{
    std::vector<FormNode> objects;
    for (const std::uint32_t node : nodes) {
        if (node < model.nodeCount())
            objects.push_back(FormNode::at(model, node));
    }
    if (objects.empty())
        return;
    heading_ = objects.size() == 1
        ? QStringLiteral("%1: %2").arg(nameText(objects.front().name()), nameText(objects.front().className()))
        : QStringLiteral("%1 objects").arg(objects.size());
    const CodePage& page = CodePage::forNumber(characters.codePage);

    for (const FormProperty property : objects.front().properties()) {
        InspectedProperty row;
        row.name = std::string(property.name());
        const FormValue first = property.value();
        row.kind = first.kind();
        row.editor = editorOf(row.name, first, page);
        describe(first, row.editor, page, row);
        bool everywhere = true;
        for (std::size_t i = 1; i < objects.size() && everywhere; ++i) {
            const std::optional<FormProperty> other = objects[i].findProperty(row.name);
            if (!other) {
                everywhere = false;
                break;
            }
            const FormValue value = other->value();
            const ValueEditor editor = editorOf(row.name, value, page);
            if (editor != row.editor) {
                row.editor = editor == ValueEditor::ReadOnly || row.editor == ValueEditor::ReadOnly ? ValueEditor::ReadOnly
                                                                                                    : ValueEditor::Typed;
            }
            InspectedProperty shown;
            describe(value, editor, page, shown);
            if (shown.text != row.text || shown.strings != row.strings)
                row.same = false;
        }
        if (!everywhere)
            continue;
        // Values that differ show nothing, but a read-only row still says what it holds.
        if (!row.same || row.editor == ValueEditor::ReadOnly) {
            row.text.clear();
            row.strings.clear();
        }
        if (row.editor == ValueEditor::ReadOnly)
            describe(first, ValueEditor::ReadOnly, page, row);
        const std::size_t dot = row.name.rfind('.');
        if (dot != std::string::npos && endsWithIgnoringCase(row.name.substr(0, dot), "Font")) {
            const std::string_view part = std::string_view(row.name).substr(dot + 1);
            if (equalsIgnoringCase(part, "Name") || equalsIgnoringCase(part, "Height") || equalsIgnoringCase(part, "Size"))
                row.fontOwner = QString::fromStdString(row.name.substr(0, dot));
        }
        rows_.push_back(std::move(row));
    }

    // What is offered: the class table's values for each node's kind, the values the same
    // property takes elsewhere in the form (read in one pass), and the value itself.
    std::vector<InspectedProperty*> offering;
    for (InspectedProperty& row : rows_) {
        if (row.editor == ValueEditor::Color) {
            for (const std::string_view name : FormColors::names())
                row.choices.append(nameText(name));
        } else if (row.editor == ValueEditor::Identifier || row.editor == ValueEditor::Set) {
            for (const FormNode& object : objects) {
                for (const std::string_view value : PropertyChoices::values(kindOfNode(object), row.name))
                    addChoice(row.choices, nameText(value));
            }
            offering.push_back(&row);
        }
    }
    if (offering.empty())
        return;
    for (const FormNode node : model.nodes()) {
        for (const FormProperty property : node.properties()) {
            for (InspectedProperty* row : offering) {
                if (!equalsIgnoringCase(property.name(), row->name))
                    continue;
                const FormValue value = property.value();
                if (row->editor == ValueEditor::Identifier && value.kind() == ValueTag::Identifier)
                    addChoice(row->choices, QString::fromStdString(value.text()));
                else if (row->editor == ValueEditor::Set && value.kind() == ValueTag::Set) {
                    for (const std::string_view member : value.setElements())
                        addChoice(row->choices, nameText(member));
                }
            }
        }
    }
}

void InspectedProperties::checkCharacters(std::string_view property, const QString& typed, const QString& text) const
{
    if (characters_.utf8)
        return;
    const CodePage& page = CodePage::forNumber(characters_.codePage);
    // A character the page only approximates (a letter written without its accent) would not
    // come back as typed: it counts as one the page cannot hold.
    const auto holds = [&page](QStringView part) {
        std::string bytes;
        const std::u16string wide(reinterpret_cast<const char16_t*>(part.utf16()), static_cast<std::size_t>(part.size()));
        return page.encode(wide, bytes) && page.decode(bytes) == wide;
    };
    if (holds(text))
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        if (!holds(character)) {
            refuse(typed, property, QStringLiteral("the form's code page %1 has no character %2.")
                                        .arg(characters_.codePage)
                                        .arg(character.toString()));
        }
        i += length - 1;
    }
}

QStringList InspectedProperties::typedValue(const InspectedProperty& row, const QString& typed) const
{
    static const QRegularExpression integer(QStringLiteral("^[-+]?(\\d+|\\$[0-9A-Fa-f]+)$"));
    const QString text = typed.trimmed();
    switch (row.editor) {
    case ValueEditor::Number: {
        const bool isFloat = row.kind == ValueTag::Extended || row.kind == ValueTag::Single || row.kind == ValueTag::Double
            || row.kind == ValueTag::Currency || row.kind == ValueTag::Date;
        if (!isFloat && !integer.match(text).hasMatch())
            refuse(typed, row.name, QStringLiteral("an integer is expected."));
        // A value stored in 32 bits stays within them: a wider one would not read back into it.
        if (!isFloat && row.kind != ValueTag::Int64 && !fitsInt32(text))
            refuse(typed, row.name, QStringLiteral("an integer from -2147483648 to 2147483647 is expected."));
        QStringList lines = ValueText::numberValue(text, row.name);
        // A float keeps the kind it is stored as: a single, a currency or a date.
        const char suffix = row.kind == ValueTag::Single ? 's' : row.kind == ValueTag::Currency ? 'c' : row.kind == ValueTag::Date ? 'd' : 0;
        if (suffix != 0) {
            lines.front() += QLatin1Char(suffix);
            lines = ValueText::typedValue(lines.front(), row.name);
        }
        return lines;
    }
    case ValueEditor::Color:
        if (ValueText::isIdentifier(text)) {
            if (!text.startsWith(QStringLiteral("cl"), Qt::CaseInsensitive))
                refuse(typed, row.name, QStringLiteral("a colour's name (clRed) or number ($00BBGGRR) is expected."));
            return ValueText::identifierValue(text);
        }
        if (!integer.match(text).hasMatch())
            refuse(typed, row.name, QStringLiteral("a colour's name (clRed) or number ($00BBGGRR) is expected."));
        return ValueText::numberValue(text, row.name);
    case ValueEditor::CheckBox:
    case ValueEditor::Identifier:
        if (!ValueText::isIdentifier(text))
            refuse(typed, row.name, QStringLiteral("an identifier is expected."));
        return ValueText::identifierValue(text);
    case ValueEditor::Set: {
        QString inside = text;
        if (inside.startsWith(u'[') && inside.endsWith(u']'))
            inside = inside.mid(1, inside.size() - 2);
        QStringList members;
        for (const QString& member : inside.split(u',', Qt::SkipEmptyParts)) {
            if (!ValueText::isIdentifier(member.trimmed()))
                refuse(typed, row.name, QStringLiteral("a set of identifiers is expected, as [akLeft, akTop]."));
            members.append(member.trimmed());
        }
        return ValueText::setValue(members);
    }
    case ValueEditor::Text:
        return textValue(row.name, typed);
    case ValueEditor::LongText:
        return textValue(row.name, typed, row.crLf);
    case ValueEditor::StringList:
        return stringListValue(row.name, typed.split(u'\n'));
    case ValueEditor::Typed:
        return addedValue(row.name, typed);
    case ValueEditor::ReadOnly:
        break;
    }
    throw FormEditError(QStringLiteral("%1 cannot be edited here.").arg(nameText(row.name)).toStdString());
}

QStringList InspectedProperties::textValue(std::string_view property, const QString& text, bool crLf) const
{
    checkCharacters(property, text, text);
    QString value = text;
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (crLf)
        value.replace(u'\n', QStringLiteral("\r\n"));
    return ValueText::stringValue(value);
}

QStringList InspectedProperties::stringListValue(std::string_view property, const QStringList& strings) const
{
    for (const QString& string : strings)
        checkCharacters(property, string, string);
    return ValueText::stringListValue(strings);
}

QStringList InspectedProperties::addedValue(std::string_view property, const QString& typed) const
{
    if (!ValueText::isPropertyName(nameText(property)))
        throw FormEditError(QStringLiteral("\"%1\" is not a property's name.").arg(nameText(property)).toStdString());
    checkCharacters(property, typed, typed);
    return ValueText::typedValue(typed, property);
}

QStringList InspectedProperties::colorValue(const QColor& color)
{
    if (const std::optional<std::string_view> name = FormColors::nameOf(color))
        return {nameText(*name)};
    return {QStringLiteral("$00%1%2%3")
                .arg(color.blue(), 2, 16, QLatin1Char('0'))
                .arg(color.green(), 2, 16, QLatin1Char('0'))
                .arg(color.red(), 2, 16, QLatin1Char('0'))
                .toUpper()};
}

FontChoice InspectedProperties::fontOf(const FormModel& model, std::uint32_t node, const QString& owner)
{
    FontChoice choice{QFont(DefaultFontFamily), QColor(Qt::black)};
    choice.font.setPointSize(DefaultPointSize);
    if (node >= model.nodeCount())
        return choice;
    const FormNode object = FormNode::at(model, node);
    const auto part = [&](const char* name) { return object.findProperty((owner + u'.' + QLatin1String(name)).toStdString()); };
    const int ppi = pixelsPerInch(model);

    if (const auto name = part("Name"); name && name->value().isString() && !name->value().text().empty())
        choice.font.setFamily(QString::fromStdString(name->value().text()));
    double points = DefaultPointSize;
    if (const auto height = part("Height"); height && height->value().integer().value_or(0) != 0) {
        const double pixels = static_cast<double>(*height->value().integer());
        // A positive height is the character cell, of which the drawing takes four fifths.
        points = (pixels < 0 ? -pixels : pixels * 0.8) * 72.0 / ppi;
    } else if (const auto size = part("Size")) {
        bool number = false;
        const double stored = QString::fromStdString(size->value().text()).toDouble(&number);
        if (number && (size->value().isInteger() || size->value().isFloat()))
            points = stored;
    }
    // As the font dialog offers sizes.
    choice.font.setPointSize(std::clamp(static_cast<int>(std::lround(points)), 6, 40));
    if (const auto style = part("Style"); style && style->value().kind() == ValueTag::Set) {
        for (const std::string_view member : style->value().setElements()) {
            if (equalsIgnoringCase(member, "fsBold"))
                choice.font.setBold(true);
            else if (equalsIgnoringCase(member, "fsItalic"))
                choice.font.setItalic(true);
            else if (equalsIgnoringCase(member, "fsUnderline"))
                choice.font.setUnderline(true);
            else if (equalsIgnoringCase(member, "fsStrikeOut"))
                choice.font.setStrikeOut(true);
        }
    }
    if (const auto color = part("Color")) {
        if (const std::optional<QColor> stored = FormColors::fromValue(color->value()))
            choice.color = *stored;
    }
    return choice;
}

std::vector<FormEditPlan::PropertyChange> InspectedProperties::fontChanges(const FormModel& model, std::uint32_t node,
                                                                           const QString& owner, const FontChoice& shown,
                                                                           const FontChoice& chosen) const
{
    if (node >= model.nodeCount())
        throw FormEditError("The object is no longer in the form.");
    const FormNode object = FormNode::at(model, node);
    const auto nameOf = [&](const char* part) { return (owner + u'.' + QLatin1String(part)).toStdString(); };
    const auto stores = [&](const char* part) { return object.findProperty(nameOf(part)).has_value(); };
    std::vector<FormEditPlan::PropertyChange> changes;

    if (chosen.font.family() != shown.font.family() || !stores("Name"))
        changes.push_back({nameOf("Name"), textValue(nameOf("Name"), chosen.font.family())});
    const int points = chosen.font.pointSize();
    const bool bySize = stores("Size") && !stores("Height");
    if (points != shown.font.pointSize() || !stores(bySize ? "Size" : "Height")) {
        if (bySize)
            changes.push_back({nameOf("Size"), ValueText::integerValue(points)});
        else
            changes.push_back({nameOf("Height"), ValueText::integerValue(-std::lround(points * pixelsPerInch(model) / 72.0))});
    }
    bool styleChanged = false;
    QStringList styles;
    for (const std::string_view style : FontStyles) {
        if (hasStyle(chosen.font, style))
            styles.append(nameText(style));
        styleChanged = styleChanged || hasStyle(chosen.font, style) != hasStyle(shown.font, style);
    }
    if (styleChanged || !stores("Style"))
        changes.push_back({nameOf("Style"), ValueText::setValue(styles)});
    if (chosen.color.rgb() != shown.color.rgb() || !stores("Color"))
        changes.push_back({nameOf("Color"), colorValue(chosen.color)});
    if (owner.compare(QStringLiteral("Font"), Qt::CaseInsensitive) == 0) {
        const auto parentFont = object.findProperty("ParentFont");
        if (parentFont && parentFont->value().kind() == ValueTag::True)
            changes.push_back({"ParentFont", ValueText::identifierValue(QStringLiteral("False"))});
    }
    return changes;
}

}  // namespace dfm
