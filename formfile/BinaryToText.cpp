#include "BinaryToText.h"

#include "Errors.h"
#include "FloatText.h"
#include "NestingGuard.h"
#include "ResourceHeader.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "HexDigits.h"
#include "Utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace dfm {

namespace {

constexpr std::size_t MaxCharsPerLine = 64;  // string characters on one line of text
// Bytes of a line the text reader surely takes whole (its buffer holds 4096), and the most bytes
// one character of a string can take there ("#65535").
constexpr std::size_t UnwrappedLineBytes = 4000;
constexpr std::size_t MostBytesPerCharacter = 6;

constexpr std::size_t BinaryBytesPerLine = hex::LineBytes;

// Bytes written as themselves inside a quoted run: all from 32 up but the quote.
constexpr std::array<bool, 256> QuotableByte = [] {
    std::array<bool, 256> quotable{};
    for (std::size_t c = 32; c < 256; ++c)
        quotable[c] = c != '\'';
    return quotable;
}();

class TextConverter {
public:
    TextConverter(FormReader& reader, FormWriter& writer, const CodePage& codePage, TextStyle style)
        : reader_(reader), writer_(writer), codePage_(codePage), style_(style) {}

    void convertObject();

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [](const std::string& message) { throw ReadError(message); });
    }
    void indent();
    void newLine();
    void putInteger(std::int64_t value);
    void putFloat(const std::string& text, char suffix);
    bool convertSmallProperty();
    void convertProperty();
    bool convertValue();
    void convertList();
    void convertSet();
    void convertCollection();
    void convertBinary();
    template <typename Text>
    void putStringLiteral(const Text& text);
    void putNarrowString(std::string_view text);

    FormReader& reader_;
    FormWriter& writer_;
    const CodePage& codePage_;
    TextStyle style_;
    std::u16string decoded_;
    int level_ = 0;
    int depth_ = 0;
    std::string name_;
    std::string string_;
};

void TextConverter::indent()
{
    writer_.putSpaces(2 * static_cast<std::size_t>(level_));
}

void TextConverter::newLine()
{
    writer_.putBytes("\r\n", 2);
    indent();
}

void TextConverter::putInteger(std::int64_t value)
{
    constexpr std::size_t MaxDigits = 24;
    char* const digits = writer_.reserve(MaxDigits);
    const auto result = std::to_chars(digits, digits + MaxDigits, value);
    writer_.commit(static_cast<std::size_t>(result.ptr - digits));
}

void TextConverter::putFloat(const std::string& text, char suffix)
{
    writer_.putText(text);
    if (suffix != 0)
        writer_.putChar(suffix);
}

void TextConverter::convertObject()
{
    const NestingGuard nesting = nest();
    const ObjectPrefix prefix = reader_.takeObjectPrefix();
    reader_.takeName(string_);  // the class name, written after the object name
    const std::string_view objectName = reader_.takeNameView(name_);
    indent();
    if (prefix.flags & ObjectFlag::Inherited)
        writer_.putText("inherited ");
    else if (prefix.flags & ObjectFlag::Inline)
        writer_.putText("inline ");
    else
        writer_.putText("object ");
    if (!objectName.empty()) {
        writer_.putText(objectName);
        writer_.putBytes(": ", 2);
    }
    writer_.putText(string_);
    if (prefix.flags & ObjectFlag::HasPosition) {
        writer_.putBytes(" [", 2);
        putInteger(prefix.position);
        writer_.putChar(']');
    }
    writer_.putBytes("\r\n", 2);

    ++level_;
    while (!reader_.atListEnd())
        convertProperty();
    reader_.expectTag(EndOfList);
    while (!reader_.atListEnd())
        convertObject();
    reader_.expectTag(EndOfList);
    --level_;
    indent();
    writer_.putBytes("end\r\n", 5);
}

