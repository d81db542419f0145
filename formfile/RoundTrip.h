// Checks that a binary form file survives binary -> text -> binary, and says how it differs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dfm {

struct RoundTripResult {
    enum class Kind {
        Identical,
        IdenticalTrailing,  // the same but for bytes after the root object, which are not forms
        TextFixed,          // differs only where the text cannot carry the value kind
        Differs,
        Failed,
    };
    Kind kind = Kind::Failed;
    std::int64_t offset = -1;  // first differing byte (Differs)
    std::string message;       // the error (Failed)
};

RoundTripResult checkRoundTrip(std::string_view formFile);

const char* roundTripKindName(RoundTripResult::Kind kind);

}  // namespace dfm
