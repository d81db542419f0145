// Feeds arbitrary bytes to the .DFM -> text conversion; only the library's own errors are allowed.
#include "BinaryToText.h"
#include "Errors.h"
#include "TMemoryStream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    dfm::TMemoryStream input(std::string_view(reinterpret_cast<const char*>(data), size));
    dfm::TMemoryStream output;
    try {
        dfm::ResourceToText(input, output);
    } catch (const dfm::EFormError&) {
        // Rejecting bad input is the expected outcome; any other exception escapes and is reported.
    }
    return 0;
}
