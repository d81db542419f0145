// Form text -> binary form stream.
#pragma once

#include "ByteStream.h"
#include "FormParser.h"

namespace dfm {

// Converts the form text at input's position; writes "TPF0" and the root object to output.
// On failure output keeps what was written before it.
void textToBinary(ByteStream& input, ByteStream& output, TextEncoding encoding = TextEncoding::CodePage);

// Writes a whole .DFM file (resource header, then the form stream); on failure nothing at all.
void textToResource(ByteStream& input, ByteStream& output, TextEncoding encoding = TextEncoding::CodePage);

}  // namespace dfm
