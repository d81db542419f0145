// The system clipboard as the windows' paste commands see it: text or nothing.
#pragma once

#include <QString>

#include <optional>

namespace dfm {

bool clipboardHoldsText();
// The clipboard's text; nothing when it holds no text.
std::optional<QString> clipboardText();

}  // namespace dfm
