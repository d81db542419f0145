// Bytes of a form or unit file <-> the text an editor page shows, without losing a byte.
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

class PageText {
public:
    // Form text: system code page bytes, lines ended by CR LF.
    static TextFormat formFormat() { return {}; }

    // Editor text has "\n" between lines. Units that are valid UTF-8 with non-ASCII bytes
    // stay UTF-8; everything else is read byte for byte.
    static QString decode(std::string_view bytes, TextFormat* format);
    static QString decodeAs(std::string_view bytes, const TextFormat& format);
    static QByteArray encode(const QString& text, const TextFormat& format);

    // The lossless byte mapping: Windows-1252, its five unassigned bytes kept as the code
    // points of the same value. Characters outside it become "?".
    static QString fromBytes(std::string_view bytes);
    static QByteArray toBytes(const QString& text);

    // Characters as the editor counts them: a line break is two (CR LF).
    static qsizetype characterCount(const QString& text);
};

}  // namespace dfm
