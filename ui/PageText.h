// The bytes of a form or unit file <-> the text an editor page shows, without losing a byte.
#pragma once

#include "CodePage.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

class QTextDocument;

namespace dfm {

// How a page's bytes were laid out, so that saving unchanged text gives the same bytes.
struct TextFormat {
    enum class Encoding { Bytes, Utf8 };
    Encoding encoding = Encoding::Bytes;
    bool byteOrderMark = false;
    bool lfOnly = false;        // lines ended by LF alone instead of CR LF
    bool finalBreak = true;     // the last line is followed by a line break
    int codePage = CodePage::DefaultNumber;  // the page of Bytes
};

namespace PageText {

// Form text: system code page bytes, lines ended by CR LF.
inline TextFormat formFormat()
{
    return {};
}

// Editor text has "\n" between lines. Units that are valid UTF-8 with non-ASCII bytes
// stay UTF-8; everything else is read as bytes of format->codePage, which the caller sets.
QString decode(std::string_view bytes, TextFormat* format);
QString decodeAs(std::string_view bytes, const TextFormat& format);
QByteArray encode(const QString& text, const TextFormat& format);

// The lossless mapping of a code page's bytes (see CodePage::decode). Characters outside the
// page become "?".
QString fromBytes(std::string_view bytes, int codePage = CodePage::DefaultNumber);
QByteArray toBytes(const QString& text, int codePage = CodePage::DefaultNumber);
// Whether every character of the text has its bytes in the page.
bool fitsBytes(const QString& text, int codePage = CodePage::DefaultNumber);

// Characters as the editor counts them: a line break is two (CR LF).
qsizetype characterCount(const QString& text);

// The text of an editor page exactly as held, lines joined by "\n" (the plain-text view would
// turn no-break spaces into blanks).
QString ofDocument(const QTextDocument& document);

}  // namespace PageText

}  // namespace dfm
