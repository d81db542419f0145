#include "BinaryToText.h"

#include "Errors.h"
#include "NestingGuard.h"
#include "ResourceHeader.h"
#include "TReader.h"
#include "TWriter.h"
#include "Utf8.h"

#include <array>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <charconv>
#include <cstring>

namespace dfm {

namespace {

constexpr std::size_t MaxCharsPerLine = 64;  // string characters on one line of text
constexpr std::size_t BinaryBytesPerLine = 32;

class TextConverter {
public:
    TextConverter(TReader& reader, TWriter& writer, const CodePage& codePage)
        : reader_(reader), writer_(writer), codePage_(codePage) {}

    void ConvertObject();

private:
    NestingGuard Nest()
    {
        return NestingGuard(depth_, [](const std::string& message) { throw EReadError(message); });
    }
    void Indent();
    void NewLine();
    void PutInteger(std::int64_t value);
    void PutFloat(const Extended80& value, char suffix);
    void ConvertProperty();
    bool ConvertValue();
    void ConvertList();
    void ConvertSet();
    void ConvertCollection();
    void ConvertBinary();
    template <typename Text>
    void PutStringLiteral(const Text& text);

    TReader& reader_;
    TWriter& writer_;
    const CodePage& codePage_;
    int level_ = 0;
    int depth_ = 0;
    std::string name_;
    std::string string_;
};

void TextConverter::Indent()
{
    writer_.PutSpaces(2 * static_cast<std::size_t>(level_));
}

void TextConverter::NewLine()
{
    writer_.PutBytes("\r\n", 2);
    Indent();
}

void TextConverter::PutInteger(std::int64_t value)
{
    constexpr std::size_t MaxDigits = 24;
    char* const digits = writer_.Reserve(MaxDigits);
    const auto result = std::to_chars(digits, digits + MaxDigits, value);
    writer_.Commit(static_cast<std::size_t>(result.ptr - digits));
}

void TextConverter::PutFloat(const Extended80& value, char suffix)
{
    writer_.PutText(value.ToText());
    if (suffix != 0)
        writer_.PutChar(suffix);
}

void TextConverter::ConvertObject()
{
    const NestingGuard nesting = Nest();
    const ObjectPrefix prefix = reader_.TakeObjectPrefix();
    reader_.TakeName(string_);  // the class name, written after the object name
    const std::string_view objectName = reader_.TakeNameView(name_);
    Indent();
    if (prefix.flags & ObjectFlag::Inherited)
        writer_.PutText("inherited ");
    else if (prefix.flags & ObjectFlag::Inline)
        writer_.PutText("inline ");
    else
        writer_.PutText("object ");
    if (!objectName.empty()) {
        writer_.PutText(objectName);
        writer_.PutBytes(": ", 2);
    }
    writer_.PutText(string_);
    if (prefix.flags & ObjectFlag::HasPosition) {
        writer_.PutBytes(" [", 2);
        PutInteger(prefix.position);
        writer_.PutChar(']');
    }
    writer_.PutBytes("\r\n", 2);

    ++level_;
    while (!reader_.AtListEnd())
        ConvertProperty();
    reader_.ExpectTag(EndOfList);
    while (!reader_.AtListEnd())
        ConvertObject();
    reader_.ExpectTag(EndOfList);
    --level_;
    Indent();
    writer_.PutBytes("end\r\n", 5);
}

void TextConverter::ConvertProperty()
{
    Indent();
    // Name and " = " in one piece: this is the most frequent line of all.
    const std::string_view name = reader_.TakeNameView(name_);
    char* out = writer_.Reserve(255 + 3);
    TWriter::CopyBytes(out, name.data(), name.size());
    std::memcpy(out + name.size(), " = ", 3);
    writer_.Commit(name.size() + 3);
    // A tag that starts no value writes nothing and stays for the property list to read.
    ConvertValue();
    writer_.PutBytes("\r\n", 2);
}

bool TextConverter::ConvertValue()
{
    switch (reader_.PeekTag()) {
    case Int8:
    case Int16:
    case Int32:
        PutInteger(reader_.TakeIntegerValue());
        break;
    case Int64:
        PutInteger(reader_.TakeInt64Value());
        break;
    case Extended:
        PutFloat(reader_.TakeExtendedValue(), 0);
        break;
    case Double:
        PutFloat(Extended80::FromDouble(reader_.TakeDoubleValue()), 0);
        break;
    case Single:
        PutFloat(Extended80::FromDouble(reader_.TakeSingleValue()), 's');
        break;
    case Currency:
        PutFloat(Extended80::FromInt64(reader_.TakeCurrencyValue()), 'c');
        break;
    case Date:
        PutFloat(Extended80::FromDouble(reader_.TakeDateValue()), 'd');
        break;
    case ShortString:
    case LongString:
        PutStringLiteral(reader_.TakeStringView(string_));
        break;
    case WideString:
        PutStringLiteral(reader_.TakeWideStringValue());
        break;
    case Utf8String: {
        reader_.TakeUtf8StringValue(string_);
        std::u16string wide;
        if (DecodeUtf8(string_, wide))
            PutStringLiteral(wide);
        else
            PutStringLiteral(std::string_view(string_));
        break;
    }
    case Identifier:
        reader_.TakeTag();
        writer_.PutText(reader_.TakeNameView(name_));
        break;
    case False:
    case True:
    case Nil:
        writer_.PutText(reader_.TakeIdentValue());
        break;
    case List:
        ConvertList();
        break;
    case Set:
        ConvertSet();
        break;
    case Collection:
        ConvertCollection();
        break;
    case Binary:
        ConvertBinary();
        break;
    default:
        return false;
    }
    return true;
}

void TextConverter::ConvertList()
{
    const NestingGuard nesting = Nest();
    reader_.TakeTag();
    writer_.PutChar('(');
    ++level_;
    while (!reader_.AtListEnd()) {
        NewLine();
        // Nothing else would consume an unknown tag here: refuse it rather than loop forever.
        if (!ConvertValue())
            throw EReadError(msg::BadPropertyValue);
    }
    reader_.ExpectTag(EndOfList);
    --level_;
    writer_.PutChar(')');
}

void TextConverter::ConvertSet()
{
    reader_.TakeTag();
    writer_.PutChar('[');
    for (bool first = true;; first = false) {
        const std::string_view element = reader_.TakeNameView(name_);
        if (element.empty())
            break;
        if (!first)
            writer_.PutBytes(", ", 2);
        writer_.PutText(element);
    }
    writer_.PutChar(']');
}

void TextConverter::ConvertCollection()
{
    const NestingGuard nesting = Nest();
    reader_.TakeTag();
    writer_.PutChar('<');
    ++level_;
    while (!reader_.AtListEnd()) {
        NewLine();
        writer_.PutBytes("item", 4);
        const std::uint8_t tag = reader_.PeekTag();
        if (tag == Int8 || tag == Int16 || tag == Int32) {
            writer_.PutBytes(" [", 2);
            PutInteger(reader_.TakeIntegerValue());
            writer_.PutChar(']');
        }
        writer_.PutBytes("\r\n", 2);
        reader_.ExpectTag(List);
        ++level_;
        while (!reader_.AtListEnd())
            ConvertProperty();
        reader_.ExpectTag(EndOfList);
        --level_;
        Indent();
        writer_.PutBytes("end", 3);
    }
    reader_.ExpectTag(EndOfList);
    --level_;
    writer_.PutChar('>');
}

// Bytes written as themselves inside a quoted run: all from 32 up but the quote.
constexpr std::array<bool, 256> QuotableByte = [] {
    std::array<bool, 256> quotable{};
    for (std::size_t c = 32; c < 256; ++c)
        quotable[c] = c != '\'';
    return quotable;
}();

// Where the run of quotable bytes from `from` ends (at most at `limit`), eight bytes a step:
// a step goes on only while none of its bytes is below 32 or a quote. The caller finishes the
// last few bytes one by one.
std::size_t QuotableRunEnd(std::string_view text, std::size_t from, std::size_t limit)
{
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    constexpr std::uint64_t Highs = 0x8080808080808080u;
    while (from + 8 <= limit) {
        std::uint64_t eight;
        std::memcpy(&eight, text.data() + from, 8);
        // Bytes 128 and up are quotable: they never count as below 32.
        const std::uint64_t control = (eight - 32 * Ones) & ~eight & Highs;
        const std::uint64_t quotes = ((eight ^ ('\'' * Ones)) - Ones) & ~(eight ^ ('\'' * Ones)) & Highs;
        if ((control | quotes) != 0)
            break;
        from += 8;
    }
    return from;
}

// Two upper-case hexadecimal digits for every byte value, high nibble first.
constexpr std::array<std::array<char, 2>, 256> HexPairs = [] {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t i = 0; i < 256; ++i)
        pairs[i] = {digits[i >> 4], digits[i & 15]};
    return pairs;
}();

// Sixteen bytes a step with SSE2 (every x86-64 has it), else four bytes a step on
// little-endian hosts: each nibble spread to a byte of its own, then turned into its digit
// with carries that cannot cross bytes.
void PutHexDigits(const unsigned char* bytes, std::size_t count, char* digits)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lowNibble = _mm_set1_epi8(0x0F);
    const auto toDigits = [](__m128i nibbles) {
        const __m128i letters = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
        return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), _mm_and_si128(letters, _mm_set1_epi8(7)));
    };
    for (; i + 16 <= count; i += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i high = _mm_and_si128(_mm_srli_epi16(sixteen, 4), lowNibble);
        const __m128i low = _mm_and_si128(sixteen, lowNibble);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(digits + 2 * i), toDigits(_mm_unpacklo_epi8(high, low)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(digits + 2 * i + 16), toDigits(_mm_unpackhi_epi8(high, low)));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= count; i += 4) {
            std::uint32_t four;
            std::memcpy(&four, bytes + i, 4);
            std::uint64_t lanes = (four | (std::uint64_t{four} << 16)) & 0x0000FFFF0000FFFFu;
            lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFu;
            const std::uint64_t nibbles = ((lanes >> 4) & 0x000F000F000F000Fu) | ((lanes & 0x000F000F000F000Fu) << 8);
            const std::uint64_t letters = ((nibbles + 0x0606060606060606u) >> 4) & 0x0101010101010101u;
            const std::uint64_t text = nibbles + 0x3030303030303030u + letters * 7;
            std::memcpy(digits + 2 * i, &text, 8);
        }
    }
    for (; i < count; ++i)
        std::memcpy(digits + 2 * i, HexPairs[bytes[i]].data(), 2);
}

