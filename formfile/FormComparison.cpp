#include "FormComparison.h"

#include "Errors.h"
#include "Extended80.h"
#include "FormReader.h"
#include "NestingGuard.h"
#include "Utf8.h"

#include <cmath>
#include <variant>

namespace dfm {

namespace {

// A scalar value with its kind: integers (and currency) as integers, floats exactly, strings as
// code units (a narrow string's bytes are the units its text reads back as), names as text.
struct Scalar {
    std::uint8_t tag = 0;
    std::variant<std::int64_t, Extended80, std::u16string, std::string> value;
};

bool isFloat(std::uint8_t tag)
{
    return tag == Extended || tag == Double || tag == Single || tag == Date;
}

bool isInteger(std::uint8_t tag)
{
    return tag == Int8 || tag == Int16 || tag == Int32 || tag == Int64;
}

bool isName(std::uint8_t tag)
{
    return tag == Identifier || tag == False || tag == True || tag == Nil;
}

std::u16string unitsOf(std::string_view bytes)
{
    std::u16string units;
    units.reserve(bytes.size());
    for (const char c : bytes)
        units.push_back(static_cast<unsigned char>(c));
    return units;
}

Scalar takeScalar(FormReader& reader)
{
    Scalar scalar;
    scalar.tag = reader.peekTag();
    switch (scalar.tag) {
    case Int8:
    case Int16:
    case Int32:
        scalar.value = std::int64_t{reader.takeIntegerValue()};
        break;
    case Int64:
        scalar.value = reader.takeInt64Value();
        break;
    case Currency:
        scalar.value = reader.takeCurrencyValue();
        break;
    case Extended:
        scalar.value = reader.takeExtendedValue();
        break;
    case Double:
        scalar.value = Extended80::fromDouble(reader.takeDoubleValue());
        break;
    case Date:
        scalar.value = Extended80::fromDouble(reader.takeDateValue());
        break;
    case Single:
        scalar.value = Extended80::fromDouble(reader.takeSingleValue());
        break;
    case ShortString:
    case LongString: {
        scalar.value = unitsOf(reader.takeStringValue());
        break;
    }
    case WideString:
        scalar.value = reader.takeWideStringValue();
        break;
    case Utf8String: {
        std::string bytes;
        reader.takeUtf8StringValue(bytes);
        std::u16string units;
        scalar.value = decodeUtf8(bytes, units) ? std::move(units) : unitsOf(bytes);
        break;
    }
    case Identifier:
    case False:
    case True:
    case Nil:
        scalar.value = reader.takeIdentValue();
        break;
    default:
        throw ReadError(msg::BadPropertyValue);
    }
    return scalar;
}

// Both zero (the text keeps no sign of zero), both not a number, or equal.
template <typename Float>
bool sameFloat(Float original, Float rewritten)
{
    return (std::isnan(original) && std::isnan(rewritten)) || original == rewritten;
}

// The rewritten number narrowed to the original's own kind gives the original back.
bool sameNumber(const Scalar& original, const Scalar& rewritten)
{
    const Extended80 back = std::holds_alternative<std::int64_t>(rewritten.value)
        ? Extended80::fromInt64(std::get<std::int64_t>(rewritten.value))
        : std::get<Extended80>(rewritten.value);
    const Extended80& value = std::get<Extended80>(original.value);
    switch (original.tag) {
    case Single:
        return sameFloat(value.toSingle(), back.toSingle());
    case Double:
    case Date:
        return sameFloat(value.toDouble(), back.toDouble());
    default:
        return back == value || (value.significand == 0 && back.significand == 0)
            || (std::isnan(value.toDouble()) && std::isnan(back.toDouble()));
    }
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool sameScalar(const Scalar& original, const Scalar& rewritten)
{
    if (original.tag == rewritten.tag || (isInteger(original.tag) && isInteger(rewritten.tag)))
        return original.value == rewritten.value;
    if (isFloat(original.tag) && (isFloat(rewritten.tag) || isInteger(rewritten.tag)))
        return sameNumber(original, rewritten);
    if (isName(original.tag) && isName(rewritten.tag))
        return sameName(std::get<std::string>(original.value), std::get<std::string>(rewritten.value));
    const auto* originalUnits = std::get_if<std::u16string>(&original.value);
    const auto* rewrittenUnits = std::get_if<std::u16string>(&rewritten.value);
    return originalUnits && rewrittenUnits && *originalUnits == *rewrittenUnits;
}

// How the text shows an object's prefix: the kind of its first word and its order index.
std::pair<int, std::int32_t> shownPrefix(const ObjectPrefix& prefix)
{
    const int word = (prefix.flags & ObjectFlag::Inherited) ? 1 : (prefix.flags & ObjectFlag::Inline) ? 2 : 0;
    return {word, (prefix.flags & ObjectFlag::HasPosition) ? prefix.position : -1};
}

class Comparison {
public:
    Comparison(ByteStream& original, ByteStream& rewritten) : original_(original), rewritten_(rewritten) {}

    std::optional<std::string> run()
    {
        try {
            original_.takeSignature();
            rewritten_.takeSignature();
            if (sameObject(""))
                return std::nullopt;
        } catch (const FormError&) {
            if (where_.empty())
                where_ = "the stream";
        }
        return where_;
    }

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [](const std::string& message) { throw ReadError(message); });
    }

