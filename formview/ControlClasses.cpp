#include "ControlClasses.h"

#include "AsciiText.h"

#include <array>
#include <utility>

namespace dfm {

namespace {

using ascii::equalsIgnoringCase;

struct NamedKind {
    std::string_view name;
    ControlKind kind;
};

// The standard classes, and the common ones of the open-source and cross-platform libraries.
constexpr std::array StandardClasses{
    NamedKind{"TForm", ControlKind::Form},
    NamedKind{"TFrame", ControlKind::Frame},
    NamedKind{"TDataModule", ControlKind::DataModule},
    NamedKind{"TPanel", ControlKind::Panel},
    NamedKind{"TFlowPanel", ControlKind::Panel},
    NamedKind{"TGridPanel", ControlKind::Panel},
    NamedKind{"TControlBar", ControlKind::Panel},
    NamedKind{"TCoolBar", ControlKind::Panel},
    NamedKind{"TDBNavigator", ControlKind::Panel},
    NamedKind{"TDBCtrlGrid", ControlKind::Panel},
    NamedKind{"TLayout", ControlKind::Frame},
    NamedKind{"TRectangle", ControlKind::Shape},
    NamedKind{"TEllipse", ControlKind::Shape},
    NamedKind{"TCircle", ControlKind::Shape},
    NamedKind{"TGroupBox", ControlKind::GroupBox},
    NamedKind{"TRadioGroup", ControlKind::RadioGroup},
    NamedKind{"TButton", ControlKind::Button},
    NamedKind{"TBitBtn", ControlKind::BitButton},
    NamedKind{"TSpeedButton", ControlKind::SpeedButton},
    NamedKind{"TLabel", ControlKind::Label},
    NamedKind{"TDBText", ControlKind::Label},
    NamedKind{"TStaticText", ControlKind::StaticText},
    NamedKind{"TEdit", ControlKind::Edit},
    NamedKind{"TMaskEdit", ControlKind::Edit},
    NamedKind{"TLabeledEdit", ControlKind::Edit},
    NamedKind{"TSpinEdit", ControlKind::Edit},
    NamedKind{"TMemo", ControlKind::Memo},
    NamedKind{"TRichEdit", ControlKind::Memo},
    NamedKind{"TCheckBox", ControlKind::CheckBox},
    NamedKind{"TRadioButton", ControlKind::RadioButton},
    NamedKind{"TListBox", ControlKind::ListBox},
    NamedKind{"TCheckListBox", ControlKind::ListBox},
    NamedKind{"TComboBox", ControlKind::ComboBox},
    NamedKind{"TListView", ControlKind::ListView},
    NamedKind{"TTreeView", ControlKind::TreeView},
    NamedKind{"TStringGrid", ControlKind::Grid},
    NamedKind{"TDrawGrid", ControlKind::Grid},
    NamedKind{"TDBGrid", ControlKind::Grid},
    NamedKind{"TPageControl", ControlKind::PageControl},
    NamedKind{"TTabSheet", ControlKind::TabSheet},
    NamedKind{"TTabControl", ControlKind::TabControl},
    NamedKind{"TImage", ControlKind::Image},
    NamedKind{"TPaintBox", ControlKind::PaintBox},
    NamedKind{"TShape", ControlKind::Shape},
    NamedKind{"TBevel", ControlKind::Bevel},
    NamedKind{"TSplitter", ControlKind::Splitter},
    NamedKind{"TScrollBox", ControlKind::ScrollBox},
    NamedKind{"TStatusBar", ControlKind::StatusBar},
    NamedKind{"TToolBar", ControlKind::ToolBar},
    NamedKind{"TToolButton", ControlKind::ToolButton},
    NamedKind{"TProgressBar", ControlKind::ProgressBar},
    NamedKind{"TTrackBar", ControlKind::TrackBar},
    NamedKind{"TUpDown", ControlKind::UpDown},
    NamedKind{"TDateTimePicker", ControlKind::DateTimePicker},
    NamedKind{"TScrollBar", ControlKind::ScrollBar},
    NamedKind{"TMainMenu", ControlKind::MainMenu},
    NamedKind{"TMenuItem", ControlKind::MenuItem},
    NamedKind{"TPopupMenu", ControlKind::NonVisual},
    NamedKind{"TTimer", ControlKind::NonVisual},
    NamedKind{"TImageList", ControlKind::NonVisual},
    NamedKind{"TActionList", ControlKind::NonVisual},
    NamedKind{"TApplicationEvents", ControlKind::NonVisual},
    NamedKind{"TDataSource", ControlKind::NonVisual},
};

// Descendants by the end of their names, the longer endings first where one ends another
// ("RadioButton" before "Button"). A data-aware class ("TDBEdit") ends like its plain kind.
constexpr std::array NameEndings{
    NamedKind{"RadioButton", ControlKind::RadioButton},
    NamedKind{"SpeedButton", ControlKind::SpeedButton},
    NamedKind{"ToolButton", ControlKind::ToolButton},
    NamedKind{"SpinButton", ControlKind::UpDown},
    NamedKind{"Button", ControlKind::Button},
    NamedKind{"BitBtn", ControlKind::BitButton},
    NamedKind{"Btn", ControlKind::Button},
    NamedKind{"StaticText", ControlKind::StaticText},
    NamedKind{"Label", ControlKind::Label},
    NamedKind{"CheckListBox", ControlKind::ListBox},
    NamedKind{"CheckBox", ControlKind::CheckBox},
    NamedKind{"ComboBox", ControlKind::ComboBox},
    NamedKind{"ComboBoxEx", ControlKind::ComboBox},
    NamedKind{"Combo", ControlKind::ComboBox},
    NamedKind{"ListBox", ControlKind::ListBox},
    NamedKind{"ListView", ControlKind::ListView},
    NamedKind{"TreeView", ControlKind::TreeView},
    NamedKind{"DatePicker", ControlKind::DateTimePicker},
    NamedKind{"DateTimePicker", ControlKind::DateTimePicker},
    NamedKind{"RichEdit", ControlKind::Memo},
    NamedKind{"Memo", ControlKind::Memo},
    NamedKind{"Edit", ControlKind::Edit},
    NamedKind{"Grid", ControlKind::Grid},
    NamedKind{"PageControl", ControlKind::PageControl},
    NamedKind{"TabSheet", ControlKind::TabSheet},
    NamedKind{"TabControl", ControlKind::TabControl},
    NamedKind{"RadioGroup", ControlKind::RadioGroup},
    NamedKind{"GroupBox", ControlKind::GroupBox},
    NamedKind{"ScrollBox", ControlKind::ScrollBox},
    NamedKind{"ScrollBar", ControlKind::ScrollBar},
    NamedKind{"StatusBar", ControlKind::StatusBar},
    NamedKind{"ToolBar", ControlKind::ToolBar},
    NamedKind{"ProgressBar", ControlKind::ProgressBar},
    NamedKind{"TrackBar", ControlKind::TrackBar},
    NamedKind{"Splitter", ControlKind::Splitter},
    NamedKind{"Image", ControlKind::Image},
    NamedKind{"PaintBox", ControlKind::PaintBox},
    NamedKind{"Panel", ControlKind::Panel},
    NamedKind{"Bevel", ControlKind::Bevel},
    NamedKind{"Shape", ControlKind::Shape},
    NamedKind{"Frame", ControlKind::Frame},
    NamedKind{"Form", ControlKind::Form},
    NamedKind{"DataModule", ControlKind::DataModule},
    NamedKind{"Timer", ControlKind::NonVisual},
    NamedKind{"Dialog", ControlKind::NonVisual},
    NamedKind{"ImageList", ControlKind::NonVisual},
    NamedKind{"ActionList", ControlKind::NonVisual},
    NamedKind{"PopupMenu", ControlKind::NonVisual},
    NamedKind{"DataSource", ControlKind::NonVisual},
    NamedKind{"DataSet", ControlKind::NonVisual},
    NamedKind{"Table", ControlKind::NonVisual},
    NamedKind{"Query", ControlKind::NonVisual},
    NamedKind{"StoredProc", ControlKind::NonVisual},
    NamedKind{"Connection", ControlKind::NonVisual},
    NamedKind{"Database", ControlKind::NonVisual},
    NamedKind{"Provider", ControlKind::NonVisual},
};

bool endsWithIgnoringCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() && equalsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

}  // namespace

ControlKind ControlClasses::kindOf(std::string_view className)
{
    for (const NamedKind& known : StandardClasses) {
        if (equalsIgnoringCase(className, known.name))
            return known.kind;
    }
    for (const NamedKind& rule : NameEndings) {
        if (endsWithIgnoringCase(className, rule.name))
            return rule.kind;
    }
    return ControlKind::Other;
}

QSize ControlClasses::defaultSize(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Panel: return {185, 41};
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup: return {185, 105};
    case ControlKind::Button:
    case ControlKind::BitButton: return {75, 25};
    case ControlKind::SpeedButton:
    case ControlKind::ToolButton: return {23, 22};
    case ControlKind::Label:
    case ControlKind::StaticText: return {31, 13};
    case ControlKind::Edit: return {121, 21};
    case ControlKind::Memo: return {185, 89};
    case ControlKind::CheckBox: return {97, 17};
    case ControlKind::RadioButton: return {113, 17};
    case ControlKind::ListBox: return {121, 97};
    case ControlKind::ComboBox: return {145, 21};
    case ControlKind::ListView:
    case ControlKind::TreeView: return {121, 97};
    case ControlKind::Grid: return {320, 120};
    case ControlKind::PageControl:
    case ControlKind::TabControl: return {289, 193};
    case ControlKind::Image:
    case ControlKind::PaintBox: return {105, 105};
    case ControlKind::Shape: return {65, 65};
    case ControlKind::Bevel: return {50, 50};
    case ControlKind::Splitter: return {3, 100};
    case ControlKind::ScrollBox: return {185, 41};
    case ControlKind::StatusBar: return {0, 19};
    case ControlKind::ToolBar: return {0, 29};
    case ControlKind::ProgressBar: return {150, 17};
    case ControlKind::TrackBar: return {150, 45};
    case ControlKind::UpDown: return {17, 21};
    case ControlKind::DateTimePicker: return {186, 21};
    case ControlKind::ScrollBar: return {121, 17};
    case ControlKind::Frame: return {320, 240};
    default: return {};
    }
}

bool ControlClasses::isGraphic(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
    case ControlKind::Image:
    case ControlKind::PaintBox:
    case ControlKind::Shape:
    case ControlKind::Bevel:
    case ControlKind::Splitter:
    case ControlKind::SpeedButton: return true;
    default: return false;
    }
}

bool ControlClasses::isIcon(ControlKind kind)
{
    return kind == ControlKind::NonVisual || kind == ControlKind::MainMenu;
}

bool ControlClasses::isContainer(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Form:
    case ControlKind::Frame:
    case ControlKind::DataModule:
    case ControlKind::Panel:
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup:
    case ControlKind::ScrollBox:
    case ControlKind::TabSheet:
    case ControlKind::ToolBar:
    case ControlKind::StatusBar:
        return true;
    default:
        return false;
    }
}

bool ControlClasses::isControl(ControlKind kind)
{
    return kind != ControlKind::NonVisual && kind != ControlKind::MainMenu && kind != ControlKind::MenuItem
        && kind != ControlKind::DataModule;
}

}  // namespace dfm
