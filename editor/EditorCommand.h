// One row of the editor window's command table: everything the window needs to make the command's
// action, and what the menus, the tool bar and the update rules refer to it by.
#pragma once

#include "DrawnIcon.h"

#include <QStyle>

#include <variant>

namespace dfm {

class EditorWindow;

struct EditorCommand {
    // Where the command's shortcut acts: anywhere in the window, or in the form page only (the
    // commands of its pop-up menu).
    enum class Scope { Window, FormPage };

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
