// Values as form text writes them after "Name = ", for the edits a view makes: what a user types
// becomes a value here, or is refused with a message naming it.
#pragma once

#include "FormModel.h"

#include <QStringList>

#include <cstdint>
#include <string_view>

namespace dfm {

namespace ValueText {

// A string as quoted runs and #n escapes, at most 64 characters a line.
QStringList stringValue(const QString& text);
// A string list: "(", each string, ")".
QStringList stringListValue(const QStringList& strings);
QStringList integerValue(std::int64_t value);
// An identifier (an enumeration's value, a colour's name, True, False, a component, which may be
// another module's: DataModule2.DataSource1); throws FormEditError.
QStringList identifierValue(const QString& name);
// A set of identifiers: "[a, b]".
QStringList setValue(const QStringList& names);
// A number as typed: an integer, or a float as form text writes one; throws FormEditError
// naming property.
QStringList numberValue(const QString& typed, std::string_view property);
// The value a user typed for a property that takes any kind: it must read as one value of form
// text (a number, a quoted string, an identifier, a set, a list); throws FormEditError naming
// property.
QStringList typedValue(const QString& typed, std::string_view property);
// A name as the model holds it, in UTF-8.
QString nameText(std::string_view name);
// Refuses what a user typed for property with a message naming both and saying why; a text of
// blanks is told as empty.
[[noreturn]] void refuse(const QString& typed, std::string_view property, const QString& why);
// The model of form text held in a string, read as UTF-8; throws what the reader throws.
FormModel readFormText(const QString& text);
// Whether name can be an object's or a property's name.
bool isIdentifier(const QString& name);
// A property's name: identifiers joined by dots.
bool isPropertyName(const QString& name);

}  // namespace ValueText

}  // namespace dfm
