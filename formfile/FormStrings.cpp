#include "FormStrings.h"

#include "Errors.h"
#include "FormReader.h"
#include "NestingGuard.h"
#include "Utf8.h"

#include <algorithm>

namespace dfm {

namespace {

bool isCharsetName(std::string_view name)
{
    constexpr std::string_view Charset = "Charset";
    return name.size() >= Charset.size() && name.substr(name.size() - Charset.size()) == Charset
        && (name.size() == Charset.size() || name[name.size() - Charset.size() - 1] == '.');
}

// Thrown through the walk when the sink wants nothing more.
struct WalkSatisfied {};

// Walks the objects, properties and values of a binary form, taking only what the sink wants.
class BinaryStringWalker {
public:
    BinaryStringWalker(FormReader& reader, FormStringSink& sink) : reader_(reader), sink_(sink) {}

    void walkObject()
    {
        if (sink_.satisfied())
            throw WalkSatisfied{};
        const NestingGuard nesting = nest();
        reader_.takeObjectPrefix();
        reader_.takeName(scratch_);
        reader_.takeName(scratch_);
        while (!reader_.atListEnd())
            walkProperty();
        reader_.expectTag(EndOfList);
        while (!reader_.atListEnd())
            walkObject();
        reader_.expectTag(EndOfList);
    }

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [](const std::string& message) { throw ReadError(message); });
    }

    // The most frequent property, a name with a small value (integer, identifier, boolean,
    // short string), read from the buffer in one step; anything else, a character set, and a
    // property near the end of the input are left to the general path: false.
    bool walkSmallProperty()
    {
        constexpr std::size_t MostRead = 1 + 255 + 1 + 1 + 255;
        if (reader_.ensureAvailable(MostRead) < MostRead)
            return false;
        const unsigned char* const in = reader_.cursor();
        const std::size_t nameLength = in[0];
        const unsigned char* const value = in + 1 + nameLength;
        if (isCharsetName({reinterpret_cast<const char*>(in + 1), nameLength}))
            return false;
        std::size_t valueLength;
        switch (value[0]) {
        case Int8:
            valueLength = 2;
            break;
        case Int16:
            valueLength = 3;
            break;
        case Int32:
            valueLength = 5;
            break;
        case False:
        case True:
        case Nil:
            valueLength = 1;
            break;
        case Identifier:
            valueLength = 2 + std::size_t{value[1]};
            break;
        case ShortString:
            valueLength = 2 + std::size_t{value[1]};
            sink_.narrowString({reinterpret_cast<const char*>(value + 2), value[1]});
            break;
        default:
            return false;
        }
        reader_.skip(1 + nameLength + valueLength);
        return true;
    }

    void walkProperty()
    {
        if (walkSmallProperty())
            return;
        const bool charset = isCharsetName(reader_.takeNameView(name_));
        const std::uint8_t tag = reader_.peekTag();
        if (charset && tag == Identifier) {
            reader_.takeTag();
            sink_.charset(reader_.takeNameView(name_));
        } else if (charset && (tag == Int8 || tag == Int16 || tag == Int32)) {
            sink_.charset(std::to_string(reader_.takeIntegerValue()));
        } else if (!walkValue()) {
            throw ReadError(msg::BadPropertyValue);
        }
    }

    bool walkValue()
    {
        switch (reader_.peekTag()) {
        case Int8:
        case Int16:
        case Int32:
            reader_.takeIntegerValue();
            break;
        case Int64:
            reader_.takeInt64Value();
            break;
        case Extended:
            reader_.takeExtendedValue();
            break;
        case Double:
            reader_.takeDoubleValue();
            break;
        case Single:
            reader_.takeSingleValue();
            break;
        case Currency:
            reader_.takeCurrencyValue();
            break;
        case Date:
            reader_.takeDateValue();
            break;
        case ShortString:
        case LongString:
            sink_.narrowString(reader_.takeStringView(scratch_));
            break;
        case WideString:
            sink_.wideString(reader_.takeWideStringValue());
            break;
        case Utf8String:
            reader_.takeUtf8StringValue(scratch_);
            if (decodeUtf8(scratch_, wide_))
                sink_.wideString(wide_);
            else
                sink_.narrowString(scratch_);
            break;
        case Identifier:
            reader_.takeTag();
            reader_.takeNameView(name_);
            break;
        case False:
        case True:
        case Nil:
            reader_.takeTag();
            break;
        case List:
            walkList();
            break;
        case Set:
            reader_.takeTag();
            while (!reader_.takeNameView(name_).empty()) {
            }
            break;
        case Collection:
            walkCollection();
            break;
        case Binary:
            skipBinary();
            break;
        default:
            return false;
        }
        return true;
    }

    void walkList()
    {
        const NestingGuard nesting = nest();
        reader_.takeTag();
        while (!reader_.atListEnd()) {
            if (!walkValue())
                throw ReadError(msg::BadPropertyValue);
        }
        reader_.expectTag(EndOfList);
    }

    void walkCollection()
    {
        const NestingGuard nesting = nest();
        reader_.takeTag();
        while (!reader_.atListEnd()) {
            const std::uint8_t tag = reader_.peekTag();
            if (tag == Int8 || tag == Int16 || tag == Int32)
                reader_.takeIntegerValue();
            reader_.expectTag(List);
            while (!reader_.atListEnd())
                walkProperty();
            reader_.expectTag(EndOfList);
        }
        reader_.expectTag(EndOfList);
    }

    // A picture's bytes say nothing of the strings: passed over without being read.
    void skipBinary()
    {
        reader_.takeTag();
        reader_.passOver(reader_.takeUInt32());
    }

    FormReader& reader_;
    FormStringSink& sink_;
    std::string name_;
    std::string scratch_;
    std::u16string wide_;
    int depth_ = 0;
};

// A stream that takes the bytes of a hexadecimal block and keeps none.
class DiscardStream : public ByteStream {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void*, std::size_t count) override { return count; }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return 0; }
};

}  // namespace

void readBinaryFormStrings(ByteStream& input, FormStringSink& sink)
{
    FormReader reader(input);
    reader.takeSignature();
    try {
        BinaryStringWalker(reader, sink).walkObject();
    } catch (const WalkSatisfied&) {
        // What was read tells all that was wanted.
    }
}

void readTextFormStrings(ByteStream& input, TextEncoding encoding, const CodePage& page,
                         const std::function<void(std::u16string_view)>& string)
{
    FormParser parser(input, encoding, &page);
    DiscardStream discard;
    std::u16string text;
    const auto appendPart = [&] {
        if (parser.token() == WideStringToken || parser.wideBytesPage() != nullptr)
            text += parser.tokenWideText();
        else
            text += page.decode(parser.tokenText());
    };
    FormParser::SimpleProperty simple;
    while (parser.token() != EndOfText) {
        // The most frequent line in one step; its string is printable ASCII, alike in every page.
        if (parser.takeSimpleProperty(simple)) {
            if (simple.kind == StringToken) {
                text.assign(simple.text.begin(), simple.text.end());
                string(text);
            }
            parser.advance();
            continue;
        }
        if (parser.token() == '{') {
            parser.readHexBlock(discard);
            parser.advance();
            continue;
        }
        if (parser.token() != StringToken && parser.token() != WideStringToken) {
            parser.advance();
            continue;
        }
        text.clear();
        appendPart();
        while (parser.advance() == '+') {
            if (parser.advance() != StringToken && parser.token() != WideStringToken)
                break;
            appendPart();
        }
        string(text);
    }
}

}  // namespace dfm
