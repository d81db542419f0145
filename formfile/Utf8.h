// Strict UTF-8 decoding into 16-bit code units.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

// False (and out unspecified) when bytes are not well-formed UTF-8.
bool decodeUtf8(std::string_view bytes, std::u16string& out);

}  // namespace dfm
