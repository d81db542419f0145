#include "CommandLineFileName.h"

#include "TextRules.h"

namespace dfm {

QString CommandLineFileName(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    QString name = TrimBlanks(arguments.mid(1).join(u' '));
    if (name.startsWith(u'"')) {
        name = TrimBlanks(name.mid(1));
        if (name.endsWith(u'"'))
            name.chop(1);
    }
    return TrimBlanks(name);
}

}  // namespace dfm
