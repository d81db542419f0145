// What kind of control a class draws as, and the size it takes by default: the standard classes
// by name, and descendants (data-aware and third-party ones) by the rules of their names.
#pragma once

#include <QSize>

#include <string_view>

namespace dfm {

enum class ControlKind {
    Form,
    Frame,
    DataModule,
    Panel,
    GroupBox,
    RadioGroup,
    Button,
    BitButton,
    SpeedButton,
    Label,
    StaticText,
    Edit,
    Memo,
    CheckBox,
    RadioButton,
    ListBox,
    ComboBox,
    ListView,
    TreeView,
    Grid,
    PageControl,
    TabSheet,
    TabControl,
    Image,
    PaintBox,
    Shape,
    Bevel,
    Splitter,
    ScrollBox,
    StatusBar,
    ToolBar,
    ToolButton,
    ProgressBar,
    TrackBar,
    UpDown,
    DateTimePicker,
    ScrollBar,
    MainMenu,
    MenuItem,
    NonVisual,  // a component the designer shows as an icon: timers, data sets, dialogs, lists
    Other,      // a control of a class none of the rules knows: a labelled frame
};

class ControlClasses {
public:
    // The kind of a class by its name, compared without regard to case: the standard classes,
    // then the rules for descendants; Other when none applies.
    static ControlKind kindOf(std::string_view className);
    // The size a control of the kind takes when its form stores none; empty for kinds without one.
    static QSize defaultSize(ControlKind kind);
    // Whether the kind is drawn by its parent rather than as a window of its own: such controls
    // appear beneath their windowed siblings.
    static bool isGraphic(ControlKind kind);
    // Whether the kind is a control with a place on the form (not an icon, not a menu's item).
    static bool isControl(ControlKind kind);
    // Whether the kind is drawn as a non-visual component's icon.
    static bool isIcon(ControlKind kind);
    // Whether controls are put inside a control of the kind in the designer.
    static bool isContainer(ControlKind kind);
};

}  // namespace dfm
