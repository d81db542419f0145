// Maps a page's bytes to its text and back, recording the layout that gives the same bytes again.
#include "PageText.h"

#include "CodePage.h"
#include "Utf8.h"

#include <QTextDocument>

#include <algorithm>
#include <array>

namespace dfm {

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

bool isValidUtf8(std::string_view bytes)
{
    std::u16string ignored;
    return decodeUtf8(bytes, ignored);
}

bool isAscii(std::string_view bytes)
{
    for (unsigned char c : bytes) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

// "\r\n" and a lone "\r" become "\n", as the editor shows them.
QString joinLines(QString text)
{
    // One pass in place: a large page's text is not copied again for each kind of break.
    const qsizetype first = text.indexOf(u'\r');
    if (first < 0)
        return text;
    QChar* const start = text.data();
    const QChar* const end = start + text.size();
    QChar* out = start + first;
    for (const QChar* in = out; in != end; ++in) {
        if (*in == u'\r') {
            *out++ = u'\n';
            if (in + 1 != end && in[1] == u'\n')
                ++in;
        } else {
            *out++ = *in;
        }
    }
    text.truncate(out - start);
    return text;
}

// Each "\n" as "\r\n", built in one pass: QString's replace moves the rest of a large page's
// text again for every batch of breaks.
QString withCrLf(const QString& text)
{
    QString lines;
    lines.reserve(text.size() + text.count(u'\n'));
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        lines.append(QStringView(text).sliced(from, at - from));
        lines.append(u"\r\n");
        from = at + 1;
    }
    lines.append(QStringView(text).sliced(from));
    return lines;
}

std::u16string_view utf16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

QString PageText::fromBytes(std::string_view bytes, int codePage)
{
    const std::u16string text = CodePage::forNumber(codePage).decode(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

QByteArray PageText::toBytes(const QString& text, int codePage)
{
    const std::string bytes = CodePage::forNumber(codePage).fromWide(utf16(text));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool PageText::fitsBytes(const QString& text, int codePage)
{
    std::string ignored;
    return CodePage::forNumber(codePage).encode(utf16(text), ignored);
}

QString PageText::decode(std::string_view bytes, TextFormat* format)
{
    TextFormat found;
    found.codePage = format->codePage;
    std::string_view body = bytes;
    if (body.starts_with(Utf8Mark) && isValidUtf8(body.substr(Utf8Mark.size()))) {
        found.encoding = TextFormat::Encoding::Utf8;
        found.byteOrderMark = true;
        body.remove_prefix(Utf8Mark.size());
    } else if (!isAscii(body) && isValidUtf8(body)) {
        found.encoding = TextFormat::Encoding::Utf8;
    }
    const bool hasCr = body.find('\r') != std::string_view::npos;
    found.lfOnly = !hasCr && body.find('\n') != std::string_view::npos;
    found.finalBreak = body.empty() || body.back() == '\n' || body.back() == '\r';
    *format = found;
    return decodeAs(bytes, found);
}

QString PageText::decodeAs(std::string_view bytes, const TextFormat& format)
{
    if (format.byteOrderMark && bytes.starts_with(Utf8Mark))
        bytes.remove_prefix(Utf8Mark.size());
    if (format.encoding == TextFormat::Encoding::Utf8)
        return joinLines(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return joinLines(fromBytes(bytes, format.codePage));
}

QByteArray PageText::encode(const QString& text, const TextFormat& format)
{
    QString lines = text;
    if (format.finalBreak && !lines.isEmpty() && !lines.endsWith(u'\n'))
        lines += u'\n';
    if (!format.lfOnly)
        lines = withCrLf(lines);
    QByteArray bytes;
    if (format.byteOrderMark)
        bytes.append(Utf8Mark.data(), static_cast<qsizetype>(Utf8Mark.size()));
    if (format.encoding == TextFormat::Encoding::Utf8)
        bytes.append(lines.toUtf8());
    else
        bytes.append(toBytes(lines, format.codePage));
    return bytes;
}

qsizetype PageText::characterCount(const QString& text)
{
    return text.size() + text.count(u'\n');
}

QString PageText::ofDocument(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

}  // namespace dfm