// Where the run of quotable bytes from `from` ends (at most at `limit`), eight bytes a step:
// a step goes on only while none of its bytes is below 32 or a quote, nor, with asciiOnly,
// beyond ASCII. The caller finishes the last few bytes one by one.
std::size_t quotableRunEnd(std::string_view text, std::size_t from, std::size_t limit, bool asciiOnly = false)
{
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    constexpr std::uint64_t Highs = 0x8080808080808080u;
    const std::uint64_t refused = asciiOnly ? Highs : 0;
    while (from + 8 <= limit) {
        std::uint64_t eight;
        std::memcpy(&eight, text.data() + from, 8);
        // Bytes 128 and up never count as below 32.
        const std::uint64_t control = (eight - 32 * Ones) & ~eight & Highs;
        const std::uint64_t quotes = ((eight ^ ('\'' * Ones)) - Ones) & ~(eight ^ ('\'' * Ones)) & Highs;
        if ((control | quotes | (eight & refused)) != 0)
            break;
        from += 8;
    }
    return from;
}

// Whether a short string is written as one quoted run of its bytes: none below 32 or a quote,
// and in UTF-8 none beyond ASCII (those are written as characters of the code page).
bool isOneQuotedRun(std::string_view text, bool asciiOnly)
{
    for (std::size_t i = quotableRunEnd(text, 0, text.size(), asciiOnly); i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!QuotableByte[c] || (asciiOnly && c >= 128))
            return false;
    }
    return true;
}

// The most frequent line of a form, a property with a small value (integer, identifier,
// boolean, short string on one line), goes straight from the reader's buffer into the
// writer's, with one check for room in each instead of one per piece. Anything else, and a
// property near the end of the input, is left to the general path: false.
bool TextConverter::convertSmallProperty()
{
    // A name with its length, a tag, and a value of at most a length byte and 255 bytes.
    constexpr std::size_t MostRead = 1 + 255 + 1 + 1 + 255;
    // Blanks written as one run, the name, " = ", the value (quoted string or identifier, or
    // fewer digits), and the line break.
    constexpr std::size_t MostWritten = FormWriter::BlankRun + 255 + 3 + 2 + 255 + 2;
    const std::size_t indent = 2 * static_cast<std::size_t>(level_);
    if (indent > FormWriter::BlankRun || reader_.ensureAvailable(MostRead) < MostRead)
        return false;
    const unsigned char* const in = reader_.cursor();
    const std::size_t nameLength = in[0];
    const unsigned char* const value = in + 1 + nameLength;
    const auto valueText = [value](std::size_t offset) { return reinterpret_cast<const char*>(value + offset); };
    char* const line = writer_.reserve(MostWritten);
    std::memcpy(line, FormWriter::Blanks, FormWriter::BlankRun);
    char* out = line + indent;
    FormWriter::copyBytes(out, reinterpret_cast<const char*>(in + 1), nameLength);
    out += nameLength;
    std::memcpy(out, " = ", 3);
    out += 3;
    std::size_t valueLength;
    switch (value[0]) {
    case Int8:
        out = std::to_chars(out, out + 4, static_cast<std::int8_t>(value[1])).ptr;
        valueLength = 2;
        break;
    case Int16:
        out = std::to_chars(out, out + 6, static_cast<std::int16_t>(value[1] | (value[2] << 8))).ptr;
        valueLength = 3;
        break;
    case Int32: {
        const std::uint32_t bits = value[1] | (value[2] << 8) | (value[3] << 16) | (std::uint32_t{value[4]} << 24);
        out = std::to_chars(out, out + 11, static_cast<std::int32_t>(bits)).ptr;
        valueLength = 5;
        break;
    }
    case Identifier:
        FormWriter::copyBytes(out, valueText(2), value[1]);
        out += value[1];
        valueLength = 2 + std::size_t{value[1]};
        break;
    case False:
        std::memcpy(out, "False", 5);
        out += 5;
        valueLength = 1;
        break;
    case True:
        std::memcpy(out, "True", 4);
        out += 4;
        valueLength = 1;
        break;
    case Nil:
        std::memcpy(out, "nil", 3);
        out += 3;
        valueLength = 1;
        break;
    case ShortString: {
        // Shorter than a line, so never cut, whatever the code page.
        const std::size_t length = value[1];
        if (length >= MaxCharsPerLine || !isOneQuotedRun({valueText(2), length}, style_.utf8))
            return false;
        *out++ = '\'';
        FormWriter::copyBytes(out, valueText(2), length);
        out += length;
        *out++ = '\'';
        valueLength = 2 + length;
        break;
    }
    default:
        return false;
    }
    std::memcpy(out, "\r\n", 2);
    writer_.commit(static_cast<std::size_t>(out + 2 - line));
    reader_.skip(1 + nameLength + valueLength);
    return true;
}

