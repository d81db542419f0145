// Sixteen bytes in one register where the target has them (SSE2, NEON), in plain code elsewhere:
// the scanner tests sixteen starting places of a block at a time.
#pragma once

#include <cstdint>
#include <cstring>

namespace dfm {

typedef unsigned char Bytes16 __attribute__((vector_size(16)));

inline Bytes16 load16(const unsigned char* bytes)
{
    Bytes16 value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Whether any byte of a comparison's result is set.
template <typename Vector>
bool anySet(const Vector& value)
{
    static_assert(sizeof value == 16);
    std::uint64_t low;
    std::uint64_t high;
    std::memcpy(&low, &value, 8);
    std::memcpy(&high, reinterpret_cast<const char*>(&value) + 8, 8);
    return (low | high) != 0;
}

}  // namespace dfm
