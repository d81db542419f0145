// What the grep window asks of the editor: the code page forms are read in, and to open a found
// form when it is double-clicked.
#pragma once

#include <QString>

namespace dfm {

class FormOpener {
public:
    virtual ~FormOpener() = default;
    // Opens the form in the editor, selects the key's first occurrence in the current page and
    // makes the key the Find dialog's text.
    virtual void openFoundForm(const QString& path, const QString& key) = 0;
    // The page a key is searched for as bytes of: the one forms are read in when they tell none.
    virtual int defaultCodePage() const = 0;
};

}  // namespace dfm
