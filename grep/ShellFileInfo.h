// What the desktop knows about one file, as the grep window's information panel shows it.
#pragma once

#include <QIcon>
#include <QString>

namespace dfm {

struct ShellFileInfo {
    enum Attribute : quint32 {
        CanCopy = 0x1,
        CanMove = 0x2,
        CanLink = 0x4,
        CanRename = 0x10,
        CanDelete = 0x20,
        HasPropertySheet = 0x40,
        DropTarget = 0x100,
        Link = 0x10000,
        Shared = 0x20000,
        ReadOnly = 0x40000,
    };

    QString displayName;
    QString typeName;
    QIcon icon;
    quint32 attributes = 0;

    // Never fails: a missing file gives empty names, no icon and no bits. A link is described
    // as the item itself (a dangling one still counts as present); its contents' bits follow the target.
    static ShellFileInfo get(const QString& path);
    // The attribute bits as the information panel prints them, e.g. "Can: [ Cpy Del] Is: [ RO]".
    static QString attributeSummary(quint32 attributes);
};

} // namespace dfm
