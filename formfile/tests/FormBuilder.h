// Builds binary form streams byte by byte for tests, without going through TWriter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dfm::test {

inline std::string Name(std::string_view s)
{
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

inline std::string Le(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

inline std::string Str(std::string_view s)
{
    if (s.size() < 256)
        return "\x06" + Name(s);
    return "\x0C" + Le(s.size(), 4) + std::string(s);
}

inline std::string Wide(std::u16string_view s)
{
    std::string out = "\x12" + Le(s.size(), 4);
    for (const char16_t unit : s)
        out += Le(unit, 2);
    return out;
}

inline std::string Int8(int value)
{
    return "\x02" + Le(static_cast<std::uint64_t>(value), 1);
}

inline std::string Prop(std::string_view name, const std::string& value)
{
    return Name(name) + value;
}

inline std::string Object(std::string_view className, std::string_view objectName, const std::string& properties,
                          const std::string& children = "", const std::string& prefix = "")
{
    return prefix + Name(className) + Name(objectName) + properties + std::string(1, '\0') + children
        + std::string(1, '\0');
}

inline std::string Stream(const std::string& root)
{
    return "TPF0" + root;
}

}  // namespace dfm::test
