// Checks that a binary form file survives binary -> text -> binary, and says how it differs.
#pragma once

#include "ByteStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace dfm {

struct RoundTripResult {
    enum class Kind {
        Identical,
        IdenticalTrailing,  // the same but for bytes after the root object, which are not forms
        TextFixed,          // differs only in value kinds that the text cannot carry
        Differs,
        Failed,
    };
    Kind kind = Kind::Failed;
    std::int64_t offset = -1;  // first differing byte (Differs)
    std::string property;      // the first value that changed, not only its kind (Differs)
    std::string message;       // the error (Failed)
};

// Makes an empty stream for the text and the bytes the check produces on the way.
using ScratchStreams = std::function<std::unique_ptr<ByteStream>()>;

// The text and the bytes made back are held in memory.
RoundTripResult checkRoundTrip(std::string_view formFile);
// The same with them in streams of the caller's (files, for forms too large to hold four times
// over); the form itself is the only copy kept in memory.
RoundTripResult checkRoundTrip(std::string_view formFile, const ScratchStreams& makeScratch);

const char* roundTripKindName(RoundTripResult::Kind kind);

}  // namespace dfm
