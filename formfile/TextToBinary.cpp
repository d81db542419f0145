#include "TextToBinary.h"

#include "AsciiText.h"
#include "Errors.h"
#include "NestingGuard.h"
#include "ResourceHeader.h"
#include "MemoryStream.h"
#include "FormParser.h"
#include "FormWriter.h"

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

// A decimal integer beyond 32 bits is stored as an extended float, so that large integral
// floats, which print without "." or "E", read back. "$" numbers keep their own rule.
bool isDecimalBeyondInt32(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty())
        return false;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (!ascii::isDigit(static_cast<unsigned char>(c)))
            return false;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 40);
    }
    if (negative)
        value = -value;
    return value < INT32_MIN || value > INT32_MAX;
}

class BinaryConverter {
public:
    BinaryConverter(FormParser& parser, FormWriter& writer) : parser_(parser), writer_(writer) {}

    void convertObject();

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [this](const std::string& message) { parser_.fail(message); });
    }
    bool atObjectKeyword() const;
    std::int32_t takeOrderModifier();
    void convertProperty();
    void convertValue();
    void convertString();
    void appendNarrowPart(std::u16string& wide) const;
    void convertInteger();
    void convertFloat();
    void convertList();
    void convertCollection();
    void convertSet();

    FormParser& parser_;
    FormWriter& writer_;
    int depth_ = 0;
    std::string narrow_;
    std::u16string wide_;
};

bool BinaryConverter::atObjectKeyword() const
{
    return parser_.tokenIsSymbol("OBJECT") || parser_.tokenIsSymbol("INHERITED") || parser_.tokenIsSymbol("INLINE");
}

// "[" integer "]" when present, else -1.
std::int32_t BinaryConverter::takeOrderModifier()
{
    if (parser_.token() != '[')
        return -1;
    parser_.advance();
    parser_.expectToken(IntegerToken);
    const std::int32_t value = parser_.tokenAsInteger();
    parser_.advance();
    parser_.expectToken(']');
    parser_.advance();
    return value;
}

void BinaryConverter::convertObject()
{
    const NestingGuard nesting = nest();
    unsigned flags = 0;
    if (parser_.tokenIsSymbol("INHERITED"))
        flags = ObjectFlag::Inherited;
    else if (parser_.tokenIsSymbol("INLINE"))
        flags = ObjectFlag::Inline;
    else
        parser_.expectSymbol("OBJECT");
    parser_.advance();

    parser_.expectToken(Symbol);
    std::string objectName;
    std::string className(parser_.tokenText());
    int classLine = parser_.lineNumber();
    if (parser_.advance() == ':') {
        parser_.advance();
        parser_.expectToken(Symbol);
        objectName = std::move(className);
        className = parser_.tokenText();
        classLine = parser_.lineNumber();
        parser_.advance();
    }
    // A longer name's length byte would read back as an object prefix.
    if (className.size() > MaxClassNameLength)
        throw ParserError(msg::ClassNameTooLong, classLine);
    const std::int32_t position = takeOrderModifier();
    if (position >= 0)
        flags |= ObjectFlag::HasPosition;
    writer_.putObjectPrefix(flags, position);
    writer_.putName(className);
    writer_.putName(objectName);

    while (!atObjectKeyword() && !parser_.tokenIsSymbol("END"))
        convertProperty();
    writer_.putListEnd();
    while (!parser_.tokenIsSymbol("END"))
        convertObject();
    writer_.putListEnd();
    parser_.advance();
}

void BinaryConverter::convertProperty()
{
    FormParser::SimpleProperty simple;
    if (parser_.takeSimpleProperty(simple)) {
        writer_.putName(simple.name);
        if (simple.kind == IntegerToken)
            writer_.putIntegerValue(simple.integer);
        else if (simple.kind == Symbol)
            writer_.putIdentValue(simple.text);
        else
            writer_.putStringValue(simple.text);
        parser_.advance();
        return;
    }
    writer_.putName(parser_.takePropertyName());
    parser_.expectToken('=');
    parser_.advance();
    convertValue();
}

void BinaryConverter::convertValue()
{
    switch (parser_.token()) {
    case Symbol:
    case '.':
        writer_.putIdentValue(parser_.takeDottedIdent());
        break;
    case StringToken:
    case WideStringToken:
        convertString();
        return;  // already past the last part
    case IntegerToken:
        convertInteger();
        break;
    case FloatToken:
        convertFloat();
        break;
    case '(':
        convertList();
        break;
    case '<':
        convertCollection();
        break;
    case '[':
        convertSet();
        break;
    case '{':
        writer_.putBinaryValue([this](ByteStream& data) { parser_.readHexBlock(data); });
        break;
    default:
        parser_.fail(msg::BadPropertyValue);
    }
    parser_.advance();
}

