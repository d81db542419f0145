// A small arbitrary-precision unsigned integer, enough for exact decimal <-> binary float conversion.
#pragma once

#include <cstdint>
#include <string>

namespace dfm {

// Limbs live inside the object (no allocation): the largest number ever needed, 5^16446 * 2^64
// for the smallest extended values, fits in MaxLimbs.
class BigUnsigned {
public:
    static constexpr int MaxLimbs = 1280;

    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value);
    BigUnsigned(const BigUnsigned& other) { *this = other; }
    BigUnsigned& operator=(const BigUnsigned& other);

    bool isZero() const { return size_ == 0; }
    int bitLength() const;
    bool testBit(int index) const;
    // The bits [from, from + 64) as a number (bits beyond the top read as 0).
    std::uint64_t bitsFrom(int from) const;
    // True when any bit below index is set.
    bool anyBitBelow(int index) const;

    void multiplySmall(std::uint32_t factor);
    void addSmall(std::uint32_t value);
    void multiplyByPow5(int exponent);
    void multiplyByPow10(int exponent);
    void shiftLeft(int bits);
    void shiftRight(int bits);
    // Divide in place, returning the remainder.
    std::uint32_t divideSmall(std::uint32_t divisor);
    void subtract(const BigUnsigned& other);  // requires *this >= other
    static int compare(const BigUnsigned& a, const BigUnsigned& b);

    // All decimal digits, most significant first ("0" for zero).
    std::string toDecimal() const;

private:
    void push(std::uint32_t limb);
    void trim();

    int size_ = 0;
    std::uint32_t limbs_[MaxLimbs];  // least significant first; only [0, size_) is meaningful
};

}  // namespace dfm