void TextConverter::convertProperty()
{
    if (convertSmallProperty())
        return;
    indent();
    // Name and " = " in one piece: this is the most frequent line of all.
    const std::string_view name = reader_.takeNameView(name_);
    char* out = writer_.reserve(255 + 3);
    FormWriter::copyBytes(out, name.data(), name.size());
    std::memcpy(out + name.size(), " = ", 3);
    writer_.commit(name.size() + 3);
    // A tag that starts no value writes nothing and stays for the property list to read.
    convertValue();
    writer_.putBytes("\r\n", 2);
}

bool TextConverter::convertValue()
{
    switch (reader_.peekTag()) {
    case Int8:
    case Int16:
    case Int32:
        putInteger(reader_.takeIntegerValue());
        break;
    case Int64:
        putInteger(reader_.takeInt64Value());
        break;
    case Extended:
        putFloat(extendedText(reader_.takeExtendedValue()), 0);
        break;
    case Double:
        putFloat(doubleText(reader_.takeDoubleValue()), 0);
        break;
    case Single:
        putFloat(singleText(reader_.takeSingleValue()), 's');
        break;
    case Currency:
        putFloat(currencyText(reader_.takeCurrencyValue()), 'c');
        break;
    case Date:
        putFloat(doubleText(reader_.takeDateValue()), 'd');
        break;
    case ShortString:
    case LongString:
        putNarrowString(reader_.takeStringView(string_));
        break;
    case WideString:
        putStringLiteral(reader_.takeWideStringValue());
        break;
    case Utf8String: {
        reader_.takeUtf8StringValue(string_);
        std::u16string wide;
        if (decodeUtf8(string_, wide))
            putStringLiteral(wide);
        else
            putStringLiteral(std::string_view(string_));
        break;
    }
    case Identifier:
        reader_.takeTag();
        writer_.putText(reader_.takeNameView(name_));
        break;
    case False:
    case True:
    case Nil:
        writer_.putText(reader_.takeIdentValue());
        break;
    case List:
        convertList();
        break;
    case Set:
        convertSet();
        break;
    case Collection:
        convertCollection();
        break;
    case Binary:
        convertBinary();
        break;
    default:
        return false;
    }
    return true;
}

void TextConverter::convertList()
{
    const NestingGuard nesting = nest();
    reader_.takeTag();
    writer_.putChar('(');
    ++level_;
    while (!reader_.atListEnd()) {
        newLine();
        // Nothing else would consume an unknown tag here: refuse it rather than loop forever.
        if (!convertValue())
            throw ReadError(msg::BadPropertyValue);
    }
    reader_.expectTag(EndOfList);
    --level_;
    writer_.putChar(')');
}

void TextConverter::convertSet()
{
    reader_.takeTag();
    writer_.putChar('[');
    for (bool first = true;; first = false) {
        const std::string_view element = reader_.takeNameView(name_);
        if (element.empty())
            break;
        if (!first)
            writer_.putBytes(", ", 2);
        writer_.putText(element);
    }
    writer_.putChar(']');
}

void TextConverter::convertCollection()
{
    const NestingGuard nesting = nest();
    reader_.takeTag();
    writer_.putChar('<');
    ++level_;
    while (!reader_.atListEnd()) {
        newLine();
        writer_.putBytes("item", 4);
        const std::uint8_t tag = reader_.peekTag();
        if (tag == Int8 || tag == Int16 || tag == Int32) {
            writer_.putBytes(" [", 2);
            putInteger(reader_.takeIntegerValue());
            writer_.putChar(']');
        }
        writer_.putBytes("\r\n", 2);
        reader_.expectTag(List);
        ++level_;
        while (!reader_.atListEnd())
            convertProperty();
        reader_.expectTag(EndOfList);
        --level_;
        indent();
        writer_.putBytes("end", 3);
    }
    reader_.expectTag(EndOfList);
    --level_;
    writer_.putChar('>');
}

