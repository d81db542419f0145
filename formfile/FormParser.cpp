#include "FormParser.h"

#include "AsciiText.h"
#include "Errors.h"
#include "HexDigits.h"
#include "Utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dfm {

namespace {

bool isFloatSuffix(unsigned char c)
{
    switch (c) {
    case 'c': case 'C': case 'd': case 'D': case 's': case 'S':
        return true;
    default:
        return false;
    }
}

}  // namespace

FormParser::FormParser(ByteStream& input, TextEncoding encoding, const CodePage* codePage)
    : input_(input), encoding_(encoding),
      wideBytesPage_(codePage != nullptr && codePage->number() != CodePage::DefaultNumber ? codePage : nullptr)
{
    if (encoding_ == TextEncoding::Utf8) {
        refill();
        if (std::string_view(buffer_, sourceEnd_).substr(0, 3) == "\xEF\xBB\xBF")
            sourcePtr_ = lineFloor_ = 3;
    }
    advance();
}

FormParser::~FormParser()
{
    if (tokenPtr_ >= bufferEnd_)
        return;
    try {
        input_.seek(-static_cast<std::int64_t>(bufferEnd_ - tokenPtr_), SeekOrigin::Current);
    } catch (...) {
        // A stream that cannot move back keeps its position; nothing reads it after us.
    }
}

void FormParser::refill()
{
    buffer_[sourceEnd_] = savedChar_;
    const std::size_t kept = bufferEnd_ - sourcePtr_;
    std::memmove(buffer_, buffer_ + sourcePtr_, kept);
    bufferEnd_ = kept;
    while (bufferEnd_ < BufferSize) {
        const std::size_t got = input_.read(buffer_ + bufferEnd_, BufferSize - bufferEnd_);
        if (got == 0)
            break;
        bufferEnd_ += got;
    }
    sourcePtr_ = 0;
    tokenPtr_ = 0;
    lineFloor_ = 0;
    sourceEnd_ = bufferEnd_;
    if (bufferEnd_ == BufferSize) {
        // Expose whole lines only, so that no token straddles a refill.
        std::size_t lineFeed = BufferSize - 2;
        while (lineFeed > 0 && buffer_[lineFeed] != '\n')
            --lineFeed;
        if (lineFeed == 0) {
            sourceEnd_ = 0;
            savedChar_ = buffer_[0];
            buffer_[0] = '\0';
            fail(msg::LineTooLong);
        }
        sourceEnd_ = lineFeed + 1;
    }
    savedChar_ = sourceEnd_ < BufferSize ? buffer_[sourceEnd_] : '\0';
    buffer_[sourceEnd_] = '\0';
}

void FormParser::skipBlanks()
{
    for (;;) {
#if defined(__SSE2__)
        // A line break and the next line's indentation sixteen bytes a step: a fifth of a form's
        // text is blanks. The single blank between tokens is quicker one byte at a time.
        while ((buffer_[sourcePtr_] == '\r' || buffer_[sourcePtr_] == '\n') && sourcePtr_ + 16 <= BufferSize) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer_ + sourcePtr_));
            // c - 1 below 32 (unsigned): a blank byte, the NUL excluded.
            const __m128i less = _mm_sub_epi8(c, _mm_set1_epi8(1));
            const __m128i blank = _mm_cmpeq_epi8(_mm_min_epu8(less, _mm_set1_epi8(31)), less);
            const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(blank));
            const auto lineFeeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, _mm_set1_epi8('\n'))));
            const unsigned run = static_cast<unsigned>(std::countr_one(blanks));
            // Few line feeds a step: counted one by one (no population count on every x86-64).
            for (unsigned passed = lineFeeds & ((1u << run) - 1); passed != 0; passed &= passed - 1)
                ++lineNumber_;
            sourcePtr_ += run;
            if (run < 16)
                break;
        }
#endif
        auto c = static_cast<unsigned char>(buffer_[sourcePtr_]);
        while (c != 0 && c <= ' ') {
            if (c == '\n')
                ++lineNumber_;
            c = static_cast<unsigned char>(buffer_[++sourcePtr_]);
        }
        if (c != 0)
            return;
        refill();
        if (buffer_[sourcePtr_] == '\0')
            return;
    }
}

