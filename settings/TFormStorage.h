// The settings component of one window: keeps the window's placement, a list of its properties
// and, when it has one, its recent-file list between runs.
#pragma once

#include "TMRUManager.h"

#include <QFont>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSettings;
class QWidget;

namespace dfm {

class UserPrompts;

class TFormStorage {
public:
    // Registry: the per-user store QuenDFMEd/QuenDFMEd.conf; IniFile: QuenDFMEd/QuenDFMEd.INI;
    // both under the XDG config folder.
    enum class Store { Registry, IniFile };

    // window: the window whose placement is kept; section: its class name ("TForm1",
    // "TFObjectView"); mainWindow: minimizing it minimizes the application.
    TFormStorage(QWidget& window, Store store, const QString& section, UserPrompts& prompts, bool mainWindow);
    ~TFormStorage();
    TFormStorage(const TFormStorage&) = delete;
    TFormStorage& operator=(const TFormStorage&) = delete;

    // The stored-property list, saved and restored in the order added, under the value names as
    // stored ("Memo1_Color"; a font's prefix "Memo1_Font" gets Charset .. Style appended).
    void AddText(const QString& valueName, std::function<QString()> get, std::function<void(const QString&)> set);
    void AddColor(const QString& valueName, std::function<std::int32_t()> get, std::function<void(std::int32_t)> set);
    void AddBoolean(const QString& valueName, std::function<bool()> get, std::function<void(bool)> set);
    // A font with its colour. Character set and pitch have no part in a Qt font: they are kept
    // here as they were read, and written back so.
    void AddFont(const QString& valueNamePrefix, std::function<QFont()> getFont, std::function<std::int32_t()> getColor,
                 std::function<void(const QFont&, std::int32_t)> set);
    // The recent-file list kept in this window's store, in the section "<section>.<its name>";
    // it is restored after the placement and saved after it.
    void SetRecentFiles(TMRUManager* recentFiles);

    // The window calls it from its show event, but not from a spontaneous one: the desktop sends
    // those when a minimized window comes back, and restoring then would undo the user's doing.
    void Restore();
    // From its close event, once the close is allowed. Does nothing unless Restore ran before.
    // A store that cannot be written gives one error box; the window goes on closing.
    void Save();
    // From its destructor: saves, with "Visible" as "1", only when nothing was saved since the
    // last restore.
    void SaveAtDestruction();

    // An integer of the window's section, e.g. "CREATEBACKUP"; fallback when absent, 0 when no number.
    int ReadInteger(const QString& name, int fallback) const;
    // False when the store could not be written; the caller decides whether to tell.
    bool WriteInteger(const QString& name, int value);

    QString Section() const { return section_; }
    static QString FileName(Store store);
    // The primary screen's logical dots per inch, rounded.
    static int PixelsPerInch();

private:
    struct Property {
        std::function<void(QSettings&)> save;
        std::function<void(const QSettings&)> restore;
    };

    std::unique_ptr<QSettings> OpenStore() const;
    QString Key(const QString& valueName) const;
    QString RecentFilesGroup() const;
    void SaveAll(bool visible);
    void SavePlacement(QSettings& settings, bool visible) const;
    void RestorePlacement(const QSettings& settings);
    // normPos: "left,top,right,bottom"; a missing or non-numeric word keeps the current edge.
    void ApplyNormalRect(const QString& normPos);
    void RestoreState(int showCmd);

    QWidget& window_;
    Store store_;
    QString section_;
    UserPrompts& prompts_;
    bool mainWindow_;
    QPointer<TMRUManager> recentFiles_;
    std::vector<Property> properties_;
    bool restored_ = false;
    bool savedSinceRestore_ = false;
};

}  // namespace dfm
