// Pictures of the standard edit and file commands, drawn for a desktop whose icon theme lacks them.
#pragma once

#include <QIcon>

namespace dfm {

enum class DrawnPicture { Open, Save, SaveAs, Exit, Undo, Redo, Cut, Copy, Paste, Find, Replace };

// The picture at 16 and 32 pixels, drawn in the usual colours of such icons.
QIcon drawnIcon(DrawnPicture picture);

}  // namespace dfm
