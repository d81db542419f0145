// The editor window's settings store and every name it is stored under: the file, its sections and
// the window's values besides its placement.
#pragma once

#include "StoreFile.h"

#include <QLatin1StringView>

namespace dfm::EditorStore {

inline constexpr StoreFile File{"QuenDFMEd", "QuenDFMEd.conf", QSettings::NativeFormat};

// The window's section: its placement (written by WindowSettings) and the values below.
inline constexpr QLatin1StringView Section{"TForm1"};
// The recent-file list (RecentFiles): Item_0, the newest, up to Item_9.
inline constexpr QLatin1StringView RecentFilesSection{"TForm1.MRUManager1"};

// 1 when backups are made on saving, 0 when not.
inline constexpr QLatin1StringView CreateBackup{"CREATEBACKUP"};
inline constexpr QLatin1StringView OpenDialogFileName{"OpenDialog1_FileName"};
inline constexpr QLatin1StringView OpenDialogInitialDir{"OpenDialog1_InitialDir"};
inline constexpr QLatin1StringView SaveDialogFileName{"SaveDialog1_FileName"};
inline constexpr QLatin1StringView SaveDialogInitialDir{"SaveDialog1_InitialDir"};
// The pages' values carry the names of their widgets, "Memo1" the form page and "Memo2" the unit
// page. A font prefix gets the seven names of StoredFont::valueNames appended.
inline constexpr QLatin1StringView FormPageColor{"Memo1_Color"};
inline constexpr QLatin1StringView FormPageFont{"Memo1_Font"};
inline constexpr QLatin1StringView UnitPageColor{"Memo2_Color"};
inline constexpr QLatin1StringView UnitPageFont{"Memo2_Font"};
inline constexpr QLatin1StringView ShowHints{"AppEvents1_ShowHint"};
inline constexpr QLatin1StringView HintColor{"AppEvents1_HintColor"};
// The code page forms are read with when they neither declare nor show one: 1251, 932...
inline constexpr QLatin1StringView CodePage{"CodePage"};
// The class names the form check leaves out, separated by ";".
inline constexpr QLatin1StringView LintIgnoredClasses{"LintIgnoredClasses"};
// The switches of both pages' syntax colours (on unless stored off) and line numbers.
inline constexpr QLatin1StringView SyntaxColours{"ActSyntaxColors_Checked"};
inline constexpr QLatin1StringView LineNumbers{"ActLineNumbers_Checked"};
// The form view: shown or not (True/False), where it is docked (Left, Right, Top, Bottom or
// Floating), its place and size as "left,top,right,bottom" (in the window while docked, on the
// screen while floating), its zoom in percent and whether it shows the non-visual components.
inline constexpr QLatin1StringView FormViewShown{"FormView_Visible"};
inline constexpr QLatin1StringView FormViewArea{"FormView_Area"};
inline constexpr QLatin1StringView FormViewPlace{"FormView_NormPos"};
inline constexpr QLatin1StringView FormViewZoom{"FormView_Zoom"};
inline constexpr QLatin1StringView FormViewNonVisual{"FormView_NonVisual"};
inline constexpr QLatin1StringView FormViewGrid{"FormView_Grid"};

}  // namespace dfm::EditorStore
