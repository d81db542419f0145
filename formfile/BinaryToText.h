// Binary form stream -> form text.
#pragma once

#include "CodePage.h"
#include "ByteStream.h"

namespace dfm {

// input stands at "TPF0"; the text of the root object is appended to output. Lines of long
// strings never split a double-byte character of codePage.
void binaryToText(ByteStream& input, ByteStream& output, const CodePage& codePage = CodePage::system());

// input stands at the start of a .DFM file (resource header, then the form stream).
void resourceToText(ByteStream& input, ByteStream& output);

}  // namespace dfm
