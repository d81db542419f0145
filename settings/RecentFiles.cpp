// The recent-file list, its submenu and its stored form.
#include "RecentFiles.h"

#include "StoredValue.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace dfm {

namespace {

QString itemName(const QString& group, int index)
{
    return group + QStringLiteral("/Item_") + QString::number(index);
}

}  // namespace

RecentFiles::RecentFiles(QMenu* reopenMenu, QObject* parent)
    : QObject(parent), menu_(reopenMenu)
{
    setObjectName(QStringLiteral("MRUManager1"));
    rebuildMenu();
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    insert(path);
    rebuildMenu();
}

void RecentFiles::load(const QSettings& settings, const QString& group)
{
    items_.clear();
    // Oldest first, each to the top, so that the stored order comes back.
    for (int index = Capacity - 1; index >= 0; --index) {
        const QString path = StoredValue::read(settings, itemName(group, index)).value_or(QString());
        if (!path.isEmpty())
            insert(path);
    }
    rebuildMenu();
}

void RecentFiles::save(QSettings& settings, const QString& group) const
{
    settings.remove(group);
    for (int index = 0; index < items_.size(); ++index)
        StoredValue::write(settings, itemName(group, index), items_[index]);
}

QString RecentFiles::caption(int index, const QString& path)
{
    const int number = index + 1;
    const QString accelerator = number <= 9 ? QString::number(number) : QStringLiteral("A");
    // A lone "&" in the path would turn the next letter into a second accelerator.
    return u'&' + accelerator + u' ' + QString(path).replace(u'&', QStringLiteral("&&"));
}

void RecentFiles::insert(const QString& path)
{
    for (int index = 0; index < items_.size(); ++index) {
        if (items_[index].compare(path, Qt::CaseInsensitive) == 0) {
            items_.move(index, 0);
            return;
        }
    }
    items_.prepend(path);
    while (items_.size() > Capacity)
        items_.removeLast();
}

void RecentFiles::rebuildMenu()
{
    // Later, not now: the entry being chosen may be the one asking for this rebuild.
    for (const QPointer<QAction>& entry : entries_) {
        if (!entry)
            continue;
        if (menu_)
            menu_->removeAction(entry);
        entry->deleteLater();
    }
    entries_.clear();
    if (!menu_)
        return;
    for (int index = 0; index < items_.size(); ++index) {
        const QString path = items_[index];
        QAction* entry = menu_->addAction(caption(index, path));
        entry->setStatusTip(path);
        connect(entry, &QAction::triggered, this, [this, path] { emit chosen(path); });
        entries_ << entry;
    }
    menu_->setEnabled(!items_.isEmpty());
}

}  // namespace dfm
