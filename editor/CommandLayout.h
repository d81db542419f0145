// Where the editor window's commands appear: the menus of the menu bar, the form page's pop-up
// menu and the tool bar, as data the window builds them from.
#pragma once

#include "EditorCommand.h"

#include <span>
#include <variant>

namespace dfm::CommandLayout {

// Menu entries that are not commands.
enum class Slot {
    Separator,
    RecentFiles,  // the Re-open submenu
    CodePages,    // the Encoding submenu
};

using Entry = std::variant<CommandId, Slot>;

struct Menu {
    const char* title;
    std::span<const Entry> entries;
};

std::span<const Menu> menuBar();
std::span<const CommandId> formPageMenu();
// Buttons, with separators between their groups.
std::span<const Entry> toolBar();

}  // namespace dfm::CommandLayout
