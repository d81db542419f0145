// The editor window's stored switches, in the editor's settings file.
#pragma once

namespace dfm {

class EditorSettings {
public:
    // "CREATEBACKUP": 1 means on, any other value off, absent means on.
    static bool ReadCreateBackup();
    static void WriteCreateBackup(bool on);
};

}  // namespace dfm