void TextConverter::ConvertBinary()
{
    reader_.TakeTag();
    writer_.PutChar('{');
    ++level_;
    const auto count = static_cast<std::int32_t>(reader_.TakeUInt32());
    const bool multiLine = count >= static_cast<std::int32_t>(BinaryBytesPerLine);
    unsigned char scratch[BinaryBytesPerLine];
    // Each line in one piece: line break, indentation (when short) and digits.
    const std::size_t indent = multiLine ? 2 * static_cast<std::size_t>(level_) : 0;
    const bool shortIndent = indent <= TWriter::BlankRun;
    for (std::int32_t left = count; left > 0;) {
        if (multiLine && !shortIndent)
            NewLine();
        const auto n = static_cast<std::size_t>(std::min<std::int32_t>(left, BinaryBytesPerLine));
        const unsigned char* bytes = reader_.TakeBytesView(n, scratch);
        char* out = writer_.Reserve(2 + TWriter::BlankRun + 2 * n);
        std::size_t used = 0;
        if (multiLine && shortIndent) {
            std::memcpy(out, "\r\n", 2);
            std::memcpy(out + 2, TWriter::Blanks, TWriter::BlankRun);
            used = 2 + indent;
        }
        PutHexDigits(bytes, n, out + used);
        writer_.Commit(used + 2 * n);
        left -= static_cast<std::int32_t>(n);
    }
    --level_;
    writer_.PutChar('}');
}

