// The menus and the tool bar of the editor window.
#include "CommandLayout.h"

namespace dfm::CommandLayout {

namespace {

using C = CommandId;
constexpr Entry Separator = Slot::Separator;

constexpr Entry FileMenu[] = {
    C::FileOpen, Slot::RecentFiles, C::FileSave, Separator,
    C::SaveAs, Separator,
    C::Exit,
};
constexpr Entry EditMenu[] = {
    C::Undo, C::Redo, Separator,
    C::Cut, C::Copy, C::Paste, Separator,
    C::Find, C::FindNext, C::FindPrevious, C::Replace, Separator,
    C::CancelModified,
};
constexpr Entry ToolsMenu[] = {
    C::ObjectView, C::FormView, Separator,
    C::Grep, C::Calculator, Separator,
    C::ReduceFont, C::EnlargeFont, C::Font, C::Hints, C::HintColor, C::Background, C::SyntaxColours,
    C::LineNumbers, C::CreateBackup, Separator,
    C::CheckForm, C::IgnoredClasses, Separator,
    Slot::CodePages,
};
constexpr Entry HelpMenu[] = {C::About};

constexpr Menu Menus[] = {
    {"&File", FileMenu},
    {"&Edit", EditMenu},
    {"&Tools", ToolsMenu},
    {"&Help", HelpMenu},
};

constexpr CommandId FormPageMenu[] = {C::FindDeclaration, C::FindImplementation};

constexpr Entry ToolBar[] = {
    C::FileOpen, C::FileSave, C::SaveAs, Separator,
    C::Grep, Separator,
    C::Undo, Separator,
    C::Copy, C::Cut, C::Paste, Separator,
    C::Find, C::Replace, Separator,
    C::EnlargeFont, C::ReduceFont, C::Font, Separator,
    C::Calculator, Separator,
    C::ObjectView, Separator,
    C::CheckForm, Separator,
    C::CancelModified, Separator,
    C::Exit,
};

}  // namespace

std::span<const Menu> menuBar()
{
    return Menus;
}

std::span<const CommandId> formPageMenu()
{
    return FormPageMenu;
}

std::span<const Entry> toolBar()
{
    return ToolBar;
}

}  // namespace dfm::CommandLayout
