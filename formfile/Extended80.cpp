#include "Extended80.h"

#include "AsciiText.h"
#include "BigUnsigned.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <tuple>
#include <utility>
#include <cstring>

namespace dfm {

namespace {

constexpr int ExtendedBias = 16383;
constexpr int ExtendedMaxField = 0x7FFF;

// A magnitude truncated to 64 bits: value = (top + round/2 + sticky) * 2^(exponent - 63),
// top having bit 63 set. Keeping the floor plus the sticky bit lets it be rounded exactly once,
// at whatever precision the target needs.
struct Truncated {
    std::uint64_t top = 0;
    int exponent = 0;
    bool round = false;
    bool sticky = false;
};

struct Rounded {
    std::uint64_t kept = 0;  // the significand at the target precision (integer bit included)
    int exponent = 0;        // the unbiased exponent of a normal result
    bool subnormal = false;  // kept is then scaled by 2^(minExponent - precision + 1)
    bool overflow = false;
};

Rounded roundTo(const Truncated& t, int precision, int minExponent, int maxExponent)
{
    Rounded r;
    int drop = 64 - precision;
    int exponent = t.exponent;
    if (exponent < minExponent) {
        drop += minExponent - exponent;
        r.subnormal = true;
    }
    if (drop >= 65)
        return r;  // below half the smallest step: zero
    std::uint64_t kept = t.top;
    bool round = t.round;
    bool sticky = t.sticky;
    if (drop > 0) {
        sticky = sticky || round || (drop > 1 && (t.top & ((std::uint64_t{1} << (drop - 1)) - 1)) != 0);
        round = ((t.top >> (drop - 1)) & 1u) != 0;
        kept = drop == 64 ? 0 : t.top >> drop;
    }
    if (round && (sticky || (kept & 1u) != 0))
        ++kept;
    if (!r.subnormal && precision < 64 && kept == (std::uint64_t{1} << precision)) {
        kept >>= 1;
        ++exponent;
    } else if (!r.subnormal && precision == 64 && kept == 0) {
        kept = std::uint64_t{1} << 63;  // carried out of 64 bits
        ++exponent;
    }
    if (r.subnormal && kept == (std::uint64_t{1} << (precision - 1))) {
        r.subnormal = false;  // rounded up into the smallest normal
        exponent = minExponent;
    }
    r.kept = kept;
    r.exponent = exponent;
    r.overflow = !r.subnormal && exponent > maxExponent;
    return r;
}

bool isNegative(const Extended80& x)
{
    return (x.signExponent & 0x8000u) != 0;
}

int exponentField(const Extended80& x)
{
    return x.signExponent & ExtendedMaxField;
}

// Finite non-zero extended as a normalised truncated magnitude (exact: no bits dropped).
Truncated normalise(const Extended80& x)
{
    Truncated t;
    const int shift = std::countl_zero(x.significand);
    t.top = x.significand << shift;
    // A zero exponent field scales like field 1 (denormals), without the implicit normal bit.
    const int field = exponentField(x) == 0 ? 1 : exponentField(x);
    t.exponent = field - ExtendedBias - shift;
    return t;
}

template <typename Bits>
Bits encodeIeee(bool negative, const Extended80& x, int precision, int minExponent, int maxExponent)
{
    constexpr int totalBits = static_cast<int>(sizeof(Bits) * 8);
    const int exponentBits = totalBits - precision;
    const Bits signBit = Bits{1} << (totalBits - 1);
    const Bits fieldMax = (Bits{1} << exponentBits) - 1;
    const Bits mantissaMask = (Bits{1} << (precision - 1)) - 1;
    Bits bits = negative ? signBit : 0;
    const int field = exponentField(x);
    if (field == ExtendedMaxField) {
        const bool infinity = (x.significand >> 48) == 0x8000u;
        bits |= fieldMax << (precision - 1);
        if (!infinity)
            bits |= Bits{1} << (precision - 2);
        return bits;
    }
    if (x.significand == 0)
        return bits;
    const Rounded r = roundTo(normalise(x), precision, minExponent, maxExponent);
    if (r.overflow)
        return bits | (fieldMax << (precision - 1));
    if (r.subnormal)
        return bits | static_cast<Bits>(r.kept);
    const Bits biased = static_cast<Bits>(r.exponent + maxExponent);
    return bits | (biased << (precision - 1)) | (static_cast<Bits>(r.kept) & mantissaMask);
}

std::optional<Extended80> encode(bool negative, const Truncated& t)
{
    const Rounded r = roundTo(t, 64, 1 - ExtendedBias, ExtendedBias);
    if (r.overflow)
        return std::nullopt;
    Extended80 x;
    x.significand = r.kept;
    if (r.kept != 0 && !r.subnormal)
        x.signExponent = static_cast<std::uint16_t>(r.exponent + ExtendedBias);
    if (negative)
        x.signExponent |= 0x8000u;
    return x;
}

Truncated fromInteger(const BigUnsigned& n)
{
    const int length = n.bitLength();
    Truncated t;
    t.top = n.bitsFrom(length - 64);
    t.round = n.testBit(length - 65);
    t.sticky = length > 65 && n.anyBitBelow(length - 65);
    t.exponent = length - 1;
    return t;
}

__extension__ typedef unsigned __int128 UInt128;

int bitWidth128(UInt128 n)
{
    const auto high = static_cast<std::uint64_t>(n >> 64);
    return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(n));
}

// n * 2^scale, with sticky for anything below n already dropped.
Truncated fromUInt128(UInt128 n, int scale, bool sticky)
{
    const int length = bitWidth128(n);
    Truncated t;
    if (length <= 64) {
        t.top = static_cast<std::uint64_t>(n) << (64 - length);
        t.sticky = sticky;
    } else {
        const int drop = length - 64;
        t.top = static_cast<std::uint64_t>(n >> drop);
        t.round = ((n >> (drop - 1)) & 1u) != 0;
        t.sticky = sticky || (drop > 1 && (n & ((UInt128{1} << (drop - 1)) - 1)) != 0);
    }
    t.exponent = length - 1 + scale;
    return t;
}

// floor(num / den), which must be below 2^127, and whether a remainder is left.
std::pair<UInt128, bool> quotientOf(BigUnsigned num, const BigUnsigned& den)
{
    int bits = num.bitLength() - den.bitLength();
    if (bits < 0)
        return {0, !num.isZero()};
    BigUnsigned step = den;
    step.shiftLeft(bits);
    UInt128 quotient = 0;
    for (; bits >= 0; --bits) {
        quotient <<= 1;
        if (BigUnsigned::compare(num, step) >= 0) {
            num.subtract(step);
            quotient |= 1;
        }
        step.shiftRight(1);
    }
    return {quotient, !num.isZero()};
}

// The quotient num / den as a truncated magnitude; both non-zero.
Truncated divide(BigUnsigned num, BigUnsigned den)
{
    // Scaled so that the quotient has 66 or 67 bits: more than the 64 kept and the round bit.
    const int shift = 66 + den.bitLength() - num.bitLength();
    if (shift >= 0)
        num.shiftLeft(shift);
    else
        den.shiftLeft(-shift);
    const auto [quotient, remainder] = quotientOf(num, den);
    return fromUInt128(quotient, -shift, remainder);
}

UInt128 low128(const BigUnsigned& n)
{
    return (UInt128{n.bitsFrom(64)} << 64) | n.bitsFrom(0);
}

std::string decimalOf(UInt128 n)
{
    constexpr std::uint64_t Base = 10000000000000000000u;  // 10^19
    const auto high = static_cast<std::uint64_t>(n / Base);
    const auto low = static_cast<std::uint64_t>(n % Base);
    if (high == 0)
        return std::to_string(low);
    std::string lowText = std::to_string(low);
    return std::to_string(high) + std::string(19 - lowText.size(), '0') + lowText;
}

// The leading decimal digits of significand * 2^k (at least 21 of them) and the exponent E with
// value = 0.d1d2... * 10^E; sticky tells whether anything non-zero follows the digits given.
// Values of ordinary size are expanded exactly; the extremes are scaled by a power of ten
// first, so that no value costs more than a few big-number operations.
void leadingDigits(std::uint64_t significand, int k, std::string& digits, int& exponent, bool& sticky)
{
    BigUnsigned n(significand);
    sticky = false;
    if (k >= 0 && k <= 400) {
        n.shiftLeft(k);
        digits = n.toDecimal();
        exponent = static_cast<int>(digits.size());
        return;
    }
    if (k < 0 && k >= -200) {
        n.multiplyByPow5(-k);
        digits = n.toDecimal();
        exponent = static_cast<int>(digits.size()) + k;
        return;
    }
    // value lies in [10^e10, 10^(e10 + 2)); scaled by 10^q it has 22 or 23 digits.
    const int binaryLength = std::bit_width(significand) + k;
    const auto e10 = static_cast<int>(std::floor((binaryLength - 1) * 0.30102999566398120));
    const int q = 21 - e10;
    UInt128 scaled;
    if (q >= 0) {
        n.multiplyByPow10(q);
        sticky = n.anyBitBelow(-k);
        n.shiftRight(-k);
        scaled = low128(n);
    } else {
        n.shiftLeft(k);
        BigUnsigned power(1);
        power.multiplyByPow10(-q);
        std::tie(scaled, sticky) = quotientOf(n, power);
    }
    digits = decimalOf(scaled);
    exponent = static_cast<int>(digits.size()) - q;
}

// The usual decimals of a form (up to 19 digits, a small exponent) in 128-bit arithmetic;
// nothing when the value needs the general path.
std::optional<Truncated> smallDecimal(std::string_view digits, long long exponent10)
{
    if (digits.size() > 19 || exponent10 > 38 || exponent10 < -27)
        return std::nullopt;
    std::uint64_t d = 0;
    for (const char c : digits)
        d = d * 10 + static_cast<std::uint64_t>(c - '0');
    if (exponent10 >= 0) {
        UInt128 scale = 1;
        for (long long i = 0; i < exponent10; ++i)
            scale *= 10;
        if (std::bit_width(d) + bitWidth128(scale) > 128)
            return std::nullopt;
        return fromUInt128(d * scale, 0, false);
    }
    // d / 10^j = d / (5^j * 2^j): divide by 5^j with enough quotient bits, the rest is sticky.
    const int j = static_cast<int>(-exponent10);
    std::uint64_t pow5 = 1;
    for (int i = 0; i < j; ++i)
        pow5 *= 5;
    const int shift = 65 + std::bit_width(pow5) - std::bit_width(d);
    const UInt128 numerator = UInt128{d} << shift;
    return fromUInt128(numerator / pow5, -shift - j, numerator % pow5 != 0);
}

// Digits of a decimal string rounded to keep at most `count` of them; ties go up when
// `tiesToEven` is false. A carry out of the first digit adds one to the exponent.
void roundDigits(std::string& digits, int& exponent, std::size_t count, bool tiesToEven, bool sticky = false)
{
    if (digits.size() <= count)
        return;
    const char next = digits[count];
    bool up = next > '5';
    if (next == '5') {
        const bool restNonZero = sticky || digits.find_first_not_of('0', count + 1) != std::string::npos;
        up = !tiesToEven || restNonZero || ((digits[count - 1] - '0') & 1) != 0;
    }
    digits.resize(count);
    if (!up)
        return;
    for (std::size_t i = count; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
}

}  // namespace

Extended80 Extended80::fromBytes(const unsigned char* bytes)
{
    Extended80 x;
    for (int i = 7; i >= 0; --i)
        x.significand = (x.significand << 8) | bytes[i];
    x.signExponent = static_cast<std::uint16_t>(bytes[8] | (bytes[9] << 8));
    return x;
}

void Extended80::toBytes(unsigned char* bytes) const
{
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(significand >> (8 * i));
    bytes[8] = static_cast<unsigned char>(signExponent);
    bytes[9] = static_cast<unsigned char>(signExponent >> 8);
}

Extended80 Extended80::fromDouble(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int field = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    Extended80 x;
    if (field == 0x7FF) {
        x.signExponent = ExtendedMaxField;
        x.significand = (std::uint64_t{1} << 63) | (mantissa << 11);
    } else if (field != 0 || mantissa != 0) {
        std::uint64_t significand = field != 0 ? (mantissa | (std::uint64_t{1} << 52)) : mantissa;
        const int exponent = (field != 0 ? field : 1) - 1023 - 52;  // value = significand * 2^exponent
        const int shift = std::countl_zero(significand);
        significand <<= shift;
        x.significand = significand;
        x.signExponent = static_cast<std::uint16_t>(exponent + 63 - shift + ExtendedBias);
    }
    if (negative)
        x.signExponent |= 0x8000u;
    return x;
}

Extended80 Extended80::fromInt64(std::int64_t value)
{
    Extended80 x;
    if (value == 0)
        return x;
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    const int shift = std::countl_zero(magnitude);
    x.significand = magnitude << shift;
    x.signExponent = static_cast<std::uint16_t>(63 - shift + ExtendedBias);
    if (negative)
        x.signExponent |= 0x8000u;
    return x;
}

double Extended80::toDouble() const
{
    return std::bit_cast<double>(encodeIeee<std::uint64_t>(isNegative(*this), *this, 53, -1022, 1023));
}

float Extended80::toSingle() const
{
    return std::bit_cast<float>(encodeIeee<std::uint32_t>(isNegative(*this), *this, 24, -126, 127));
}

std::optional<std::int64_t> Extended80::toInt64() const
{
    if (exponentField(*this) == ExtendedMaxField)
        return std::nullopt;
    if (significand == 0)
        return 0;
    const Truncated t = normalise(*this);
    if (t.exponent >= 63) {
        // Only -2^63 fits at this magnitude.
        if (isNegative(*this) && t.exponent == 63 && t.top == (std::uint64_t{1} << 63))
            return INT64_MIN;
        return std::nullopt;
    }
    // Round to an integer: precision = exponent + 1 bits, as a "subnormal" of minimum exponent 0.
    std::uint64_t magnitude = 0;
    if (t.exponent >= 0) {
        const int drop = 63 - t.exponent;
        magnitude = drop == 0 ? t.top : t.top >> drop;
        const bool round = drop > 0 && ((t.top >> (drop - 1)) & 1u) != 0;
        const bool sticky = drop > 1 && (t.top & ((std::uint64_t{1} << (drop - 1)) - 1)) != 0;
        if (round && (sticky || (magnitude & 1u) != 0))
            ++magnitude;
    } else if (t.exponent == -1 && t.top != (std::uint64_t{1} << 63)) {
        magnitude = 1;  // above one half
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX))
        return isNegative(*this) && magnitude == (std::uint64_t{1} << 63) ? std::optional<std::int64_t>(INT64_MIN)
                                                                          : std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);
    return isNegative(*this) ? -value : value;
}

