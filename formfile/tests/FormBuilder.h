// Builds binary form streams byte by byte for tests, without going through FormWriter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dfm::test {

inline std::string encodedName(std::string_view s)
{
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

inline std::string le(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

inline std::string putStr(std::string_view s)
{
    if (s.size() < 256)
        return "\x06" + encodedName(s);
    return "\x0C" + le(s.size(), 4) + std::string(s);
}

inline std::string wideBytes(std::u16string_view s)
{
    std::string out = "\x12" + le(s.size(), 4);
    for (const char16_t unit : s)
        out += le(unit, 2);
    return out;
}

inline std::string int8(int value)
{
    return "\x02" + le(static_cast<std::uint64_t>(value), 1);
}

inline std::string prop(std::string_view name, const std::string& value)
{
    return encodedName(name) + value;
}

inline std::string object(std::string_view className, std::string_view objectName, const std::string& properties,
                          const std::string& children = "", const std::string& prefix = "")
{
    return prefix + encodedName(className) + encodedName(objectName) + properties + std::string(1, '\0') + children
        + std::string(1, '\0');
}

inline std::string stream(const std::string& root)
{
    return "TPF0" + root;
}

}  // namespace dfm::test
