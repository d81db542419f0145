// Binary form stream -> form text.
#pragma once

#include "CodePage.h"
#include "TStream.h"

namespace dfm {

// input stands at "TPF0"; the text of the root object is appended to output. Lines of long
// strings never split a double-byte character of codePage.
void BinaryToText(TStream& input, TStream& output, const CodePage& codePage = CodePage::System());

// input stands at the start of a .DFM file (resource header, then the form stream).
void ResourceToText(TStream& input, TStream& output);

}  // namespace dfm
