#include "FloatText.h"

#include <string>

namespace dfm {

namespace {

// Fifteen significant digits, as forms have always been written, unless those do not read back
// as the value: then the fewest more that do, up to mostDigits. A value that none of them carries
// (an unnormal extended) keeps its fifteen.
template <typename ReadsBack>
std::string shortestText(const Extended80& value, int mostDigits, ReadsBack readsBack)
{
    const std::string text = value.toText();
    if (text == "0" || text == "INF" || text == "NAN" || readsBack(text))
        return text;
    for (int digits = 16; digits <= mostDigits; ++digits) {
        std::string longer = value.toText(digits);
        if (readsBack(longer))
            return longer;
    }
    return text;
}

}  // namespace

std::string extendedText(const Extended80& value)
{
    return shortestText(value, 21, [&](const std::string& text) { return Extended80::parse(text) == value; });
}

std::string doubleText(double value)
{
    return shortestText(Extended80::fromDouble(value), 17, [&](const std::string& text) {
        const auto read = Extended80::parse(text);
        return read && read->toDouble() == value;
    });
}

std::string singleText(float value)
{
    return shortestText(Extended80::fromDouble(value), 9, [&](const std::string& text) {
        const auto read = Extended80::parse(text);
        return read && read->toSingle() == value;
    });
}

// A raw value of more than 15 digits needs more; 19 always read back.
std::string currencyText(std::int64_t raw)
{
    return shortestText(Extended80::fromInt64(raw), 19, [&](const std::string& text) {
        const auto read = Extended80::parse(text);
        return read && read->toInt64() == raw;
    });
}

}  // namespace dfm
