#include "RoundTrip.h"

#include "BinaryToText.h"
#include "Errors.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <algorithm>

namespace dfm {

namespace {

// The offset of the first differing byte. The header's data-size field differs whenever the
// lengths do, so it is passed over when the rest of the headers agree: the place that matters
// is in the form stream.
std::int64_t firstDifference(std::string_view original, std::string_view rewritten)
{
    const auto mismatchAt = [](std::string_view a, std::string_view b) {
        return std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    };
    const std::size_t nameEnd = original.find('\0', 3);
    const std::size_t sizeField = nameEnd + 3;
    const std::size_t streamStart = sizeField + 4;
    if (nameEnd == std::string_view::npos || original.size() < streamStart || rewritten.size() < streamStart
        || original.substr(0, sizeField) != rewritten.substr(0, sizeField))
        return mismatchAt(original, rewritten);
    return static_cast<std::int64_t>(streamStart)
        + mismatchAt(original.substr(streamStart), rewritten.substr(streamStart));
}

// Everything but the header's data-size field, which counts the trailing bytes too.
bool sameButTrailing(std::string_view original, std::string_view rewritten, std::size_t consumed)
{
    if (rewritten.size() != consumed || original.size() <= consumed)
        return false;
    const std::size_t nameEnd = original.find('\0', 3);
    if (nameEnd == std::string_view::npos || nameEnd + 10 > consumed)
        return false;
    const std::size_t sizeField = nameEnd + 3;
    return original.substr(0, sizeField) == rewritten.substr(0, sizeField)
        && original.substr(sizeField + 4, consumed - sizeField - 4) == rewritten.substr(sizeField + 4);
}

}  // namespace

RoundTripResult checkRoundTrip(std::string_view formFile)
{
    RoundTripResult result;
    try {
        MemoryStream original(formFile);
        MemoryStream text;
        resourceToText(original, text);
        const auto consumed = static_cast<std::size_t>(original.position());

        text.setPosition(0);
        MemoryStream rewritten;
        textToResource(text, rewritten);
        if (rewritten.view() == formFile) {
            result.kind = RoundTripResult::Kind::Identical;
            return result;
        }
        if (sameButTrailing(formFile, rewritten.view(), consumed)) {
            result.kind = RoundTripResult::Kind::IdenticalTrailing;
            return result;
        }
        rewritten.setPosition(0);
        MemoryStream textAgain;
        resourceToText(rewritten, textAgain);
        if (textAgain.view() == text.view()) {
            result.kind = RoundTripResult::Kind::TextFixed;
        } else {
            result.kind = RoundTripResult::Kind::Differs;
            result.offset = firstDifference(formFile, rewritten.view());
        }
    } catch (const FormError& error) {
        result.kind = RoundTripResult::Kind::Failed;
        result.message = error.what();
    }
    return result;
}

const char* roundTripKindName(RoundTripResult::Kind kind)
{
    switch (kind) {
    case RoundTripResult::Kind::Identical:
        return "identical";
    case RoundTripResult::Kind::IdenticalTrailing:
        return "identical+trailing";
    case RoundTripResult::Kind::TextFixed:
        return "text-fixed";
    case RoundTripResult::Kind::Differs:
        return "differs";
    case RoundTripResult::Kind::Failed:
        return "failed";
    }
    return "";
}

}  // namespace dfm