int FormParser::advance()
{
    skipBlanks();
    std::size_t p = sourcePtr_;
    tokenPtr_ = p;
    floatSuffix_ = 0;
    const auto c = static_cast<unsigned char>(buffer_[p]);
    if (c == '#' || c == '\'') {
        scanString(p);
        return token_;
    }
    if (c == '$') {
        ++p;
        while (ascii::isHexDigit(static_cast<unsigned char>(buffer_[p])))
            ++p;
        token_ = IntegerToken;
    } else if (c == '-' || ascii::isDigit(c)) {
        ++p;
        while (ascii::isDigit(static_cast<unsigned char>(buffer_[p])))
            ++p;
        token_ = IntegerToken;
        while (ascii::isNumberTail(static_cast<unsigned char>(buffer_[p]))) {
            ++p;
            token_ = FloatToken;
        }
        if (isFloatSuffix(static_cast<unsigned char>(buffer_[p]))) {
            floatSuffix_ = buffer_[p];
            ++p;
            token_ = FloatToken;
        }
    } else if (ascii::isIdentStart(c)) {
        ++p;
        while (ascii::isIdentChar(static_cast<unsigned char>(buffer_[p])))
            ++p;
        token_ = Symbol;
    } else if (c == 0) {
        token_ = EndOfText;
    } else {
        ++p;
        token_ = c;
    }
    sourcePtr_ = p;
    return token_;
}

namespace {

// After a '#': the number that follows, of which a character keeps the low 16 bits.
unsigned takeCharacterCode(const char*& p)
{
    unsigned low16 = 0;
    while (ascii::isDigit(static_cast<unsigned char>(*p)))
        low16 = (low16 * 10 + static_cast<unsigned>(*p++ - '0')) & 0xFFFFu;
    return low16;
}

// After an opening quote: each byte up to the closing one to put, a doubled quote as one quote.
template <typename Put>
void takeQuotedRun(const char*& p, Put put)
{
    for (;;) {
        const auto c = static_cast<unsigned char>(*p++);
        if (c == '\'') {
            if (*p != '\'')
                break;
            ++p;
        }
        put(c);
    }
}

// The second pass over a literal already checked: #n gives the low 16 bits of n (its byte when
// narrow), a quoted character its byte, '' one quote.
template <typename Unit>
void decodeLiteral(const char* p, const char* end, Unit* out)
{
    while (p < end) {
        if (*p++ == '#')
            *out++ = static_cast<Unit>(takeCharacterCode(p));
        else
            takeQuotedRun(p, [&out](unsigned char c) { *out++ = static_cast<Unit>(c); });
    }
}

}  // namespace

// A literal of quoted runs and #n parts without blanks between them. The first pass checks
// it, counts its characters and tells narrow from wide; the second decodes.
void FormParser::scanString(std::size_t p)
{
    bool wide = false;
    bool beyondAscii = false;
    std::size_t count = 0;
    std::size_t q = p;
    for (;;) {
        if (buffer_[q] == '#') {
            ++q;
            ++count;
            unsigned value = 0;
            while (ascii::isDigit(static_cast<unsigned char>(buffer_[q]))) {
                value = std::min(value * 10 + static_cast<unsigned>(buffer_[q] - '0'), 65536u);
                ++q;
            }
            wide = wide || value > 255;
        } else if (buffer_[q] == '\'') {
            ++q;
            for (;;) {
                const char c = buffer_[q];
                if (c == '\0' || c == '\r' || c == '\n') {
                    sourcePtr_ = q;
                    fail(msg::BadStringConstant);
                }
                ++q;
                if (c == '\'') {
                    if (buffer_[q] != '\'')
                        break;
                    ++q;
                }
                beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
                ++count;
            }
        } else {
            break;
        }
    }

    if (beyondAscii && encoding_ == TextEncoding::Utf8) {
        decodeLiteralRuns(p, q, [](const std::string& run, std::u16string& decoded) { return decodeUtf8(run, decoded); });
        wide = true;
    } else if (wideBytesPage_ != nullptr) {
        // The characters in any case: a narrow literal may be joined to a wide one.
        decodeLiteralRuns(p, q, [this](const std::string& run, std::u16string& decoded) {
            decoded = wideBytesPage_->decode(run);
            return true;
        });
    } else if (wide) {
        wideText_.resize(count);
        decodeLiteral(buffer_ + p, buffer_ + q, wideText_.data());
    }
    if (!wide) {
        stringText_.resize(count);
        decodeLiteral(buffer_ + p, buffer_ + q, stringText_.data());
    }
    sourcePtr_ = q;
    token_ = wide ? WideStringToken : StringToken;
}

