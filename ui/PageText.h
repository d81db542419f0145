// The bytes of a form or unit file <-> the text an editor page shows, without losing a byte.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace dfm {

// How a page's bytes were laid out, so that saving unchanged text gives the same bytes.
struct TextFormat {
    enum class Encoding { Bytes, Utf8 };
    Encoding encoding = Encoding::Bytes;
    bool byteOrderMark = false;
    bool lfOnly = false;        // lines ended by LF alone instead of CR LF
    bool finalBreak = true;     // the last line is followed by a line break
};

namespace PageText {

// Form text: system code page bytes, lines ended by CR LF.
inline TextFormat formFormat()
{
    return {};
}

// Editor text has "\n" between lines. Units that are valid UTF-8 with non-ASCII bytes
// stay UTF-8; everything else is read byte for byte.
QString decode(std::string_view bytes, TextFormat* format);
QString decodeAs(std::string_view bytes, const TextFormat& format);
QByteArray encode(const QString& text, const TextFormat& format);

// The lossless byte mapping: Windows-1252, its five unassigned bytes kept as the code
// points of the same value. Characters outside it become "?".
QString fromBytes(std::string_view bytes);
QByteArray toBytes(const QString& text);
// Whether every character of the text has its byte in that mapping.
bool fitsBytes(const QString& text);

// Characters as the editor counts them: a line break is two (CR LF).
qsizetype characterCount(const QString& text);

}  // namespace PageText

}  // namespace dfm