std::optional<Extended80> Extended80::parse(std::string_view text)
{
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    std::string digits;  // significant digits, leading zeros dropped
    long long exponent10 = 0;  // value = digits * 10^exponent10
    bool anyDigit = false;
    for (; i < text.size() && ascii::isDigit(static_cast<unsigned char>(text[i])); ++i) {
        anyDigit = true;
        if (!digits.empty() || text[i] != '0')
            digits.push_back(text[i]);
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && ascii::isDigit(static_cast<unsigned char>(text[i])); ++i) {
            anyDigit = true;
            --exponent10;
            if (!digits.empty() || text[i] != '0')
                digits.push_back(text[i]);
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == text.size())
            return std::nullopt;
        long long written = 0;
        for (; i < text.size() && ascii::isDigit(static_cast<unsigned char>(text[i])); ++i)
            written = written < 100000000 ? written * 10 + (text[i] - '0') : written;
        exponent10 += negativeExponent ? -written : written;
    }
    if (i != text.size())
        return std::nullopt;

    Extended80 zero;
    if (negative)
        zero.signExponent = 0x8000u;
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++exponent10;
    }
    if (digits.empty())
        return zero;
    // The extended range spans about 10^-4951 to 10^4932.
    const long long magnitude10 = exponent10 + static_cast<long long>(digits.size());
    if (magnitude10 > 4934)
        return std::nullopt;
    if (magnitude10 < -4952)
        return zero;
    if (const auto small = smallDecimal(digits, exponent10))
        return encode(negative, *small);

    BigUnsigned n;
    for (std::size_t k = 0; k < digits.size(); k += 9) {
        const std::size_t chunk = std::min<std::size_t>(9, digits.size() - k);
        std::uint32_t value = 0;
        std::uint32_t scale = 1;
        for (std::size_t d = 0; d < chunk; ++d) {
            value = value * 10 + static_cast<std::uint32_t>(digits[k + d] - '0');
            scale *= 10;
        }
        n.multiplySmall(scale);
        n.addSmall(value);
    }
    if (exponent10 >= 0) {
        n.multiplyByPow10(static_cast<int>(exponent10));
        return encode(negative, fromInteger(n));
    }
    BigUnsigned den(1);
    den.multiplyByPow10(static_cast<int>(-exponent10));
    return encode(negative, divide(n, den));
}

