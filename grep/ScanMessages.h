// The two boxes the file scanner shows: the window puts them on screen, dfmgrep prints them.
#pragma once

#include <string>

namespace dfm {

class ScanMessages {
public:
    virtual ~ScanMessages() = default;
    // Caption "Avertissement", warning icon, one OK button.
    virtual void scanWarning(const std::string& text) = 0;
    // Caption "Erreur", error icon, one OK button.
    virtual void scanError(const std::string& text) = 0;
};

}  // namespace dfm
