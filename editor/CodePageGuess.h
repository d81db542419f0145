// Which code page a form's narrow strings are in, from the form text's bytes: a character set
// its fonts declare, else what a detector reads off its strings (or, when they are plain ASCII,
// off its unit), else the default.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

struct CodePageChoice {
    // Declared by a font's character set, detected from the strings, the default page, or
    // chosen by the user for this form.
    enum class Source { Declared, Detected, Default, Chosen };
    int number = 0;
    Source source = Source::Default;
};

namespace CodePageGuess {

// The page of a character set, given as its name (RUSSIAN_CHARSET) or number (204); 0 for a set
// that names no page of its own (DEFAULT_CHARSET, ANSI_CHARSET, SYMBOL_CHARSET...).
int pageOfCharset(std::string_view value);
// The page of the first font character set in the form text that names one; 0 when none does.
int declaredPage(std::string_view formText);
// The page the detector reads off the bytes (their first 64 KB), when it names one of the known
// pages and the bytes read as letters of it; 0 otherwise (plain ASCII text too). guess gives it
// the form's strings beyond ASCII, else the unit.
int detectedPage(std::string_view bytes);
// unitBytes: the unit's file, read when the form's strings tell nothing; a UTF-8 unit tells nothing.
CodePageChoice guess(std::string_view formText, std::string_view unitBytes, int defaultPage);

}  // namespace CodePageGuess

}  // namespace dfm
