// The text of the binary form's floats, as the form text writes them (without a kind's suffix).
#pragma once

#include "Extended80.h"

#include <cstdint>
#include <string>

namespace dfm {

// Each text reads back as the same value of its kind: a float read back from text is parsed as
// an extended, then narrowed to its own kind.
std::string extendedText(const Extended80& value);
std::string doubleText(double value);
std::string singleText(float value);
// A currency's raw value, ten thousand times the amount.
std::string currencyText(std::int64_t raw);

}  // namespace dfm
