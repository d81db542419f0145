#include "BigUnsigned.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace dfm {

BigUnsigned::BigUnsigned(std::uint64_t value)
{
    while (value != 0) {
        push(static_cast<std::uint32_t>(value));
        value >>= 32;
    }
}

BigUnsigned& BigUnsigned::operator=(const BigUnsigned& other)
{
    size_ = other.size_;
    std::memcpy(limbs_, other.limbs_, static_cast<std::size_t>(size_) * sizeof limbs_[0]);
    return *this;
}

void BigUnsigned::push(std::uint32_t limb)
{
    if (size_ == MaxLimbs)
        throw std::length_error("number too large");
    limbs_[size_++] = limb;
}

void BigUnsigned::trim()
{
    while (size_ > 0 && limbs_[size_ - 1] == 0)
        --size_;
}

int BigUnsigned::bitLength() const
{
    if (size_ == 0)
        return 0;
    return (size_ - 1) * 32 + std::bit_width(limbs_[size_ - 1]);
}

bool BigUnsigned::testBit(int index) const
{
    return index >= 0 && index / 32 < size_ && ((limbs_[index / 32] >> (index % 32)) & 1u) != 0;
}

std::uint64_t BigUnsigned::bitsFrom(int from) const
{
    std::uint64_t result = 0;
    for (int i = 63; i >= 0; --i)
        result = (result << 1) | (testBit(from + i) ? 1u : 0u);
    return result;
}

bool BigUnsigned::anyBitBelow(int index) const
{
    const int fullLimbs = std::min(index / 32, size_);
    for (int i = 0; i < fullLimbs; ++i)
        if (limbs_[i] != 0)
            return true;
    for (int bit = fullLimbs * 32; bit < index; ++bit)
        if (testBit(bit))
            return true;
    return false;
}

void BigUnsigned::multiplySmall(std::uint32_t factor)
{
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
        const std::uint64_t product = static_cast<std::uint64_t>(limbs_[i]) * factor + carry;
        limbs_[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0)
        push(static_cast<std::uint32_t>(carry));
    trim();
}

void BigUnsigned::addSmall(std::uint32_t value)
{
    std::uint64_t carry = value;
    for (int i = 0; carry != 0; ++i) {
        if (i == size_)
            push(0);
        const std::uint64_t sum = static_cast<std::uint64_t>(limbs_[i]) + carry;
        limbs_[i] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
}

void BigUnsigned::multiplyByPow5(int exponent)
{
    constexpr std::uint32_t pow5_13 = 1220703125u;
    for (; exponent >= 13; exponent -= 13)
        multiplySmall(pow5_13);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent)
        rest *= 5;
    multiplySmall(rest);
}

void BigUnsigned::multiplyByPow10(int exponent)
{
    multiplyByPow5(exponent);
    shiftLeft(exponent);
}

void BigUnsigned::shiftLeft(int bits)
{
    if (size_ == 0 || bits <= 0)
        return;
    const int limbShift = bits / 32;
    const int bitShift = bits % 32;
    if (size_ + limbShift + 1 > MaxLimbs)
        throw std::length_error("number too large");
    std::memmove(limbs_ + limbShift, limbs_, static_cast<std::size_t>(size_) * sizeof limbs_[0]);
    std::fill(limbs_, limbs_ + limbShift, 0u);
    size_ += limbShift;
    if (bitShift != 0) {
        std::uint32_t carry = 0;
        for (int i = limbShift; i < size_; ++i) {
            const std::uint32_t limb = limbs_[i];
            limbs_[i] = (limb << bitShift) | carry;
            carry = limb >> (32 - bitShift);
        }
        if (carry != 0)
            push(carry);
    }
}

void BigUnsigned::shiftRight(int bits)
{
    const int limbShift = bits / 32;
    const int bitShift = bits % 32;
    if (bits <= 0)
        return;
    if (limbShift >= size_) {
        size_ = 0;
        return;
    }
    size_ -= limbShift;
    std::memmove(limbs_, limbs_ + limbShift, static_cast<std::size_t>(size_) * sizeof limbs_[0]);
    if (bitShift != 0) {
        for (int i = 0; i < size_; ++i) {
            const std::uint32_t next = i + 1 < size_ ? limbs_[i + 1] : 0u;
            limbs_[i] = (limbs_[i] >> bitShift) | (next << (32 - bitShift));
        }
    }
    trim();
}

std::uint32_t BigUnsigned::divideSmall(std::uint32_t divisor)
{
    std::uint64_t remainder = 0;
    for (int i = size_; i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | limbs_[i];
        limbs_[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    trim();
    return static_cast<std::uint32_t>(remainder);
}

void BigUnsigned::subtract(const BigUnsigned& other)
{
    std::int64_t borrow = 0;
    for (int i = 0; i < size_; ++i) {
        std::int64_t diff = static_cast<std::int64_t>(limbs_[i]) - borrow
            - (i < other.size_ ? static_cast<std::int64_t>(other.limbs_[i]) : 0);
        borrow = diff < 0 ? 1 : 0;
        if (diff < 0)
            diff += std::int64_t{1} << 32;
        limbs_[i] = static_cast<std::uint32_t>(diff);
    }
    trim();
}

int BigUnsigned::compare(const BigUnsigned& a, const BigUnsigned& b)
{
    if (a.size_ != b.size_)
        return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_; i-- > 0;)
        if (a.limbs_[i] != b.limbs_[i])
            return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
}

std::string BigUnsigned::toDecimal() const
{
    if (size_ == 0)
        return "0";
    // Chunks of nine digits, least significant first; then printed from the top.
    constexpr std::uint32_t ChunkBase = 1000000000u;
    BigUnsigned rest = *this;
    std::uint32_t chunks[MaxLimbs * 32 / 29 + 2];
    int count = 0;
    while (!rest.isZero())
        chunks[count++] = rest.divideSmall(ChunkBase);
    std::string digits = std::to_string(chunks[count - 1]);
    digits.reserve(digits.size() + 9 * static_cast<std::size_t>(count - 1));
    for (int i = count - 2; i >= 0; --i) {
        char nine[9];
        std::uint32_t chunk = chunks[i];
        for (int d = 8; d >= 0; --d) {
            nine[d] = static_cast<char>('0' + chunk % 10);
            chunk /= 10;
        }
        digits.append(nine, 9);
    }
    return digits;
}

}  // namespace dfm