    // The innermost place is kept: the callers it returns through name wider ones.
    bool differ(std::string where)
    {
        if (where_.empty())
            where_ = std::move(where);
        return false;
    }

    bool sameObject(const std::string& owner)
    {
        const NestingGuard nesting = nest();
        const ObjectPrefix originalPrefix = original_.takeObjectPrefix();
        const ObjectPrefix rewrittenPrefix = rewritten_.takeObjectPrefix();
        const std::string className = original_.takeName();
        const std::string name = original_.takeName();
        const std::string path = owner.empty() ? (name.empty() ? className : name) : owner + "." + name;
        if (shownPrefix(originalPrefix) != shownPrefix(rewrittenPrefix) || rewritten_.takeName() != className
            || rewritten_.takeName() != name)
            return differ(path);
        if (!sameProperties(path))
            return false;
        while (!original_.atListEnd() && !rewritten_.atListEnd()) {
            if (!sameObject(path))
                return false;
        }
        return bothEnd(path);
    }

    // Both lists end here, and are read past their ends.
    bool bothEnd(const std::string& path)
    {
        if (!original_.atListEnd() || !rewritten_.atListEnd())
            return differ(path);
        original_.takeTag();
        rewritten_.takeTag();
        return true;
    }

    bool sameProperties(const std::string& owner)
    {
        while (!original_.atListEnd() && !rewritten_.atListEnd()) {
            const std::string name = original_.takeName();
            const std::string path = owner + "." + name;
            if (rewritten_.takeName() != name || !sameValue(path))
                return differ(path);
        }
        return bothEnd(owner);
    }

    bool sameValue(const std::string& path)
    {
        const std::uint8_t tag = original_.peekTag();
        const bool container = tag == List || tag == Collection || tag == Set || tag == Binary;
        if (!container)
            return rewritten_.peekTag() != List && rewritten_.peekTag() != Collection && rewritten_.peekTag() != Set
                && rewritten_.peekTag() != Binary && sameScalar(takeScalar(original_), takeScalar(rewritten_));
        if (rewritten_.peekTag() != tag)
            return false;
        const NestingGuard nesting = nest();
        original_.takeTag();
        rewritten_.takeTag();
        switch (tag) {
        case Binary: {
            const std::uint32_t size = original_.takeUInt32();
            if (rewritten_.takeUInt32() != size)
                return false;
            std::string a;
            std::string b;
            original_.appendBytes(a, size);
            rewritten_.appendBytes(b, size);
            return a == b;
        }
        case Set:
            for (;;) {
                const std::string element = original_.takeName();
                if (rewritten_.takeName() != element)
                    return false;
                if (element.empty())
                    return true;
            }
        case List:
            while (!original_.atListEnd() && !rewritten_.atListEnd()) {
                if (!sameValue(path))
                    return false;
            }
            break;
        default:
            for (int item = 0; !original_.atListEnd() && !rewritten_.atListEnd(); ++item) {
                const std::string itemPath = path + "[" + std::to_string(item) + "]";
                const bool ordered = isInteger(original_.peekTag());
                if (ordered != isInteger(rewritten_.peekTag())
                    || (ordered && original_.takeIntegerValue() != rewritten_.takeIntegerValue()))
                    return differ(itemPath);
                original_.expectTag(List);
                rewritten_.expectTag(List);
                if (!sameProperties(itemPath))
                    return false;
            }
        }
        return bothEnd(path);
    }

    FormReader original_;
    FormReader rewritten_;
    std::string where_;
    int depth_ = 0;
};

}  // namespace

std::optional<std::string> firstChangedValue(ByteStream& original, ByteStream& rewritten)
{
    return Comparison(original, rewritten).run();
}

}  // namespace dfm