// A literal whose quoted runs are characters of an encoding (UTF-8, or a code page's bytes in a
// wide string): each run decoded, each #n part one code unit.
template <typename DecodeRun>
void FormParser::decodeLiteralRuns(std::size_t start, std::size_t end, DecodeRun decodeRun)
{
    wideText_.clear();
    std::string run;
    std::u16string decoded;
    for (const char* p = buffer_ + start; p < buffer_ + end;) {
        if (*p++ == '#') {
            wideText_.push_back(static_cast<char16_t>(takeCharacterCode(p)));
            continue;
        }
        run.clear();
        takeQuotedRun(p, [&run](unsigned char c) { run.push_back(static_cast<char>(c)); });
        if (!decodeRun(run, decoded))
            fail(msg::BadUtf8);
        wideText_ += decoded;
    }
}

std::string_view FormParser::tokenText() const
{
    if (token_ == StringToken)
        return stringText_;
    return rawTokenText();
}

std::int32_t FormParser::tokenAsInteger() const
{
    const std::string_view text = rawTokenText();
    const auto fail = [&]() -> std::int32_t {
        throw ConvertError(msg::notAnInteger(text));
    };
    if (!text.empty() && text[0] == '$') {
        std::string_view digits = text.substr(1);
        if (digits.empty())
            return fail();
        while (digits.size() > 1 && digits[0] == '0')
            digits.remove_prefix(1);
        if (digits.size() > 8)
            return fail();
        std::uint32_t value = 0;
        for (const char c : digits) {
            if (!ascii::isHexDigit(static_cast<unsigned char>(c)))
                return fail();
            value = value * 16 + static_cast<std::uint32_t>(ascii::hexValue(static_cast<unsigned char>(c)));
        }
        return static_cast<std::int32_t>(value);
    }
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty())
        return fail();
    std::int64_t value = 0;
    for (const char c : digits) {
        if (!ascii::isDigit(static_cast<unsigned char>(c)))
            return fail();
        value = value * 10 + (c - '0');
        if (value > std::int64_t{1} << 31)
            return fail();
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return fail();
    return static_cast<std::int32_t>(value);
}

Extended80 FormParser::tokenAsFloat() const
{
    std::string_view text = rawTokenText();
    if (floatSuffix_ != 0)
        text.remove_suffix(1);
    const auto value = Extended80::parse(text);
    if (!value)
        throw ConvertError(msg::notAFloat(text));
    return *value;
}

void FormParser::expectToken(int kind) const
{
    if (token_ == kind)
        return;
    switch (kind) {
    case Symbol:
        fail(msg::IdentifierExpected);
    case StringToken:
    case WideStringToken:
        fail(msg::StringExpected);
    case IntegerToken:
    case FloatToken:
        fail(msg::NumberExpected);
    default:
        fail("''" + std::string(1, static_cast<char>(kind)) + "'' attendu");
    }
}

void FormParser::expectSymbol(std::string_view word) const
{
    if (!tokenIsSymbol(word))
        fail(std::string(word) + " attendu");
}

std::string FormParser::takeDottedIdent()
{
    // A leading dot: some components store a name relative to their owner (".Owner").
    std::size_t p = tokenPtr_;
    if (token_ != '.') {
        expectToken(Symbol);
        p = sourcePtr_;
    }
    while (buffer_[p] == '.') {
        if (!ascii::isIdentStart(static_cast<unsigned char>(buffer_[p + 1]))) {
            sourcePtr_ = p + 1;
            fail(msg::IdentifierExpected);
        }
        p += 2;
        while (ascii::isIdentChar(static_cast<unsigned char>(buffer_[p])))
            ++p;
    }
    sourcePtr_ = p;
    return std::string(rawTokenText());
}

std::string FormParser::takePropertyName()
{
    expectToken(Symbol);
    std::string name(tokenText());
    advance();
    while (token_ == '.') {
        advance();
        expectToken(Symbol);
        name += '.';
        name += tokenText();
        advance();
    }
    return name;
}

