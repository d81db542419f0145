// The 80-bit extended float of the form stream, converted exactly in portable code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dfm {

struct Extended80 {
    std::uint64_t significand = 0;   // explicit integer bit on top
    std::uint16_t signExponent = 0;  // sign bit on top, exponent biased by 16383 below it

    static constexpr int ByteSize = 10;

    static Extended80 fromBytes(const unsigned char* bytes);
    void toBytes(unsigned char* bytes) const;

    static Extended80 fromDouble(double value);
    static Extended80 fromInt64(std::int64_t value);

    // Round to nearest, ties to even; out-of-range values become infinities.
    double toDouble() const;
    float toSingle() const;
    // Round to the nearest integer, ties to even; nothing when it does not fit.
    std::optional<std::int64_t> toInt64() const;

    // Decimal text ("-"? digits ("." digits?)? (("E"|"e") ("+"|"-")? digits)?) correctly rounded;
    // nothing when the text is malformed or the value is beyond the extended range.
    static std::optional<Extended80> parse(std::string_view text);

    // The form text's float format: 15 significant digits, "." as separator, "INF", "NAN".
    // More digits (up to 21) are rounded once, to nearest, for a value that needs them to read
    // back; 15 is what every form has always been written with.
    std::string toText(int significantDigits = 15) const;

    bool operator==(const Extended80&) const = default;
};

}  // namespace dfm
