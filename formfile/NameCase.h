// Names compared as characters: identifiers and file names that one file holds in UTF-8 and
// another in a code page, and that differ in case only, are the same name.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

class CodePage;

// The name as UTF-8: its bytes when they are UTF-8, else the code page's characters.
std::string nameAsUtf8(std::string_view bytes, const CodePage& page);

// Whether two UTF-8 names are the same without regard to case: ASCII letters, and the letters of
// Latin-1, Latin Extended-A, Greek and Cyrillic, compare in one case. A byte that is no UTF-8
// compares as itself.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace dfm