std::string Extended80::toText(int significantDigits) const
{
    const int field = exponentField(*this);
    if (field == ExtendedMaxField)
        return (significand >> 48) == 0x8000u ? "INF" : "NAN";
    if (field == 0 || significand == 0)
        return "0";

    std::string digits;
    int exponent;  // value = 0.d1d2... * 10^exponent
    bool sticky;
    leadingDigits(significand, field - ExtendedBias - 63, digits, exponent, sticky);
    if (significantDigits <= 15) {
        roundDigits(digits, exponent, 18, true, sticky);
        roundDigits(digits, exponent, 15, false);
    } else {
        roundDigits(digits, exponent, static_cast<std::size_t>(std::min(significantDigits, 21)), true, sticky);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = isNegative(*this) ? "-" : "";
    const int m = static_cast<int>(digits.size());
    if (exponent >= -3 && exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent), '0');
        out += digits;
    } else if (exponent >= 1 && exponent <= 15) {
        out.append(digits, 0, static_cast<std::size_t>(std::min(m, exponent)));
        if (m < exponent)
            out.append(static_cast<std::size_t>(exponent - m), '0');
        if (m > exponent) {
            out += '.';
            out.append(digits, static_cast<std::size_t>(exponent));
        }
    } else {
        out += digits[0];
        if (m > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent - 1);
    }
    return out;
}

}  // namespace dfm
