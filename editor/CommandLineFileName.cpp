#include "CommandLineFileName.h"

#include "TextRules.h"

namespace dfm {

QString commandLineFileName(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    QString name = trimBlanks(arguments.mid(1).join(u' '));
    if (name.startsWith(u'"')) {
        name = trimBlanks(name.mid(1));
        if (name.endsWith(u'"'))
            name.chop(1);
    }
    return trimBlanks(name);
}

}  // namespace dfm