// A narrow part as characters of a wide string: as the parser's page reads them, else the code
// units of the bytes' values.
void BinaryConverter::appendNarrowPart(std::u16string& wide) const
{
    if (parser_.wideBytesPage() != nullptr) {
        wide += parser_.tokenWideText();
        return;
    }
    for (const char c : parser_.tokenText())
        wide.push_back(static_cast<unsigned char>(c));
}

// Parts joined by "+"; the result is wide as soon as one part is (a narrow part's bytes become
// the characters of the parser's page for them, else the code units of the same value), so that
// long wide strings split over lines read back.
void BinaryConverter::convertString()
{
    bool wide = false;
    narrow_.clear();
    wide_.clear();
    for (;;) {
        if (parser_.token() == WideStringToken && !wide) {
            wide = true;
            if (parser_.wideBytesPage() == nullptr) {
                for (const char c : narrow_)
                    wide_.push_back(static_cast<unsigned char>(c));
            }
        }
        if (parser_.token() == WideStringToken) {
            wide_ += parser_.tokenWideText();
        } else if (wide) {
            appendNarrowPart(wide_);
        } else {
            narrow_ += parser_.tokenText();
            if (parser_.wideBytesPage() != nullptr)
                appendNarrowPart(wide_);
        }
        if (parser_.advance() != '+')
            break;
        parser_.advance();
        if (parser_.token() != StringToken && parser_.token() != WideStringToken)
            parser_.fail(msg::StringExpected);
    }
    if (wide)
        writer_.putWideStringValue(wide_);
    else
        writer_.putStringValue(narrow_);
}

// A decimal integer beyond 32 bits is stored as an extended float, so that large integral
// floats written without "." or "E" read back.
void BinaryConverter::convertInteger()
{
    if (isDecimalBeyondInt32(parser_.tokenText()))
        writer_.putExtendedValue(parser_.tokenAsFloat());
    else
        writer_.putIntegerValue(parser_.tokenAsInteger());
}

// A value beyond the range of its kind is refused: stored as infinity it would not read back.
void BinaryConverter::convertFloat()
{
    const Extended80 value = parser_.tokenAsFloat();
    const auto refuse = [this] { throw ConvertError(msg::notAFloat(parser_.tokenText())); };
    switch (parser_.floatSuffix()) {
    case 's':
    case 'S': {
        const float single = value.toSingle();
        if (std::isinf(single))
            refuse();
        writer_.putSingleValue(single);
        break;
    }
    case 'c':
    case 'C': {
        const auto scaled = value.toInt64();
        if (!scaled)
            refuse();
        writer_.putCurrencyValue(*scaled);
        break;
    }
    case 'd':
    case 'D': {
        const double date = value.toDouble();
        if (std::isinf(date))
            refuse();
        writer_.putDateValue(date);
        break;
    }
    default:
        writer_.putExtendedValue(value);
    }
}

void BinaryConverter::convertList()
{
    const NestingGuard nesting = nest();
    parser_.advance();
    writer_.putListStart();
    while (parser_.token() != ')')
        convertValue();
    writer_.putListEnd();
}

void BinaryConverter::convertCollection()
{
    const NestingGuard nesting = nest();
    parser_.advance();
    writer_.putTag(Collection);
    while (parser_.token() != '>') {
        parser_.expectSymbol("item");
        parser_.advance();
        const std::int32_t index = takeOrderModifier();
        if (index != -1)
            writer_.putIntegerValue(index);
        writer_.putListStart();
        while (!parser_.tokenIsSymbol("end"))
            convertProperty();
        writer_.putListEnd();
        parser_.advance();
    }
    writer_.putListEnd();
}

void BinaryConverter::convertSet()
{
    parser_.advance();
    writer_.putTag(Set);
    if (parser_.token() != ']') {
        for (;;) {
            parser_.expectToken(Symbol);
            writer_.putName(parser_.tokenText());
            if (parser_.advance() == ']')
                break;
            parser_.expectToken(',');
            parser_.advance();
        }
    }
    writer_.putName("");
}

}  // namespace

void textToBinary(ByteStream& input, ByteStream& output, TextEncoding encoding, const CodePage* codePage)
{
    FormParser parser(input, encoding, codePage);
    FormWriter writer(output);
    writer.putSignature();
    BinaryConverter(parser, writer).convertObject();
    writer.flush();
    output.flush();
}

