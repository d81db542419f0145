// One row of the editor window's command table: everything the window needs to make the command's
// action, and what the menus, the tool bar and the update rules refer to it by.
#pragma once

#include "DrawnIcon.h"

#include <QStyle>

#include <cstddef>
#include <variant>

namespace dfm {

class EditorWindow;

// The window's commands, in the order of its command table, which a check at compile time holds
// to: code names a command by one of these, so a misspelt command does not build.
enum class CommandId {
    FileOpen,
    FileSave,
    SaveAs,
    Grep,
    ObjectView,
    FormView,
    Exit,
    Undo,
    Redo,
    Copy,
    Cut,
    Paste,
    Find,
    FindNext,
    FindPrevious,
    Replace,
    EnlargeFont,
    ReduceFont,
    CancelModified,
    Font,
    Calculator,
    Hints,
    HintColor,
    Background,
    SyntaxColours,
    LineNumbers,
    CreateBackup,
    About,
    FindDeclaration,
    FindImplementation,
    CheckForm,
    IgnoredClasses,
};

inline constexpr std::size_t CommandCount = static_cast<std::size_t>(CommandId::IgnoredClasses) + 1;

constexpr std::size_t commandIndex(CommandId id)
{
    return static_cast<std::size_t>(id);
}

struct EditorCommand {
    // Where the command's shortcut acts: anywhere in the window, or in the form page only (the
    // commands of its pop-up menu).
    enum class Scope { Window, FormPage };

    CommandId id;
    // The action's object name, under which settings are stored ("ActSyntaxColors_Checked"): it
    // never changes.
    const char* objectName;
    const char* caption;
    // In QKeySequence's portable text, "" for none; several keys for one command are separated by
    // "; " (QKeySequence::listFromString).
    const char* shortcut;
    const char* group;     // the category it is listed under, "" for none
    const char* hint;      // "tool tip|hint line", or one text for both
    const char* iconName;  // a desktop theme icon, nullptr for none
    // When the theme has no such icon: the style's picture, or one of ours where the style has
    // none of the same meaning.
    std::variant<QStyle::StandardPixmap, DrawnPicture> iconFallback;
    void (EditorWindow::*run)();
    bool (EditorWindow::*enabled)() const = nullptr;  // nullptr: always enabled
    bool (EditorWindow::*checked)() const = nullptr;  // nullptr: not a switch
    Scope scope = Scope::Window;
};

}  // namespace dfm
