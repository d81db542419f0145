// The command boundary: what a command throws becomes one error box, and the command's caller
// goes on.
#include "CommandBoundary.h"
#include "Errors.h"
#include "ScriptedPrompts.h"

#include <new>
#include <stdexcept>

namespace dfm {
namespace {

TEST(CommandBoundary, AnEscapingErrorBecomesOneErrorBox)
{
    const struct {
        const char* name;
        std::function<void()> failure;
        QStringList boxes;
    } cases[] = {
        {"no error", [] {}, {}},
        {"a form error", [] { throw ReadError(msg::BadStreamFormat); }, {"Format de flux incorrect."}},
        {"a parser error keeps its line", [] { throw ParserError(msg::IdentifierExpected, 3); },
         {"Identificateur attendu à la ligne 3."}},
        {"a message already ending in a stop", [] { throw std::runtime_error("Done."); }, {"Done."}},
        {"a message ending below the stop", [] { throw std::runtime_error("Stop !"); }, {"Stop !"}},
        {"a message ending in a non-ASCII letter", [] { throw std::runtime_error("Chaîne d'entrée"); },
         {QStringLiteral("Chaîne d'entrée.")}},
        {"any standard error", [] { throw std::out_of_range("index 7"); }, {"index 7."}},
        {"out of memory", [] { throw std::bad_alloc(); }, {"Not enough memory to complete the command."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompts prompts;
        int stepsDone = 0;
        runCommand(prompts, [&] {
            ++stepsDone;
            c.failure();
            ++stepsDone;
        });
        EXPECT_EQ(prompts.errors, c.boxes);
        EXPECT_EQ(stepsDone, c.boxes.isEmpty() ? 2 : 1) << "the command ends where it throws";
    }
}

TEST(CommandBoundary, AnErrorCaughtElsewhereShowsTheSameBox)
{
    ScriptedPrompts caught;
    ScriptedPrompts bounded;
    const ParserError error(msg::NumberExpected, 12);
    showError(caught, error);
    runCommand(bounded, [&] { throw error; });
    EXPECT_EQ(caught.errors, QStringList{"Nombre attendu à la ligne 12."});
    EXPECT_EQ(caught.errors, bounded.errors);
}

}  // namespace
}  // namespace dfm
