// The code page of a form file as the command-line tools find it: the editor's rule on the
// form's own strings and character sets, binary or text.
#pragma once

#include "ByteStream.h"
#include "CodePage.h"
#include "CodePageGuess.h"

#include <string>
#include <string_view>

namespace dfm::FormPage {

// What a binary form (input at its resource header or at "TPF0") tells of its page; a form that
// breaks off tells what stands before the fault.
PageEvidence binaryEvidence(ByteStream& input);

// The page of a binary form for a conversion: given when the user named one, else the form's
// own; input is put back where it was.
const CodePage& ofBinaryForm(ByteStream& input, const CodePage* given);
// The same for form text: read from stream and put back when it can seek, else the part held.
const CodePage& ofFormText(ByteStream& stream, bool seekable, std::string_view held, const CodePage* given);

// The same for the form file at path, binary or text: given when the user named one, else the
// form's own. Throws what reading the file throws.
const CodePage& ofFormFile(const std::string& path, const CodePage* given);

}  // namespace dfm::FormPage
