// Form text -> binary form stream.
#pragma once

#include "ByteStream.h"
#include "FormParser.h"

namespace dfm {

// Converts the form text at input's position; writes "TPF0" and the root object to output.
// On failure output keeps what was written before it. codePage: the page of the bytes that
// become part of a wide string (see FormParser); Windows-1252 and none keep their values.
void textToBinary(ByteStream& input, ByteStream& output, TextEncoding encoding = TextEncoding::CodePage,
                  const CodePage* codePage = nullptr);

// Writes a whole .DFM file (resource header, then the form stream); on failure nothing at all.
void textToResource(ByteStream& input, ByteStream& output, TextEncoding encoding = TextEncoding::CodePage,
                    const CodePage* codePage = nullptr);
// The same without asking input for its size (it may be a pipe), the form stream built in
// formStream (from its position to its end, a file for forms too large to hold twice).
void textToResource(ByteStream& input, ByteStream& output, ByteStream& formStream,
                    TextEncoding encoding = TextEncoding::CodePage, const CodePage* codePage = nullptr);

}  // namespace dfm
