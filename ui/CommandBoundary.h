// The one place where a window's command meets an error: what escapes the command is shown in the
// error box there and goes no further.
#pragma once

#include <exception>
#include <functional>

namespace dfm {

class UserPrompts;

// Runs body. An exception that escapes it ends the command and is shown in the error box; running
// out of memory is told as such. Nothing is rethrown, so no std::exception reaches the event loop.
void runCommand(UserPrompts& prompts, const std::function<void()>& body);

// The error box for an error caught elsewhere, with the same text runCommand would show.
void showError(UserPrompts& prompts, const std::exception& error);

}  // namespace dfm