void TextConverter::convertBinary()
{
    reader_.takeTag();
    writer_.putChar('{');
    ++level_;
    const auto count = static_cast<std::int32_t>(reader_.takeUInt32());
    const bool multiLine = count >= static_cast<std::int32_t>(BinaryBytesPerLine);
    unsigned char scratch[BinaryBytesPerLine];
    // Each line in one piece: line break, indentation (when short) and digits.
    const std::size_t indent = multiLine ? 2 * static_cast<std::size_t>(level_) : 0;
    const bool shortIndent = indent <= FormWriter::BlankRun;
    // Full lines in batches, as many as the reader holds and the writer has room for, with the
    // buffers checked once a batch: a form is mostly such lines.
    constexpr std::size_t LinesPerBatch = 64;
    constexpr std::size_t FullLineText = 2 + FormWriter::BlankRun + 2 * BinaryBytesPerLine;
    static_assert(LinesPerBatch * BinaryBytesPerLine <= FormReader::MostEnsured);
    static_assert(LinesPerBatch * FullLineText + hex::LineStartRoom <= FormWriter::BufferSize);
    static_assert(2 + FormWriter::BlankRun <= hex::LineStartRoom);
    char lineStart[hex::LineStartRoom];
    std::memcpy(lineStart, "\r\n", 2);
    std::memset(lineStart + 2, ' ', sizeof lineStart - 2);
    for (std::int32_t left = count; left > 0;) {
        const std::size_t fullLines = std::min(static_cast<std::size_t>(left) / BinaryBytesPerLine, LinesPerBatch);
        if (multiLine && shortIndent && fullLines > 0) {
            const std::size_t lines = std::min(fullLines, reader_.ensureAvailable(fullLines * BinaryBytesPerLine) / BinaryBytesPerLine);
            if (lines > 0) {
                char* const start = writer_.reserve(lines * FullLineText + hex::LineStartRoom);
                char* const end = hex::putLines(reader_.cursor(), lines, lineStart, 2 + indent, start);
                writer_.commit(static_cast<std::size_t>(end - start));
                reader_.skip(lines * BinaryBytesPerLine);
                left -= static_cast<std::int32_t>(lines * BinaryBytesPerLine);
                continue;
            }
        }
        if (multiLine && !shortIndent)
            newLine();
        const auto n = static_cast<std::size_t>(std::min<std::int32_t>(left, BinaryBytesPerLine));
        const unsigned char* bytes = reader_.takeBytesView(n, scratch);
        char* out = writer_.reserve(2 + FormWriter::BlankRun + 2 * n);
        std::size_t used = 0;
        if (multiLine && shortIndent) {
            std::memcpy(out, "\r\n", 2);
            std::memcpy(out + 2, FormWriter::Blanks, FormWriter::BlankRun);
            used = 2 + indent;
        }
        hex::putDigits(bytes, n, out + used);
        writer_.commit(used + 2 * n);
        left -= static_cast<std::int32_t>(n);
    }
    --level_;
    writer_.putChar('}');
}

