// The strings of a form as they stand in it, binary or text, and the character sets its
// properties declare: what a search of a form's strings and the guess of its code page read.
#pragma once

#include "ByteStream.h"
#include "CodePage.h"
#include "FormParser.h"

#include <functional>
#include <string>
#include <string_view>

namespace dfm {

class FormStringSink {
public:
    virtual ~FormStringSink() = default;
    // A narrow string: bytes of the form's code page.
    virtual void narrowString(std::string_view bytes) = 0;
    // A string whose characters the form stores (a wide or UTF-8 string).
    virtual void wideString(std::u16string_view text) = 0;
    // The value of a property named Charset or ending in ".Charset", as its name or number.
    virtual void charset(std::string_view value) = 0;
    // True once nothing more is wanted: the walk stops at the next object.
    virtual bool satisfied() { return false; }
};

// Reads the binary form stream at input's position ("TPF0"), up to its end or until the sink is
// satisfied; a form that breaks off or does not read throws as the converter does, after the
// strings before the fault were given.
void readBinaryFormStrings(ByteStream& input, FormStringSink& sink);

// Reads form text from input's position and gives each string as its reader sees it: the
// parts joined by "+" as one, #n escapes resolved, bytes decoded by page (UTF-8 text by UTF-8).
void readTextFormStrings(ByteStream& input, TextEncoding encoding, const CodePage& page,
                         const std::function<void(std::u16string_view)>& string);

}  // namespace dfm
