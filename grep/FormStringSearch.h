// Does a form hold a key in one of its strings, as a user reads them: each string of a binary or
// text form decoded with the form's own code page (or as UTF-8 where it is), #n escapes and "+"
// joins resolved, compared as characters. It only ever reads.
#pragma once

#include <string>
#include <string_view>

namespace dfm {

class ScanMessages;

class FormStringSearch {
public:
    // codePage: the page of the forms' narrow strings; 0 takes each form's own.
    FormStringSearch(std::u16string_view key, bool caseSensitive, int codePage);

    // False for a file that is no form, and for one that cannot be read (messages then shows why).
    bool fileHolds(const std::string& path, ScanMessages& messages) const;
    // The same for a form file's bytes.
    bool formHolds(std::string_view form) const;
    // Whether one string holds the key.
    bool stringHolds(std::u16string_view text) const;

private:
    std::u16string key_;
    bool fold_;
    int codePage_;
};

}  // namespace dfm