namespace {

// The resource header for a form stream of size bytes whose first bytes (at most
// RootNameReach of them) are start.
constexpr std::size_t RootNameReach = 4 + 6 + 1 + 255;

std::string headerForStream(const unsigned char* start, std::size_t available, std::size_t size)
{
    // The root's class name, behind "TPF0" and the optional prefix with its position.
    std::size_t p = 4;
    if (p < available && start[p] >= ObjectPrefixTag) {
        if (start[p] & ObjectFlag::HasPosition) {
            ++p;
            p += p < available && start[p] == Int8 ? 1 : p < available && start[p] == Int16 ? 2 : 4;
        }
        ++p;
    }
    const std::size_t nameLength = p < available ? start[p] : 0;
    if (nameLength > MaxRootClassNameLength)
        throw WriteError("The class name of the root object is longer than "
                         + std::to_string(MaxRootClassNameLength) + " characters");
    const std::size_t shown = std::min(nameLength, available - std::min(available, p + 1));
    return makeResourceHeader(std::string_view(reinterpret_cast<const char*>(start + p + 1), shown),
                              static_cast<std::uint32_t>(size));
}

}  // namespace

namespace {

// Hands a form stream on to a rewritable output behind its resource header. The header goes out
// as soon as the root's class name has come by, its size field filled in by finish().
class HeaderFirstStream : public ByteStream {
public:
    explicit HeaderFirstStream(ByteStream& output) : output_(output) {}

    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (sizeField_ < 0) {
            held_.append(static_cast<const char*>(buffer), count);
            if (held_.size() >= RootNameReach)
                putHeld();
        } else {
            output_.writeBuffer(buffer, count);
        }
        size_ += count;
        return count;
    }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return static_cast<std::int64_t>(size_); }
    void flush() override {}

    void finish()
    {
        if (sizeField_ < 0) {
            putHeld();
        } else {
            unsigned char size[4];
            for (int i = 0; i < 4; ++i)
                size[i] = static_cast<unsigned char>(size_ >> (8 * i));
            const std::int64_t end = output_.position();
            output_.setPosition(sizeField_);
            output_.writeBuffer(size, sizeof size);
            output_.setPosition(end);
        }
        output_.flush();
    }

private:
    void putHeld()
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(held_.data());
        const std::string header = headerForStream(bytes, held_.size(), held_.size());
        sizeField_ = output_.position() + static_cast<std::int64_t>(header.size()) - 4;
        output_.writeBuffer(header.data(), header.size());
        output_.writeBuffer(held_.data(), held_.size());
        held_ = {};
    }

    ByteStream& output_;
    std::string held_;
    std::int64_t sizeField_ = -1;  // where the header's size field lies, once written
    std::uint64_t size_ = 0;
};

}  // namespace

void textToResource(ByteStream& input, ByteStream& output, TextEncoding encoding, const CodePage* codePage)
{
    // A file or memory at its end takes the form stream straight behind its header, and is cut
    // back to where it was if the conversion fails.
    if (output.isRewritable()) {
        const std::int64_t start = output.position();
        if (output.size() == start) {
            try {
                HeaderFirstStream stream(output);
                textToBinary(input, stream, encoding, codePage);
                stream.finish();
            } catch (...) {
                try {
                    output.truncate(start);
                    output.setPosition(start);
                } catch (const FormError&) {
                    // The conversion's own failure is the one to report.
                }
                throw;
            }
            return;
        }
    }
    // Anything else (a pipe) gets the whole file in one piece once the form has converted.
    MemoryStream memory;
    // The binary form is smaller than its text: one allocation, and no copying as it grows.
    const std::int64_t textSize = input.size() - input.position();
    memory.reserve(static_cast<std::size_t>(std::max<std::int64_t>(textSize, 0)));
    textToBinary(input, memory, encoding, codePage);
    const std::string header = headerForStream(memory.memory(), memory.byteCount(), memory.byteCount());
    output.writeBuffer(header.data(), header.size());
    output.writeBuffer(memory.memory(), memory.byteCount());
    output.flush();
}

void textToResource(ByteStream& input, ByteStream& output, ByteStream& formStream, TextEncoding encoding,
                    const CodePage* codePage)
{
    const std::int64_t start = formStream.position();
    textToBinary(input, formStream, encoding, codePage);
    const auto size = static_cast<std::size_t>(formStream.position() - start);
    unsigned char first[RootNameReach];
    formStream.setPosition(start);
    const std::size_t available = std::min(size, sizeof first);
    formStream.readBuffer(first, available);
    const std::string header = headerForStream(first, available, size);
    output.writeBuffer(header.data(), header.size());
    formStream.setPosition(start);
    output.copyFrom(formStream);
    output.flush();
}

}  // namespace dfm