// Quoted runs of printable characters and #n escapes, at most 64 characters a line;
// wide text escapes every unit above 255 as well.
template <typename Text>
void TextConverter::PutStringLiteral(const Text& text)
{
    const std::size_t n = text.size();
    if (n == 0) {
        writer_.PutBytes("''", 2);
        return;
    }
    const auto unit = [&text](std::size_t i) { return static_cast<unsigned>(static_cast<std::make_unsigned_t<typename Text::value_type>>(text[i])); };
    const auto quotable = [&unit](std::size_t i) { return unit(i) < 256 && QuotableByte[unit(i)]; };
    std::string pageBytes;  // the text in the system code page, for the trail-byte test
    bool pageBytesReady = false;
    const auto splitsCharacter = [&](std::size_t i) {
        if (!codePage_.HasLeadBytes())
            return false;
        if constexpr (std::is_same_v<Text, std::string_view>) {
            return codePage_.IsTrailByteAt(text, i);
        } else {
            if (!pageBytesReady) {
                pageBytes = codePage_.FromWide(text);
                pageBytesReady = true;
            }
            return codePage_.IsTrailByteAt(pageBytes, i);
        }
    };

    const int propertyLevel = level_;
    ++level_;
    if (n > MaxCharsPerLine)
        NewLine();
    std::size_t i = 0;
    std::size_t lineStart = 0;
    while (i < n) {
        bool lineFull = false;
        if (quotable(i)) {
            const std::size_t j = i;
            const std::size_t limit = std::min(n, lineStart + MaxCharsPerLine);
            ++i;
            if constexpr (std::is_same_v<Text, std::string_view>)
                i = QuotableRunEnd(text, i, limit);
            while (i < limit && quotable(i))
                ++i;
            if (i - lineStart >= MaxCharsPerLine) {
                lineFull = true;
                if (splitsCharacter(i))
                    --i;
            }
            writer_.PutChar('\'');
            if constexpr (std::is_same_v<Text, std::string_view>) {
                writer_.PutBytes(text.data() + j, i - j);
            } else {
                char* run = writer_.Reserve(i - j);
                for (std::size_t p = j; p < i; ++p)
                    run[p - j] = static_cast<char>(unit(p));
                writer_.Commit(i - j);
            }
            writer_.PutChar('\'');
        } else {
            writer_.PutChar('#');
            PutInteger(unit(i));
            ++i;
            lineFull = i - lineStart >= MaxCharsPerLine;
        }
        if (lineFull && i < n) {
            writer_.PutBytes(" +", 2);
            NewLine();
            lineStart = i;
        }
    }
    level_ = propertyLevel;
}

}  // namespace

void BinaryToText(TStream& input, TStream& output, const CodePage& codePage)
{
    TReader reader(input);
    TWriter writer(output);
    reader.TakeSignature();
    TextConverter(reader, writer, codePage).ConvertObject();
    writer.Flush();
    output.Flush();
}

void ResourceToText(TStream& input, TStream& output)
{
    SkipResourceHeader(input);
    BinaryToText(input, output);
}

}  // namespace dfm
