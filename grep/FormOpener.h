// What the grep window asks of the editor when a found form is double-clicked.
#pragma once

#include <QString>

namespace dfm {

class FormOpener {
public:
    virtual ~FormOpener() = default;
    // Opens the form in the editor, selects the key's first occurrence in the current page and
    // makes the key the Find dialog's text.
    virtual void openFoundForm(const QString& path, const QString& key) = 0;
};

}  // namespace dfm
