// Binary form stream -> form text.
#pragma once

#include "CodePage.h"
#include "ByteStream.h"

namespace dfm {

// How the text is written; the default is the form text as it has always been.
struct TextStyle {
    // UTF-8 after a byte order mark: the characters of strings as themselves (narrow strings
    // decoded by the code page; bytes it cannot decode stay #n escapes), control characters and
    // the quote as #n. Names keep their bytes.
    bool utf8 = false;
    // Long strings split at 64 characters a line; without, only where a line would outgrow what
    // the text reader takes (a few hundred characters, depending on the indentation).
    bool wrapStrings = true;
};

// input stands at "TPF0"; the text of the root object is appended to output. Lines of long
// strings never split a double-byte character of codePage.
void binaryToText(ByteStream& input, ByteStream& output, const CodePage& codePage = CodePage::system(),
                  TextStyle style = {});

// input stands at the start of a .DFM file (resource header, then the form stream).
void resourceToText(ByteStream& input, ByteStream& output, TextStyle style = {},
                    const CodePage& codePage = CodePage::system());

}  // namespace dfm
