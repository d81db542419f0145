// Values written as form text writes them, and the check of what a user types.
#include "ValueText.h"

#include "FormEditError.h"
#include "MemoryStream.h"

#include <QRegularExpression>

namespace dfm {

namespace ValueText {

namespace {

// As the converter splits long strings.
constexpr qsizetype CharactersPerLine = 64;

// One line of a string: printable characters quoted, the quote doubled, the rest #n.
QString literal(QStringView text)
{
    QString out;
    bool quoted = false;
    for (QChar c : text) {
        const bool printable = c.unicode() >= 32 && c.unicode() != 127;
        if (printable != quoted) {
            out += u'\'';
            quoted = printable;
        }
        if (!printable)
            out += u'#' + QString::number(c.unicode());
        else
            out += c == u'\'' ? QStringLiteral("''") : QString(c);
    }
    if (quoted)
        out += u'\'';
    return out;
}

}  // namespace

QStringList stringValue(const QString& text)
{
    if (text.isEmpty())
        return {QStringLiteral("''")};
    if (text.size() <= CharactersPerLine)
        return {literal(text)};
    // A long string starts on the line after its name, as the converter writes it.
    QStringList lines{QString()};
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype length = std::min(CharactersPerLine, text.size() - at);
        if (at + length < text.size() && text[at + length - 1].isHighSurrogate())
            --length;
        lines.append(literal(QStringView(text).mid(at, length)) + (at + length < text.size() ? QStringLiteral(" +") : QString()));
        at += length;
    }
    return lines;
}

QStringList stringListValue(const QStringList& strings)
{
    if (strings.isEmpty())
        return {QStringLiteral("()")};
    QStringList lines{QStringLiteral("(")};
    for (const QString& string : strings) {
        const QStringList value = stringValue(string);
        // A long string's first line is empty: its parts follow one a line.
        for (qsizetype i = value.front().isEmpty() ? 1 : 0; i < value.size(); ++i)
            lines.append(value[i]);
    }
    lines.back() += u')';
    return lines;
}

QStringList integerValue(std::int64_t value)
{
    return {QString::number(value)};
}

QString nameText(std::string_view name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

void refuse(const QString& typed, std::string_view property, const QString& why)
{
    throw FormEditError(QStringLiteral("%1 is not a valid value for %2: %3")
                            .arg(typed.trimmed().isEmpty() ? QStringLiteral("An empty text") : u'"' + typed + u'"',
                                 nameText(property), why)
                            .toStdString());
}

FormModel readFormText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    MemoryStream input(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return FormModel::readText(input, TextEncoding::Utf8);
}

bool isIdentifier(const QString& name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

bool isPropertyName(const QString& name)
{
    const QStringList parts = name.split(u'.');
    return std::all_of(parts.begin(), parts.end(), [](const QString& part) { return isIdentifier(part); });
}

QStringList identifierValue(const QString& name)
{
    // A reference to another module's component is dotted: DataModule2.DataSource1.
    if (!isPropertyName(name))
        throw FormEditError(QStringLiteral("\"%1\" is not an identifier.").arg(name).toStdString());
    return {name};
}

QStringList setValue(const QStringList& names)
{
    for (const QString& name : names)
        identifierValue(name);
    return {u'[' + names.join(QStringLiteral(", ")) + u']'};
}

QStringList numberValue(const QString& typed, std::string_view property)
{
    static const QRegularExpression number(
        QStringLiteral("^[-+]?(\\d+|\\$[0-9A-Fa-f]+|\\d+\\.\\d+([eE][-+]?\\d+)?|\\d+[eE][-+]?\\d+)$"));
    const QString text = typed.trimmed();
    if (!number.match(text).hasMatch())
        refuse(typed, property, QStringLiteral("a number is expected."));
    return typedValue(text, property);
}

QStringList typedValue(const QString& typed, std::string_view property)
{
    const QStringList lines = typed.trimmed().split(u'\n');
    if (typed.trimmed().isEmpty())
        refuse(typed, property, QStringLiteral("a value is expected."));
    try {
        const FormModel model =
            readFormText(QStringLiteral("object A: T\n  P = ") + lines.join(QStringLiteral("\n    ")) + QStringLiteral("\nend\n"));
        if (model.root().properties().size() != 1 || !model.root().children().empty())
            refuse(typed, property, QStringLiteral("it is not one value."));
    } catch (const FormEditError&) {
        throw;
    } catch (const std::exception& error) {
        refuse(typed, property, QString::fromUtf8(error.what()));
    }
    return lines;
}

}  // namespace ValueText

}  // namespace dfm
