// The benchmarks' random numbers: splitmix64, because the standard library's distributions differ
// between implementations and generated forms and trees must be the same everywhere.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Inclusive range.
    template <typename T>
    T range(T low, T high)
    {
        return low + static_cast<T>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool chance(int percent) { return range(0, 99) < percent; }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    template <typename T>
    const T& pick(const std::vector<T>& items) { return items[next() % items.size()]; }

    void hexBytes(std::string& out, std::size_t count)
    {
        const std::size_t start = out.size();
        out.resize(start + count);
        for (std::size_t i = 0; i < count; i += 8) {
            const std::uint64_t value = next();
            std::memcpy(out.data() + start + i, &value, std::min<std::size_t>(8, count - i));
        }
    }

private:
    std::uint64_t state_;
};
