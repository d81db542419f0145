// Reads form text through FormParser and hands what it finds to a sink, as events in the order of
// the binary form: the one reader of form text, whatever is built from it.
#pragma once

#include "AsciiText.h"
#include "Errors.h"
#include "FormParser.h"
#include "NestingGuard.h"
#include "ValueTag.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace dfm {

// A decimal integer beyond 32 bits is stored as an extended float, so that large integral
// floats, which print without "." or "E", read back. "$" numbers keep their own rule.
inline bool isDecimalBeyondInt32(std::string_view text)
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

// The sink's calls are bound at compile time, so a sink that writes the binary form costs nothing
// more than writing it directly. It provides:
//   beginObject(flags, position, className, objectName), endProperties(), endObject();
//   propertyName(name); the values integerValue, extendedValue, singleValue, currencyValue,
//   dateValue, stringValue, wideStringValue, identValue, binaryValue(fill), listStart/listEnd,
//   collectionStart, itemStart(order or -1), itemEnd, collectionEnd, setStart, setElement(name),
//   setEnd;
//   and the marks of where things stand in the text, called while the parser stands on the token:
//   markObjectStart (its keyword), markObjectEnd (its "end"), markPropertyStart (the name),
//   markValueEnd (a value's last token; for a simple property the parser stands past the value).
template <typename Sink>
class FormTextReader {
public:
    FormTextReader(FormParser& parser, Sink& sink) : parser_(parser), sink_(sink) {}

    void readObject();

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [this](const std::string& message) { parser_.fail(message); });
    }
    bool atObjectKeyword() const
    {
        return parser_.tokenIsSymbol("OBJECT") || parser_.tokenIsSymbol("INHERITED") || parser_.tokenIsSymbol("INLINE");
    }
    std::int32_t takeOrderModifier();
    void readProperty();
    void readValue();
    void readString();
    void appendNarrowPart(std::u16string& wide) const;
    void readInteger();
    void readFloat();
    void readList();
    void readCollection();
    void readSet();

    FormParser& parser_;
    Sink& sink_;
    int depth_ = 0;
    std::string narrow_;
    std::u16string wide_;
};

// "[" integer "]" when present, else -1.
template <typename Sink>
std::int32_t FormTextReader<Sink>::takeOrderModifier()
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

template <typename Sink>
void FormTextReader<Sink>::readObject()
{
    const NestingGuard nesting = nest();
    unsigned flags = 0;
    if (parser_.tokenIsSymbol("INHERITED"))
        flags = ObjectFlag::Inherited;
    else if (parser_.tokenIsSymbol("INLINE"))
        flags = ObjectFlag::Inline;
    else
        parser_.expectSymbol("OBJECT");
    sink_.markObjectStart(parser_);
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
    sink_.beginObject(flags, position, className, objectName);

    while (!atObjectKeyword() && !parser_.tokenIsSymbol("END"))
        readProperty();
    sink_.endProperties();
    while (!parser_.tokenIsSymbol("END"))
        readObject();
    sink_.markObjectEnd(parser_);
    sink_.endObject();
    parser_.advance();
}

template <typename Sink>
void FormTextReader<Sink>::readProperty()
{
    sink_.markPropertyStart(parser_);
    FormParser::SimpleProperty simple;
    if (parser_.takeSimpleProperty(simple)) {
        sink_.propertyName(simple.name);
        if (simple.kind == IntegerToken)
            sink_.integerValue(simple.integer);
        else if (simple.kind == Symbol)
            sink_.identValue(simple.text);
        else
            sink_.stringValue(simple.text);
        sink_.markValueEnd(parser_);
        parser_.advance();
        return;
    }
    sink_.propertyName(parser_.takePropertyName());
    parser_.expectToken('=');
    parser_.advance();
    readValue();
}

template <typename Sink>
void FormTextReader<Sink>::readValue()
{
    switch (parser_.token()) {
    case Symbol:
    case '.':
        sink_.identValue(parser_.takeDottedIdent());
        break;
    case StringToken:
    case WideStringToken:
        readString();
        return;  // already past the last part
    case IntegerToken:
        readInteger();
        break;
    case FloatToken:
        readFloat();
        break;
    case '(':
        readList();
        break;
    case '<':
        readCollection();
        break;
    case '[':
        readSet();
        break;
    case '{':
        sink_.binaryValue([this](ByteStream& data) { parser_.readHexBlock(data); });
        break;
    default:
        parser_.fail(msg::BadPropertyValue);
    }
    sink_.markValueEnd(parser_);
    parser_.advance();
}

// A narrow part as characters of a wide string: as the parser's page reads them, else the code
// units of the bytes' values.
template <typename Sink>
void FormTextReader<Sink>::appendNarrowPart(std::u16string& wide) const
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
template <typename Sink>
void FormTextReader<Sink>::readString()
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
        sink_.markValueEnd(parser_);
        if (parser_.advance() != '+')
            break;
        parser_.advance();
        if (parser_.token() != StringToken && parser_.token() != WideStringToken)
            parser_.fail(msg::StringExpected);
    }
    if (wide)
        sink_.wideStringValue(wide_);
    else
        sink_.stringValue(narrow_);
}

template <typename Sink>
void FormTextReader<Sink>::readInteger()
{
    if (isDecimalBeyondInt32(parser_.tokenText()))
        sink_.extendedValue(parser_.tokenAsFloat());
    else
        sink_.integerValue(parser_.tokenAsInteger());
}

// A value beyond the range of its kind is refused: stored as infinity it would not read back.
template <typename Sink>
void FormTextReader<Sink>::readFloat()
{
    const Extended80 value = parser_.tokenAsFloat();
    const auto refuse = [this] { throw ConvertError(msg::notAFloat(parser_.tokenText())); };
    switch (parser_.floatSuffix()) {
    case 's':
    case 'S': {
        const float single = value.toSingle();
        if (std::isinf(single))
            refuse();
        sink_.singleValue(single);
        break;
    }
    case 'c':
    case 'C': {
        const auto scaled = value.toInt64();
        if (!scaled)
            refuse();
        sink_.currencyValue(*scaled);
        break;
    }
    case 'd':
    case 'D': {
        const double date = value.toDouble();
        if (std::isinf(date))
            refuse();
        sink_.dateValue(date);
        break;
    }
    default:
        sink_.extendedValue(value);
    }
}

template <typename Sink>
void FormTextReader<Sink>::readList()
{
    const NestingGuard nesting = nest();
    parser_.advance();
    sink_.listStart();
    while (parser_.token() != ')')
        readValue();
    sink_.listEnd();
}

template <typename Sink>
void FormTextReader<Sink>::readCollection()
{
    const NestingGuard nesting = nest();
    parser_.advance();
    sink_.collectionStart();
    while (parser_.token() != '>') {
        parser_.expectSymbol("item");
        parser_.advance();
        sink_.itemStart(takeOrderModifier());
        while (!parser_.tokenIsSymbol("end"))
            readProperty();
        sink_.itemEnd();
        parser_.advance();
    }
    sink_.collectionEnd();
}

template <typename Sink>
void FormTextReader<Sink>::readSet()
{
    parser_.advance();
    sink_.setStart();
    if (parser_.token() != ']') {
        for (;;) {
            parser_.expectToken(Symbol);
            sink_.setElement(parser_.tokenText());
            if (parser_.advance() == ']')
                break;
            parser_.expectToken(',');
            parser_.advance();
        }
    }
    sink_.setEnd();
}

}  // namespace dfm
