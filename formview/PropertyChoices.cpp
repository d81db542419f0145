#include "PropertyChoices.h"

#include "AsciiText.h"

#include <array>
#include <cstdint>

namespace dfm {

namespace {

using ascii::equalsIgnoringCase;

using KindSet = std::uint64_t;

constexpr KindSet kinds(std::initializer_list<ControlKind> list)
{
    KindSet set = 0;
    for (const ControlKind kind : list)
        set |= KindSet{1} << static_cast<int>(kind);
    return set;
}

constexpr KindSet EveryKind = ~KindSet{0};

struct Enumeration {
    std::string_view property;
    KindSet on;
    bool isSet;
    std::string_view values;  // separated by spaces
};

// The enumerated properties of the standard classes. Where a property takes other values on
// some kinds (BorderStyle on a form and on a control), the row of those kinds comes first.
constexpr std::array Enumerations{
    Enumeration{"Align", EveryKind, false, "alNone alTop alBottom alLeft alRight alClient alCustom"},
    Enumeration{"Alignment", kinds({ControlKind::CheckBox, ControlKind::RadioButton}), false,
                "taLeftJustify taRightJustify"},
    Enumeration{"Alignment", EveryKind, false, "taLeftJustify taRightJustify taCenter"},
    Enumeration{"Anchors", EveryKind, true, "akLeft akTop akRight akBottom"},
    Enumeration{"BevelInner", EveryKind, false, "bvNone bvLowered bvRaised bvSpace"},
    Enumeration{"BevelOuter", EveryKind, false, "bvNone bvLowered bvRaised bvSpace"},
    Enumeration{"BevelKind", EveryKind, false, "bkNone bkTile bkSoft bkFlat"},
    Enumeration{"BevelEdges", EveryKind, true, "beLeft beTop beRight beBottom"},
    Enumeration{"BorderStyle", kinds({ControlKind::Form}), false,
                "bsNone bsSingle bsSizeable bsDialog bsToolWindow bsSizeToolWin"},
    Enumeration{"BorderStyle", kinds({ControlKind::StaticText}), false, "sbsNone sbsSingle sbsSunken"},
    Enumeration{"BorderStyle", EveryKind, false, "bsNone bsSingle"},
    Enumeration{"BorderIcons", kinds({ControlKind::Form}), true, "biSystemMenu biMinimize biMaximize biHelp"},
    Enumeration{"FormStyle", kinds({ControlKind::Form}), false, "fsNormal fsMDIChild fsMDIForm fsStayOnTop"},
    Enumeration{"Position", kinds({ControlKind::Form}), false,
                "poDesigned poDefault poDefaultPosOnly poDefaultSizeOnly poScreenCenter poDesktopCenter "
                "poMainFormCenter poOwnerFormCenter"},
    Enumeration{"WindowState", kinds({ControlKind::Form}), false, "wsNormal wsMinimized wsMaximized"},
    Enumeration{"DefaultMonitor", kinds({ControlKind::Form}), false, "dmDesktop dmPrimary dmMainForm dmActiveForm"},
    Enumeration{"ScrollBars", kinds({ControlKind::Memo, ControlKind::Grid}), false, "ssNone ssHorizontal ssVertical ssBoth"},
    Enumeration{"CharCase", kinds({ControlKind::Edit, ControlKind::ComboBox}), false, "ecNormal ecUpperCase ecLowerCase"},
    Enumeration{"Kind", kinds({ControlKind::BitButton}), false,
                "bkCustom bkOK bkCancel bkHelp bkYes bkNo bkClose bkAbort bkRetry bkIgnore bkAll"},
    Enumeration{"Kind", kinds({ControlKind::ScrollBar}), false, "sbHorizontal sbVertical"},
    Enumeration{"Layout", kinds({ControlKind::BitButton, ControlKind::SpeedButton}), false,
                "blGlyphLeft blGlyphRight blGlyphTop blGlyphBottom"},
    Enumeration{"Layout", kinds({ControlKind::Label}), false, "tlTop tlCenter tlBottom"},
    Enumeration{"Style", kinds({ControlKind::ComboBox}), false,
                "csDropDown csSimple csDropDownList csOwnerDrawFixed csOwnerDrawVariable"},
    Enumeration{"Style", kinds({ControlKind::ListBox}), false,
                "lbStandard lbOwnerDrawFixed lbOwnerDrawVariable lbVirtual lbVirtualOwnerDraw"},
    Enumeration{"Style", kinds({ControlKind::Bevel}), false, "bsLowered bsRaised"},
    Enumeration{"Style", kinds({ControlKind::PageControl, ControlKind::TabControl}), false,
                "tsTabs tsButtons tsFlatButtons"},
    Enumeration{"Style", kinds({ControlKind::ToolButton}), false, "tbsButton tbsCheck tbsDropDown tbsSeparator tbsDivider"},
    Enumeration{"State", kinds({ControlKind::CheckBox}), false, "cbUnchecked cbChecked cbGrayed"},
    Enumeration{"Shape", kinds({ControlKind::Shape}), false,
                "stRectangle stSquare stRoundRect stRoundSquare stEllipse stCircle"},
    Enumeration{"Shape", kinds({ControlKind::Bevel}), false,
                "bsBox bsFrame bsTopLine bsBottomLine bsLeftLine bsRightLine bsSpacer"},
    Enumeration{"TabPosition", kinds({ControlKind::PageControl, ControlKind::TabControl}), false,
                "tpTop tpBottom tpLeft tpRight"},
    Enumeration{"ViewStyle", kinds({ControlKind::ListView}), false, "vsIcon vsSmallIcon vsList vsReport"},
    Enumeration{"Orientation", kinds({ControlKind::TrackBar}), false, "trHorizontal trVertical"},
    Enumeration{"Orientation", kinds({ControlKind::ProgressBar}), false, "pbHorizontal pbVertical"},
    Enumeration{"Orientation", kinds({ControlKind::UpDown}), false, "udHorizontal udVertical"},
    Enumeration{"Cursor", EveryKind, false,
                "crDefault crNone crArrow crCross crIBeam crSize crSizeNESW crSizeNS crSizeNWSE crSizeWE "
                "crUpArrow crHourGlass crDrag crNoDrop crHSplit crVSplit crMultiDrag crSQLWait crNo "
                "crAppStart crHelp crHandPoint crSizeAll"},
    Enumeration{"DragCursor", EveryKind, false, "crDrag crMultiDrag crNoDrop crDefault"},
    Enumeration{"DragMode", EveryKind, false, "dmManual dmAutomatic"},
    Enumeration{"DragKind", EveryKind, false, "dkDrag dkDock"},
    Enumeration{"BiDiMode", EveryKind, false,
                "bdLeftToRight bdRightToLeft bdRightToLeftNoAlign bdRightToLeftReadingOnly"},
    Enumeration{"Font.Style", EveryKind, true, "fsBold fsItalic fsUnderline fsStrikeOut"},
    Enumeration{"Font.Pitch", EveryKind, false, "fpDefault fpVariable fpFixed"},
};

// "TitleFont.Style" as "Font.Style": every font takes the same values.
std::string_view tableName(std::string_view property)
{
    const std::size_t dot = property.rfind('.');
    if (dot == std::string_view::npos || dot < 4)
        return property;
    const std::string_view owner = property.substr(0, dot);
    if (!equalsIgnoringCase(owner.substr(owner.size() - 4), "Font"))
        return property;
    return property.substr(dot - 4);
}

const Enumeration* find(ControlKind kind, std::string_view property)
{
    const std::string_view name = tableName(property);
    const KindSet bit = KindSet{1} << static_cast<int>(kind);
    for (const Enumeration& row : Enumerations) {
        if ((row.on & bit) != 0 && equalsIgnoringCase(row.property, name))
            return &row;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string_view> PropertyChoices::values(ControlKind kind, std::string_view property)
{
    std::vector<std::string_view> values;
    const Enumeration* row = find(kind, property);
    if (!row)
        return values;
    std::string_view rest = row->values;
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        values.push_back(rest.substr(0, space));
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    return values;
}

bool PropertyChoices::isSet(ControlKind kind, std::string_view property)
{
    const Enumeration* row = find(kind, property);
    return row && row->isSet;
}

}  // namespace dfm
