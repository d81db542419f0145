// Reads the objects of a form text into the items of the object view's tree, with no window involved.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace dfm {

struct ObjectTreeItem
{
    QString text;
    int lineIndex;
    int depth;  // where the item sits in the tree: 0 for a top-level item
};

struct ObjectTree
{
    QList<ObjectTreeItem> items;
    // The item of the 0-based line refusedLine could not be placed; items hold what came before it.
    bool refused = false;
    int refusedLine = -1;
};

namespace ObjectTreeBuilder {

// One pass over the lines: an item for each object line with a "Name: Class" text, in line order,
// each after its parent.
ObjectTree build(const QStringList& lines);

}  // namespace ObjectTreeBuilder

}  // namespace dfm
