#include "TextToBinary.h"

#include "AsciiText.h"
#include "Errors.h"
#include "NestingGuard.h"
#include "ResourceHeader.h"
#include "TMemoryStream.h"
#include "TParser.h"
#include "TWriter.h"

#include <algorithm>
#include <cmath>

namespace dfm {

namespace {

// A decimal integer beyond 32 bits is stored as an extended float, so that large integral
// floats, which print without "." or "E", read back. "$" numbers keep their own rule.
bool IsDecimalBeyondInt32(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty())
        return false;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (!ascii::IsDigit(static_cast<unsigned char>(c)))
            return false;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 40);
    }
    if (negative)
        value = -value;
    return value < INT32_MIN || value > INT32_MAX;
}

class BinaryConverter {
public:
    BinaryConverter(TParser& parser, TWriter& writer) : parser_(parser), writer_(writer) {}

    void ConvertObject();

private:
    NestingGuard Nest()
    {
        return NestingGuard(depth_, [this](const std::string& message) { parser_.Fail(message); });
    }
    bool AtObjectKeyword() const;
    std::int32_t TakeOrderModifier();
    void ConvertProperty();
    void ConvertValue();
    void ConvertString();
    void ConvertInteger();
    void ConvertFloat();
    void ConvertList();
    void ConvertCollection();
    void ConvertSet();

    TParser& parser_;
    TWriter& writer_;
    int depth_ = 0;
    std::string narrow_;
    std::u16string wide_;
};

bool BinaryConverter::AtObjectKeyword() const
{
    return parser_.TokenIsSymbol("OBJECT") || parser_.TokenIsSymbol("INHERITED") || parser_.TokenIsSymbol("INLINE");
}

// "[" integer "]" when present, else -1.
std::int32_t BinaryConverter::TakeOrderModifier()
{
    if (parser_.Token() != '[')
        return -1;
    parser_.Advance();
    parser_.ExpectToken(IntegerToken);
    const std::int32_t value = parser_.TokenAsInteger();
    parser_.Advance();
    parser_.ExpectToken(']');
    parser_.Advance();
    return value;
}

void BinaryConverter::ConvertObject()
{
    const NestingGuard nesting = Nest();
    unsigned flags = 0;
    if (parser_.TokenIsSymbol("INHERITED"))
        flags = ObjectFlag::Inherited;
    else if (parser_.TokenIsSymbol("INLINE"))
        flags = ObjectFlag::Inline;
    else
        parser_.ExpectSymbol("OBJECT");
    parser_.Advance();

    parser_.ExpectToken(Symbol);
    std::string objectName;
    std::string className(parser_.TokenText());
    if (parser_.Advance() == ':') {
        parser_.Advance();
        parser_.ExpectToken(Symbol);
        objectName = std::move(className);
        className = parser_.TokenText();
        parser_.Advance();
    }
    const std::int32_t position = TakeOrderModifier();
    if (position >= 0)
        flags |= ObjectFlag::HasPosition;
    writer_.PutObjectPrefix(flags, position);
    writer_.PutName(className);
    writer_.PutName(objectName);

    while (!AtObjectKeyword() && !parser_.TokenIsSymbol("END"))
        ConvertProperty();
    writer_.PutListEnd();
    while (!parser_.TokenIsSymbol("END"))
        ConvertObject();
    writer_.PutListEnd();
    parser_.Advance();
}

void BinaryConverter::ConvertProperty()
{
    parser_.ExpectToken(Symbol);
    std::string name(parser_.TokenText());
    parser_.Advance();
    while (parser_.Token() == '.') {
        parser_.Advance();
        parser_.ExpectToken(Symbol);
        name += '.';
        name += parser_.TokenText();
        parser_.Advance();
    }
    writer_.PutName(name);
    parser_.ExpectToken('=');
    parser_.Advance();
    ConvertValue();
}

void BinaryConverter::ConvertValue()
{
    switch (parser_.Token()) {
    case Symbol:
        writer_.PutIdentValue(parser_.TakeDottedIdent());
        break;
    case StringToken:
    case WideStringToken:
        ConvertString();
        return;  // already past the last part
    case IntegerToken:
        ConvertInteger();
        break;
    case FloatToken:
        ConvertFloat();
        break;
    case '(':
        ConvertList();
        break;
    case '<':
        ConvertCollection();
        break;
    case '[':
        ConvertSet();
        break;
    case '{':
        writer_.PutBinaryValue([this](TStream& data) { parser_.ReadHexBlock(data); });
        break;
    default:
        parser_.Fail(msg::BadPropertyValue);
    }
    parser_.Advance();
}

