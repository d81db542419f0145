// The one form file name a command line carries.
#pragma once

#include <QString>
#include <QStringList>

namespace dfm {

// The arguments after the program name, joined with single blanks, are one name; surrounding
// double quotes and blanks are removed. Empty when there is nothing to open.
QString commandLineFileName(const QStringList& arguments);

}  // namespace dfm