// Quoted runs of printable characters and #n escapes, at most 64 characters a line;
// wide text escapes every unit above 255 as well.
template <typename Text>
void TextConverter::putStringLiteral(const Text& text)
{
    const std::size_t n = text.size();
    if (n == 0) {
        writer_.putBytes("''", 2);
        return;
    }
    const auto unit = [&text](std::size_t i) { return static_cast<unsigned>(static_cast<std::make_unsigned_t<typename Text::value_type>>(text[i])); };
    constexpr bool narrow = std::is_same_v<Text, std::string_view>;
    const bool utf8 = style_.utf8;
    // In UTF-8 a character from U+00A0 up is written as itself, a surrogate pair as one; bytes
    // of a narrow string that reach here could not be decoded and stay escaped.
    // A wide string's units from 128 to 255 are written as bytes of the same value only where
    // the page reads those bytes back as Latin-1 does (Windows-1252, the page forms have always
    // been written in); elsewhere they would show and read back as other characters. A wide
    // string with no unit beyond 255 reads back as a narrow one whatever it is written as, so it
    // is written as that narrow string would be, and its text stays put.
    const bool latinBytes = narrow || codePage_.number() == CodePage::DefaultNumber
        || std::none_of(text.begin(), text.end(), [](auto u) { return static_cast<unsigned>(u) > 255; });
    const auto quotable = [&](std::size_t i) {
        const unsigned u = unit(i);
        if (u >= 128 && !utf8 && !latinBytes)
            return false;
        if (u < 128 || !utf8)
            return u < 256 && QuotableByte[u];
        if (narrow || u < 0xA0)
            return false;
        if (isHighSurrogate(u))
            return i + 1 < n && isLowSurrogate(unit(i + 1));
        if (isLowSurrogate(u))
            return i > 0 && isHighSurrogate(unit(i - 1));
        return true;
    };
    const std::size_t charsPerLine = style_.wrapStrings
        ? MaxCharsPerLine
        : std::max(MaxCharsPerLine, (UnwrappedLineBytes - 2 * static_cast<std::size_t>(level_ + 1)) / MostBytesPerCharacter);
    // Wide text is written as ASCII and escapes in a double-byte page: only narrow text can have
    // a character cut in two.
    const auto splitsCharacter = [&](std::size_t i) {
        if (utf8 && i < n && isLowSurrogate(unit(i)) && isHighSurrogate(unit(i - 1)))
            return true;
        if constexpr (narrow)
            return !utf8 && codePage_.isTrailByteAt(text, i);
        return false;
    };

    const int propertyLevel = level_;
    ++level_;
    if (n > charsPerLine)
        newLine();
    std::size_t i = 0;
    std::size_t lineStart = 0;
    while (i < n) {
        bool lineFull = false;
        if (quotable(i)) {
            const std::size_t j = i;
            const std::size_t limit = std::min(n, lineStart + charsPerLine);
            ++i;
            if constexpr (narrow) {
                if (!utf8)
                    i = quotableRunEnd(text, i, limit);
            }
            while (i < limit && quotable(i))
                ++i;
            if (i - lineStart >= charsPerLine) {
                lineFull = true;
                if (splitsCharacter(i))
                    --i;
            }
            writer_.putChar('\'');
            if constexpr (narrow) {
                writer_.putBytes(text.data() + j, i - j);
            } else if (utf8) {
                char* const run = writer_.reserve(3 * (i - j));
                char* out = run;
                for (std::size_t p = j; p < i; ++p) {
                    char32_t cp = unit(p);
                    if (isHighSurrogate(cp)) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(p + 1) - 0xDC00);
                        ++p;
                    }
                    out = putUtf8(cp, out);
                }
                writer_.commit(static_cast<std::size_t>(out - run));
            } else {
                char* run = writer_.reserve(i - j);
                for (std::size_t p = j; p < i; ++p)
                    run[p - j] = static_cast<char>(unit(p));
                writer_.commit(i - j);
            }
            writer_.putChar('\'');
        } else {
            writer_.putChar('#');
            putInteger(unit(i));
            ++i;
            lineFull = i - lineStart >= charsPerLine;
        }
        if (lineFull && i < n) {
            writer_.putBytes(" +", 2);
            newLine();
            lineStart = i;
        }
    }
    level_ = propertyLevel;
}

// In UTF-8 a narrow string is written as the characters the code page gives its bytes.
void TextConverter::putNarrowString(std::string_view text)
{
    if (style_.utf8 && codePage_.toWide(text, decoded_))
        putStringLiteral(decoded_);
    else
        putStringLiteral(text);
}

}  // namespace

void binaryToText(ByteStream& input, ByteStream& output, const CodePage& codePage, TextStyle style)
{
    FormReader reader(input);
    FormWriter writer(output);
    reader.takeSignature();
    if (style.utf8)
        writer.putBytes("\xEF\xBB\xBF", 3);
    TextConverter(reader, writer, codePage, style).convertObject();
    writer.flush();
    output.flush();
}

void resourceToText(ByteStream& input, ByteStream& output, TextStyle style, const CodePage& codePage)
{
    skipResourceHeader(input);
    binaryToText(input, output, codePage, style);
}

}  // namespace dfm