bool FormParser::takeSimpleProperty(SimpleProperty& property)
{
    if (token_ != Symbol)
        return false;
    const char* p = buffer_ + sourcePtr_;
    if (p[0] != ' ' || p[1] != '=' || p[2] != ' ')
        return false;
    p += 3;
    const char* const value = p;
    const auto at = [&p](std::size_t i) { return static_cast<unsigned char>(p[i]); };
    if (at(0) == '-' || ascii::isDigit(at(0))) {
        const bool negative = at(0) == '-';
        if (negative)
            ++p;
        std::int32_t magnitude = 0;
        const char* const digits = p;
        while (ascii::isDigit(at(0)) && p - digits < 9)
            magnitude = magnitude * 10 + (*p++ - '0');
        if (p == digits)
            return false;
        property.kind = IntegerToken;
        property.integer = negative ? -magnitude : magnitude;
    } else if (ascii::isIdentStart(at(0))) {
        ++p;
        while (ascii::isIdentChar(at(0)))
            ++p;
        property.kind = Symbol;
        property.text = {value, static_cast<std::size_t>(p - value)};
    } else if (at(0) == '\'') {
        ++p;
        while (at(0) >= ' ' && at(0) < 0x7F && at(0) != '\'')
            ++p;
        if (at(0) != '\'')
            return false;
        property.kind = StringToken;
        property.text = {value + 1, static_cast<std::size_t>(p - value - 1)};
        ++p;
        // A "+" after the line's blanks would join another part to the string.
        const char* next = p;
        while (static_cast<unsigned char>(*next) - 1u < static_cast<unsigned char>(' '))
            ++next;
        if (*next == '+' || *next == '\0')
            return false;
    } else {
        return false;
    }
    if (at(0) != '\r' && at(0) != '\n')
        return false;
    property.name = rawTokenText();
    sourcePtr_ = static_cast<std::size_t>(p - buffer_);
    return true;
}

void FormParser::readHexBlock(ByteStream& output)
{
    // The lines of a block gathered before they are handed on: a line holds only 32 bytes.
    constexpr std::size_t MaxBytesPerStep = 256;
    unsigned char bytes[16 * MaxBytesPerStep];
    std::size_t gathered = 0;
    skipBlanks();
    while (buffer_[sourcePtr_] != '}') {
        if (sizeof bytes - gathered < MaxBytesPerStep) {
            output.writeBuffer(bytes, gathered);
            gathered = 0;
        }
        const auto* digits = reinterpret_cast<const unsigned char*>(buffer_ + sourcePtr_);
        // Most lines are full: 64 digits, checked and decoded in one go.
        if (BufferSize - sourcePtr_ >= hex::LineDigits && hex::decodeLine(digits, bytes + gathered)) {
            gathered += hex::LineBytes;
            sourcePtr_ += hex::LineDigits;
            skipBlanks();
            continue;
        }
        const std::size_t count = hex::decodePairs(digits, BufferSize - sourcePtr_, bytes + gathered, MaxBytesPerStep);
        if (count == 0)
            fail(msg::BadBinaryValue);
        gathered += count;
        sourcePtr_ += 2 * count;
        skipBlanks();
    }
    output.writeBuffer(bytes, gathered);
    advance();
}

std::size_t FormParser::lineStartBefore(std::size_t p) const
{
    // memrchr looks at many bytes a step: lines are indented, and spans are asked for often.
    const void* lineFeed = p > lineFloor_ ? ::memrchr(buffer_ + lineFloor_, '\n', p - lineFloor_) : nullptr;
    return lineFeed == nullptr ? lineFloor_ : static_cast<std::size_t>(static_cast<const char*>(lineFeed) - buffer_) + 1;
}

std::string_view FormParser::lineBeforeToken() const
{
    const std::size_t start = lineStartBefore(tokenPtr_);
    return {buffer_ + start, tokenPtr_ - start};
}

std::string_view FormParser::lineThroughToken() const
{
    const std::size_t start = lineStartBefore(tokenPtr_);
    return {buffer_ + start, sourcePtr_ - start};
}

void FormParser::fail(const std::string& message) const
{
    throw ParserError(message, lineNumber_);
}

}  // namespace dfm
