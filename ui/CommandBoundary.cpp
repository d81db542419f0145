// Catches what a command throws and turns it into the error box.
#include "CommandBoundary.h"

#include "UserPrompts.h"

#include <QString>

#include <new>

namespace dfm {

namespace {

// The standard text of std::bad_alloc names a type, not what happened.
const QString OutOfMemory = QStringLiteral("Not enough memory to complete the command");

}  // namespace

void runCommand(UserPrompts& prompts, const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::bad_alloc&) {
        prompts.errorBox(UserPrompts::errorBoxText(OutOfMemory));
    } catch (const std::exception& error) {
        showError(prompts, error);
    }
}

void showError(UserPrompts& prompts, const std::exception& error)
{
    prompts.errorBox(UserPrompts::errorBoxText(QString::fromUtf8(error.what())));
}

}  // namespace dfm