// Parts joined by "+"; the result is wide as soon as one part is (a narrow part's bytes
// become the code units of the same value), so that long wide strings split over lines read back.
void BinaryConverter::ConvertString()
{
    bool wide = false;
    narrow_.clear();
    wide_.clear();
    for (;;) {
        if (parser_.Token() == WideStringToken && !wide) {
            wide = true;
            wide_.assign(narrow_.begin(), narrow_.end());
            for (auto& unit : wide_)
                unit = static_cast<char16_t>(static_cast<unsigned char>(unit));
        }
        if (parser_.Token() == WideStringToken) {
            wide_ += parser_.TokenWideText();
        } else if (wide) {
            for (const char c : parser_.TokenText())
                wide_.push_back(static_cast<unsigned char>(c));
        } else {
            narrow_ += parser_.TokenText();
        }
        if (parser_.Advance() != '+')
            break;
        parser_.Advance();
        if (parser_.Token() != StringToken && parser_.Token() != WideStringToken)
            parser_.Fail(msg::StringExpected);
    }
    if (wide)
        writer_.PutWideStringValue(wide_);
    else
        writer_.PutStringValue(narrow_);
}

// A decimal integer beyond 32 bits is stored as an extended float, so that large integral
// floats written without "." or "E" read back.
void BinaryConverter::ConvertInteger()
{
    if (IsDecimalBeyondInt32(parser_.TokenText()))
        writer_.PutExtendedValue(parser_.TokenAsFloat());
    else
        writer_.PutIntegerValue(parser_.TokenAsInteger());
}

// A value beyond the range of its kind is refused: stored as infinity it would not read back.
void BinaryConverter::ConvertFloat()
{
    const Extended80 value = parser_.TokenAsFloat();
    const auto refuse = [this] { throw EConvertError(msg::NotAFloat(parser_.TokenText())); };
    switch (parser_.FloatSuffix()) {
    case 's':
    case 'S': {
        const float single = value.ToSingle();
        if (std::isinf(single))
            refuse();
        writer_.PutSingleValue(single);
        break;
    }
    case 'c':
    case 'C': {
        const auto scaled = value.ToInt64();
        if (!scaled)
            refuse();
        writer_.PutCurrencyValue(*scaled);
        break;
    }
    case 'd':
    case 'D': {
        const double date = value.ToDouble();
        if (std::isinf(date))
            refuse();
        writer_.PutDateValue(date);
        break;
    }
    default:
        writer_.PutExtendedValue(value);
    }
}

void BinaryConverter::ConvertList()
{
    const NestingGuard nesting = Nest();
    parser_.Advance();
    writer_.PutListStart();
    while (parser_.Token() != ')')
        ConvertValue();
    writer_.PutListEnd();
}

void BinaryConverter::ConvertCollection()
{
    const NestingGuard nesting = Nest();
    parser_.Advance();
    writer_.PutTag(Collection);
    while (parser_.Token() != '>') {
        parser_.ExpectSymbol("item");
        parser_.Advance();
        const std::int32_t index = TakeOrderModifier();
        if (index != -1)
            writer_.PutIntegerValue(index);
        writer_.PutListStart();
        while (!parser_.TokenIsSymbol("end"))
            ConvertProperty();
        writer_.PutListEnd();
        parser_.Advance();
    }
    writer_.PutListEnd();
}

void BinaryConverter::ConvertSet()
{
    parser_.Advance();
    writer_.PutTag(Set);
    if (parser_.Token() != ']') {
        for (;;) {
            parser_.ExpectToken(Symbol);
            writer_.PutName(parser_.TokenText());
            if (parser_.Advance() == ']')
                break;
            parser_.ExpectToken(',');
            parser_.Advance();
        }
    }
    writer_.PutName("");
}

}  // namespace

void TextToBinary(TStream& input, TStream& output)
{
    TParser parser(input);
    TWriter writer(output);
    writer.PutSignature();
    BinaryConverter(parser, writer).ConvertObject();
    writer.Flush();
    output.Flush();
}

void TextToResource(TStream& input, TStream& output)
{
    TMemoryStream memory;
    // The binary form is smaller than its text: one allocation, and no copying as it grows.
    const std::int64_t textSize = input.Size() - input.Position();
    memory.Reserve(static_cast<std::size_t>(std::max<std::int64_t>(textSize, 0)));
    TextToBinary(input, memory);

    // The root's class name, behind "TPF0" and the optional prefix with its position.
    const unsigned char* stream = memory.Memory();
    const std::size_t size = memory.ByteCount();
    std::size_t p = 4;
    if (stream[p] >= 0xF0) {
        if (stream[p] & ObjectFlag::HasPosition) {
            ++p;
            p += stream[p] == Int8 ? 1 : stream[p] == Int16 ? 2 : 4;
        }
        ++p;
    }
    const std::size_t nameLength = stream[p];
    if (nameLength > MaxRootClassNameLength)
        throw EWriteError("The class name of the root object is longer than "
                          + std::to_string(MaxRootClassNameLength) + " characters");
    const std::string header = MakeResourceHeader(
        std::string_view(reinterpret_cast<const char*>(stream + p + 1), nameLength), static_cast<std::uint32_t>(size));
    output.WriteBuffer(header.data(), header.size());
    output.WriteBuffer(stream, size);
    output.Flush();
}

}  // namespace dfm
