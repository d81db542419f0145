// Compares two binary form streams object by object and value by value, where a value counts as
// the same when only its kind changed: an integral float that came back as an integer, a double
// that came back as an extended of the same double, a wide string that came back narrow.
#pragma once

#include "ByteStream.h"

#include <optional>
#include <string>

namespace dfm {

// Both streams at their "TPF0" signature. Nothing when they hold the same objects and values;
// else where the first change is: the path of its property (Form1.Panel1.Font.Height), or of
// its object when the objects themselves differ. A stream that cannot be read differs there.
std::optional<std::string> firstChangedValue(ByteStream& original, ByteStream& rewritten);

}  // namespace dfm
