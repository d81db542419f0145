// The 16-bit resource header in front of the form stream of a .DFM file.
#pragma once

#include "ByteStream.h"

#include <string>
#include <string_view>

namespace dfm {

// Checks the header at the stream's position and leaves the stream at the form stream.
// InvalidImageError when it is not a 16-bit RCDATA header.
void skipResourceHeader(ByteStream& stream);

// The header for a form stream of streamSize bytes whose root class is className
// (ASCII letters upper-cased, NUL-terminated, memory flags 0x1030).
std::string makeResourceHeader(std::string_view className, std::uint32_t streamSize);

}  // namespace dfm
