// The settings component of one window: keeps the window's placement, a list of its properties
// and, when it has one, its recent-file list between runs.
#pragma once

#include "RecentFiles.h"
#include "StoreFile.h"

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

class WindowSettings {
public:
    // window: the window whose placement is kept; store: the file (EditorStore::File,
    // ObjectViewStore::File); section: the window's section in it; mainWindow: minimizing it
    // minimizes the application.
    WindowSettings(QWidget& window, const StoreFile& store, const QString& section, UserPrompts& prompts,
                   bool mainWindow);
    ~WindowSettings();
    WindowSettings(const WindowSettings&) = delete;
    WindowSettings& operator=(const WindowSettings&) = delete;

    // The stored-property list, saved and restored in the order added, under the value names as
    // stored ("Memo1_Color"; a font's prefix "Memo1_Font" gets Charset .. Style appended).
    void addText(const QString& valueName, std::function<QString()> get, std::function<void(const QString&)> set);
    void addColor(const QString& valueName, std::function<std::int32_t()> get, std::function<void(std::int32_t)> set);
    void addBoolean(const QString& valueName, std::function<bool()> get, std::function<void(bool)> set);
    // A font with its colour. Character set and pitch have no part in a Qt font: they are kept
    // here as they were read, and written back so.
    void addFont(const QString& valueNamePrefix, std::function<QFont()> getFont, std::function<std::int32_t()> getColor,
                 std::function<void(const QFont&, std::int32_t)> set);
    // The recent-file list kept in this window's store under section; it is restored after the
    // placement and saved after it.
    void setRecentFiles(RecentFiles* recentFiles, const QString& section);

    // The window calls it from its show event, but not from a spontaneous one: the desktop sends
    // those when a minimized window comes back, and restoring then would undo the user's doing.
    void restore();
    // From its close event, once the close is allowed. Does nothing unless Restore ran before.
    // A store that cannot be written gives one error box; the window goes on closing.
    void save();
    // From its destructor: saves, with "Visible" as "1", only when nothing was saved since the
    // last restore.
    void saveAtDestruction();

    // An integer of the window's section, e.g. "CREATEBACKUP"; fallback when absent, 0 when no number.
    int readInteger(const QString& name, int fallback) const;
    // False when the store could not be written, or there is none; the caller decides whether to
    // tell.
    bool writeInteger(const QString& name, int value);

    QString section() const { return section_; }
    // The primary screen's logical dots per inch, rounded.
    static int screenPixelsPerInch();

private:
    struct Property {
        std::function<void(QSettings&)> save;
        std::function<void(const QSettings&)> restore;
    };

    QString storedKey(const QString& valueName) const;
    void saveAll(bool visible);
    void savePlacement(QSettings& settings, bool visible) const;
    void restorePlacement(const QSettings& settings);
    // normPos: "left,top,right,bottom"; a missing or non-numeric word keeps the current edge.
    void applyNormalRect(const QString& normPos);
    void restoreState(int showCmd);

    QWidget& window_;
    StoreFile store_;
    QString section_;
    UserPrompts& prompts_;
    bool mainWindow_;
    QPointer<RecentFiles> recentFiles_;
    QString recentFilesSection_;
    std::vector<Property> properties_;
    bool restored_ = false;
    bool savedSinceRestore_ = false;
};

}  // namespace dfm
