// The one form file name a command line carries, and the options that come before it.
#pragma once

#include <QString>
#include <QStringList>

namespace dfm {

// What the editor is asked to do by its arguments.
struct EditorCommandLine {
    enum class Action { Open, Help, Version, WrongUsage };
    Action action = Action::Open;
    // For Open: the program name and the words that name the form, for commandLineFileName.
    QStringList arguments;
    // For WrongUsage: the option that is not known.
    QString unknownOption;
};

// Options are read only in front: "-h", "--help", "--version", and "--", after which everything
// names the form. Any other first word starting with "--" is an unknown option; every other
// first word begins the form's name, so names with blanks still open unquoted.
EditorCommandLine readEditorCommandLine(const QStringList& arguments);

// The arguments after the program name, joined with single blanks, are one name; surrounding
// double quotes and blanks are removed. Empty when there is nothing to open.
QString commandLineFileName(const QStringList& arguments);

}  // namespace dfm
