// Feeds arbitrary bytes to the .DFM -> text conversion, and a form that converts to the round-trip
// check with its value comparison; only the library's own errors are allowed.
#include "BinaryToText.h"
#include "Errors.h"
#include "MemoryStream.h"
#include "RoundTrip.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    dfm::MemoryStream input(std::string_view(reinterpret_cast<const char*>(data), size));
    dfm::MemoryStream output;
    try {
        dfm::resourceToText(input, output);
    } catch (const dfm::FormError&) {
        // Rejecting bad input is the expected outcome; any other exception escapes and is reported.
        return 0;
    }
    dfm::checkRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
