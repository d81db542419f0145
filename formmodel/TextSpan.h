// Where a node or property of a model read from text stands in that text.
#pragma once

#include <cstdint>

namespace dfm {

// Lines count from 1; columns from 1 in UTF-16 code units of the line as the editor decodes it
// (a double-byte character of a code page is one). lastColumn is the column of the last
// character, so the span's part of its last line is the line's first lastColumn units.
// A model read from binary has no spans: every field is 0.
struct TextSpan {
    std::uint32_t firstLine = 0;
    std::uint32_t lastLine = 0;
    std::uint16_t firstColumn = 0;
    std::uint16_t lastColumn = 0;

    bool operator==(const TextSpan&) const = default;
};

}  // namespace dfm
