#include "CommandLineFileName.h"

#include "TextRules.h"

namespace dfm {

EditorCommandLine readEditorCommandLine(const QStringList& arguments)
{
    EditorCommandLine result;
    result.arguments = arguments;
    if (arguments.size() < 2)
        return result;
    const QString& first = arguments.at(1);
    if (first == QStringLiteral("-h") || first == QStringLiteral("--help")) {
        result.action = EditorCommandLine::Action::Help;
    } else if (first == QStringLiteral("--version")) {
        result.action = EditorCommandLine::Action::Version;
    } else if (first == QStringLiteral("--")) {
        result.arguments.removeAt(1);
    } else if (first.startsWith(QStringLiteral("--"))) {
        result.action = EditorCommandLine::Action::WrongUsage;
        result.unknownOption = first;
    }
    return result;
}

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
