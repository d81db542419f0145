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

    bool IsZero() const { return size_ == 0; }
    int BitLength() const;
    bool TestBit(int index) const;
    // The bits [from, from + 64) as a number (bits beyond the top read as 0).
    std::uint64_t BitsFrom(int from) const;
    // True when any bit below index is set.
    bool AnyBitBelow(int index) const;

    void MultiplySmall(std::uint32_t factor);
    void AddSmall(std::uint32_t value);
    void MultiplyByPow5(int exponent);
    void MultiplyByPow10(int exponent);
    void ShiftLeft(int bits);
    void ShiftRight(int bits);
    // Divide in place, returning the remainder.
    std::uint32_t DivideSmall(std::uint32_t divisor);
    void Subtract(const BigUnsigned& other);  // requires *this >= other
    static int Compare(const BigUnsigned& a, const BigUnsigned& b);

    // All decimal digits, most significant first ("0" for zero).
    std::string ToDecimal() const;

private:
    void Push(std::uint32_t limb);
    void Trim();

    int size_ = 0;
    std::uint32_t limbs_[MaxLimbs];  // least significant first; only [0, size_) is meaningful
};

}  // namespace dfm
