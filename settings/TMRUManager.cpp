// The recent-file list, its submenu and its stored form.
#include "TMRUManager.h"

#include "StoredValue.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace dfm {

namespace {

QString ItemName(const QString& group, int index)
{
    return group + QStringLiteral("/Item_") + QString::number(index);
}

}  // namespace

TMRUManager::TMRUManager(QMenu* reopenMenu, QObject* parent)
    : QObject(parent), menu_(reopenMenu)
{
    setObjectName(QStringLiteral("MRUManager1"));
    RebuildMenu();
}

void TMRUManager::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    Insert(path);
    RebuildMenu();
}

void TMRUManager::Load(const QSettings& settings, const QString& group)
{
    items_.clear();
    // Oldest first, each to the top, so that the stored order comes back.
    for (int index = Capacity - 1; index >= 0; --index) {
        const QString path = StoredValue::Read(settings, ItemName(group, index)).value_or(QString());
        if (!path.isEmpty())
            Insert(path);
    }
    RebuildMenu();
}

void TMRUManager::Save(QSettings& settings, const QString& group) const
{
    settings.remove(group);
    for (int index = 0; index < items_.size(); ++index)
        StoredValue::Write(settings, ItemName(group, index), items_[index]);
}

QString TMRUManager::Caption(int index, const QString& path)
{
    const int number = index + 1;
    const QString accelerator = number <= 9 ? QString::number(number) : QStringLiteral("A");
    // A lone "&" in the path would turn the next letter into a second accelerator.
    return u'&' + accelerator + u' ' + QString(path).replace(u'&', QStringLiteral("&&"));
}

void TMRUManager::Insert(const QString& path)
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

void TMRUManager::RebuildMenu()
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
        QAction* entry = menu_->addAction(Caption(index, path));
        entry->setStatusTip(path);
        connect(entry, &QAction::triggered, this, [this, path] { emit Chosen(path); });
        entries_ << entry;
    }
    menu_->setEnabled(!items_.isEmpty());
}

}  // namespace dfm
