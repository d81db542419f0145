// Binary form stream -> form text.
#pragma once

#include "TStream.h"

namespace dfm {

// input stands at "TPF0"; the text of the root object is appended to output.
void BinaryToText(TStream& input, TStream& output);

// input stands at the start of a .DFM file (resource header, then the form stream).
void ResourceToText(TStream& input, TStream& output);

}  // namespace dfm
