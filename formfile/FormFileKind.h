// What a form file holds, told by its first bytes and never by its name.
#pragma once

#include <cstddef>
#include <string_view>

namespace dfm {

enum class FormFileKind {
    Resource,  // a binary form behind its 16-bit resource header
    Stream,    // a bare binary form stream ("TPF0")
    Text,      // form text, in the code page or in UTF-8 (with or without a byte order mark)
    Unknown,
};

// How many leading bytes decide the kind; a text form whose first keyword lies further behind
// blanks is not recognised.
inline constexpr std::size_t FormKindProbeSize = 4096;

// leading: the file's first bytes, FormKindProbeSize of them or the whole file if shorter.
FormFileKind formFileKindOf(std::string_view leading);

// The kind of the file at path from its first bytes; Unknown when it cannot be read.
FormFileKind formFileKindOfFile(const char* path);

}  // namespace dfm
