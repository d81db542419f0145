#include "BigUnsigned.h"

#include <algorithm>
#include <bit>

namespace dfm {

BigUnsigned::BigUnsigned(std::uint64_t value)
{
    while (value != 0) {
        limbs_.push_back(static_cast<std::uint32_t>(value));
        value >>= 32;
    }
}

void BigUnsigned::Trim()
{
    while (!limbs_.empty() && limbs_.back() == 0)
        limbs_.pop_back();
}

int BigUnsigned::BitLength() const
{
    if (limbs_.empty())
        return 0;
    return static_cast<int>(limbs_.size() - 1) * 32 + std::bit_width(limbs_.back());
}

bool BigUnsigned::TestBit(int index) const
{
    const auto limb = static_cast<std::size_t>(index / 32);
    return index >= 0 && limb < limbs_.size() && ((limbs_[limb] >> (index % 32)) & 1u) != 0;
}

std::uint64_t BigUnsigned::BitsFrom(int from) const
{
    std::uint64_t result = 0;
    for (int i = 63; i >= 0; --i)
        result = (result << 1) | (TestBit(from + i) ? 1u : 0u);
    return result;
}

bool BigUnsigned::AnyBitBelow(int index) const
{
    const int fullLimbs = std::min<int>(index / 32, static_cast<int>(limbs_.size()));
    for (int i = 0; i < fullLimbs; ++i)
        if (limbs_[static_cast<std::size_t>(i)] != 0)
            return true;
    for (int bit = fullLimbs * 32; bit < index; ++bit)
        if (TestBit(bit))
            return true;
    return false;
}

void BigUnsigned::MultiplySmall(std::uint32_t factor)
{
    std::uint64_t carry = 0;
    for (auto& limb : limbs_) {
        const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
        limb = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0)
        limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
}

void BigUnsigned::AddSmall(std::uint32_t value)
{
    std::uint64_t carry = value;
    for (std::size_t i = 0; carry != 0; ++i) {
        if (i == limbs_.size())
            limbs_.push_back(0);
        const std::uint64_t sum = static_cast<std::uint64_t>(limbs_[i]) + carry;
        limbs_[i] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
}

void BigUnsigned::MultiplyByPow5(int exponent)
{
    constexpr std::uint32_t pow5_13 = 1220703125u;
    for (; exponent >= 13; exponent -= 13)
        MultiplySmall(pow5_13);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent)
        rest *= 5;
    MultiplySmall(rest);
}

void BigUnsigned::MultiplyByPow10(int exponent)
{
    MultiplyByPow5(exponent);
    ShiftLeft(exponent);
}

void BigUnsigned::ShiftLeft(int bits)
{
    if (limbs_.empty() || bits <= 0)
        return;
    const auto limbShift = static_cast<std::size_t>(bits / 32);
    const int bitShift = bits % 32;
    limbs_.insert(limbs_.begin(), limbShift, 0u);
    if (bitShift != 0) {
        std::uint32_t carry = 0;
        for (std::size_t i = limbShift; i < limbs_.size(); ++i) {
            const std::uint32_t limb = limbs_[i];
            limbs_[i] = (limb << bitShift) | carry;
            carry = limb >> (32 - bitShift);
        }
        if (carry != 0)
            limbs_.push_back(carry);
    }
}

std::uint32_t BigUnsigned::DivideSmall(std::uint32_t divisor)
{
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | limbs_[i];
        limbs_[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
}

void BigUnsigned::Subtract(const BigUnsigned& other)
{
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        std::int64_t diff = static_cast<std::int64_t>(limbs_[i]) - borrow
            - (i < other.limbs_.size() ? static_cast<std::int64_t>(other.limbs_[i]) : 0);
        borrow = diff < 0 ? 1 : 0;
        if (diff < 0)
            diff += std::int64_t{1} << 32;
        limbs_[i] = static_cast<std::uint32_t>(diff);
    }
    Trim();
}

int BigUnsigned::Compare(const BigUnsigned& a, const BigUnsigned& b)
{
    if (a.limbs_.size() != b.limbs_.size())
        return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (std::size_t i = a.limbs_.size(); i-- > 0;)
        if (a.limbs_[i] != b.limbs_[i])
            return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
}

std::string BigUnsigned::ToDecimal() const
{
    if (limbs_.empty())
        return "0";
    BigUnsigned rest = *this;
    std::string reversed;
    while (!rest.IsZero()) {
        std::uint32_t chunk = rest.DivideSmall(1000000000u);
        for (int i = 0; i < 9; ++i) {
            reversed.push_back(static_cast<char>('0' + chunk % 10));
            chunk /= 10;
        }
    }
    while (reversed.size() > 1 && reversed.back() == '0')
        reversed.pop_back();
    return {reversed.rbegin(), reversed.rend()};
}

}  // namespace dfm
