// The extended float: its bytes, the text format, correctly rounded parsing and narrowing.
#include "Extended80.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace dfm {
namespace {

Extended80 parsed(const char* text)
{
    const auto value = Extended80::parse(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Extended80{});
}

TEST(Extended80, TextFormat)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"}, {-0.0, "0"}, {192, "192"}, {1.5, "1.5"}, {-1.5, "-1.5"}, {100000, "100000"},
        {0.5, "0.5"}, {0.0001, "0.0001"}, {0.00001, "1E-5"}, {1e20, "1E20"}, {1e15, "1E15"},
        {123456789012345.0, "123456789012345"}, {1234567890123456.0, "1.23456789012346E15"},
        {123456789012345678.0, "1.23456789012346E17"}, {0.1, "0.1"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {999999999999999.9, "1E15"}, {9999999999999999.0, "1E16"}, {-2.5e-300, "-2.5E-300"}, {0.001, "0.001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Extended80::fromDouble(c.value).toText(), c.text);
    }
    EXPECT_EQ(Extended80::fromDouble(0.1f).toText(), "0.100000001490116");
    EXPECT_EQ(Extended80::fromInt64(15000).toText(), "15000");
    EXPECT_EQ(Extended80::fromInt64(std::numeric_limits<std::int64_t>::min()).toText(), "-9.22337203685478E18");
}

TEST(Extended80, SpecialValues)
{
    const auto fromBytes = [](std::uint64_t significand, std::uint16_t se) { return Extended80{significand, se}; };
    EXPECT_EQ(fromBytes(0x8000000000000000u, 0x7FFF).toText(), "INF");
    EXPECT_EQ(fromBytes(0x8000000000000000u, 0xFFFF).toText(), "INF");
    EXPECT_EQ(fromBytes(0x8000FFFFFFFFFFFFu, 0x7FFF).toText(), "INF");
    EXPECT_EQ(fromBytes(0xC000000000000000u, 0x7FFF).toText(), "NAN");
    EXPECT_EQ(fromBytes(0x0000000000000001u, 0x0000).toText(), "0");  // denormal
    EXPECT_EQ(fromBytes(0x0000000000000000u, 0x3FFF).toText(), "0");  // zero significand
    EXPECT_EQ(fromBytes(0x4000000000000000u, 0x3FFF).toText(), "0.5");  // integer bit clear
    // The largest and smallest normal magnitudes print without trouble.
    EXPECT_EQ(fromBytes(0xFFFFFFFFFFFFFFFFu, 0x7FFE).toText(), "1.18973149535723E4932");
    EXPECT_EQ(fromBytes(0x8000000000000000u, 0x0001).toText(), "3.36210314311209E-4932");
}

TEST(Extended80, BytesRoundTrip)
{
    const Extended80 x{0x8123456789ABCDEFu, 0xC001};
    unsigned char bytes[10];
    x.toBytes(bytes);
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[7], 0x81);
    EXPECT_EQ(bytes[8], 0x01);
    EXPECT_EQ(bytes[9], 0xC0);
    EXPECT_EQ(Extended80::fromBytes(bytes), x);
}

TEST(Extended80, ParseAcceptsAndRefuses)
{
    for (const char* text : {"1", "-1", "1.", "1.5", "1E5", "1e+5", "1E-5", "-0", "0.000", "00012.50"})
        EXPECT_TRUE(Extended80::parse(text).has_value()) << text;
    for (const char* text : {"", "-", ".", "1-2", "1.2.3", "1E", "1E+", "E5", "1e5x", "1+", "--1", "1E99999"})
        EXPECT_FALSE(Extended80::parse(text).has_value()) << text;
    EXPECT_EQ(parsed("1E-99999").toText(), "0");
    EXPECT_EQ(parsed("1.5").toDouble(), 1.5);
    EXPECT_EQ(parsed("-2.5E-300").toDouble(), -2.5e-300);
}

// Rounding is exact: a decimal halfway between two extended values goes to the even one.
TEST(Extended80, ParseRoundsHalfwayToEven)
{
    // 2^64 + 1 lies halfway between 2^64 and 2^64 + 2.
    EXPECT_EQ(parsed("18446744073709551617").significand, 0x8000000000000000u);
    // 2^64 + 3 lies halfway between 2^64 + 2 and 2^64 + 4.
    EXPECT_EQ(parsed("18446744073709551619").significand, 0x8000000000000002u);
    EXPECT_EQ(parsed("18446744073709551617.000000000000000000001").significand, 0x8000000000000001u);
}

TEST(Extended80, NarrowingRoundsToNearestEven)
{
    EXPECT_EQ(parsed("0.1").toSingle(), 0.1f);
    EXPECT_EQ(parsed("0.1").toDouble(), 0.1);
    EXPECT_EQ(parsed("1E40").toSingle(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(parsed("1E-50").toSingle(), 0.0f);
    EXPECT_EQ(parsed("1E-40").toSingle(), 1e-40f);  // a single denormal
    EXPECT_EQ(parsed("4.9E-324").toDouble(), 4.9e-324);
    EXPECT_EQ(parsed("15000").toInt64(), 15000);
    EXPECT_EQ(parsed("2.5").toInt64(), 2);
    EXPECT_EQ(parsed("3.5").toInt64(), 4);
    EXPECT_EQ(parsed("-0.6").toInt64(), -1);
    EXPECT_EQ(parsed("0.5").toInt64(), 0);
    EXPECT_EQ(parsed("-9223372036854775808").toInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(parsed("9223372036854775808").toInt64().has_value());
    EXPECT_FALSE(parsed("1E30").toInt64().has_value());
}

// On hosts whose long double is the 80-bit format, the C library is an independent oracle.
TEST(Extended80, AgreesWithTheHostOnRandomValues)
{
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        GTEST_SKIP() << "long double is not the 80-bit extended format here";
    } else {
        std::mt19937_64 random(42);
        for (int i = 0; i < 3000; ++i) {
            // Random decimal text, from short to many digits, across the exponent range.
            std::string text = std::to_string(random() % 1000000000000000000ull);
            text.insert(1, ".");
            const int exponent = static_cast<int>(random() % 9000) - 4500;
            text += "E" + std::to_string(i % 3 != 0 ? exponent % 30 : exponent);
            const Extended80 ours = parsed(text.c_str());
            const long double host = std::strtold(text.c_str(), nullptr);
            unsigned char hostBytes[16] = {};
            std::memcpy(hostBytes, &host, 10);
            ASSERT_EQ(ours, Extended80::fromBytes(hostBytes)) << text;

            // 18 digits, correctly rounded by the C library, then the 15-digit rule.
            char printed[64];
            std::snprintf(printed, sizeof printed, "%.17Le", host);
            std::string digits = std::string(1, printed[0]) + std::string(printed + 2, 17);
            int exp10 = std::atoi(std::strchr(printed, 'e') + 1) + 1;
            if (digits[15] >= '5') {
                int k = 14;
                while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9')
                    digits[static_cast<std::size_t>(k--)] = '0';
                if (k < 0) {
                    digits.insert(digits.begin(), '1');
                    ++exp10;
                } else {
                    ++digits[static_cast<std::size_t>(k)];
                }
            }
            digits.resize(15);
            while (digits.size() > 1 && digits.back() == '0')
                digits.pop_back();
            const std::string expected = exp10 >= -3 && exp10 <= 15
                ? ""  // the fixed notations are covered by the table above
                : digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "E"
                    + std::to_string(exp10 - 1);
            if (!expected.empty()) {
                ASSERT_EQ(ours.toText(), expected) << text;
            }
        }
    }
}

}  // namespace
}  // namespace dfm
