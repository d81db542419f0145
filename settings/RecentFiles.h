// The recent-file list: the ten most recently opened paths, newest first, shown as the entries of
// the "Re-open ..." submenu and kept in the settings store.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QMenu;
class QSettings;

namespace dfm {

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 10;

    // reopenMenu: the submenu this fills; it is disabled while the list is empty. The component
    // is named "MRUManager1", the name its stored section (EditorStore) carries.
    explicit RecentFiles(QMenu* reopenMenu, QObject* parent = nullptr);

    // A path already listed (compared without regard to case) moves to the top in its listed
    // letter case; a new one goes on top and the oldest beyond ten drop off.
    void add(const QString& path);
    QStringList items() const { return items_; }
    // Replaces the list with the values "Item_0" (newest) up to "Item_9" of group.
    void load(const QSettings& settings, const QString& group);
    // Replaces group with the list; an empty list leaves no group.
    void save(QSettings& settings, const QString& group) const;
    // The submenu caption of the entry at index: "&1 path" .. "&9 path", "&A path".
    static QString caption(int index, const QString& path);

signals:
    // A submenu entry was chosen; the list stays as it is until the file is opened.
    void chosen(const QString& path);

private:
    void insert(const QString& path);
    void rebuildMenu();

    QPointer<QMenu> menu_;
    QList<QPointer<QAction>> entries_;
    QStringList items_;
};

}  // namespace dfm
