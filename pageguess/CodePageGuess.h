// Which code page a form's narrow strings are in: a character set its fonts declare, unless the
// strings contradict it; else what a detector reads off its strings (or, when they are plain
// ASCII, off its unit); else the default.
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
    // The page a character set declared when the strings contradicted it (source Detected).
    int declaredInstead = 0;
};

// What a form tells of its page: the first page one of its character sets names, and the bytes
// of its narrow strings beyond ASCII.
struct PageEvidence {
    int declared = 0;
    // The strings that hold a byte beyond ASCII, a space after each, up to a sample of about
    // 16 KB: thousands of words tell the detector the page, and it takes a tenth of a second a
    // megabyte.
    std::string strings;

    // What the detector made of the sample once it was full; -1 before.
    int fullSampleDetected = -1;

    // Notes a character set's value (a name or a number) when no earlier one named a page.
    void addCharset(std::string_view value);
    void addString(std::string_view bytes);
    // Whether the rest of a form can no longer change its page: the sample is full, and a set is
    // declared or the detector is sure of the sample (its answer then outweighs any later set).
    bool settled();
};

namespace CodePageGuess {

// The page of a character set, given as its name (RUSSIAN_CHARSET) or number (204); 0 for a set
// that names no page of its own (DEFAULT_CHARSET, ANSI_CHARSET, SYMBOL_CHARSET...).
int pageOfCharset(std::string_view value);
// The page of the first font character set in the form text that names one; 0 when none does.
int declaredPage(std::string_view formText);
// The page the detector reads off the bytes (their first 16 KB), when its answer shares its
// letters with one of the known pages and the bytes read as letters of that page; 0 otherwise
// (plain ASCII text too). guess gives it the form's strings beyond ASCII, else the unit.
int detectedPage(std::string_view bytes);
// The detector's name of a character set as the Windows page with the same letters; 0 for none.
int pageOfDetectedName(std::string_view name);
// The declared set and the quoted strings of form text.
PageEvidence textEvidence(std::string_view formText);
// The same for whole lines of a text read a piece at a time.
void addTextLines(std::string_view lines, PageEvidence& evidence);
// unitBytes: the unit's file, read when the form's strings tell nothing; a UTF-8 unit tells nothing.
CodePageChoice guess(const PageEvidence& evidence, std::string_view unitBytes, int defaultPage);
CodePageChoice guess(std::string_view formText, std::string_view unitBytes, int defaultPage);

}  // namespace CodePageGuess

}  // namespace dfm
