#include "ResourceHeader.h"

#include "AsciiText.h"
#include "Errors.h"

#include <cstring>

namespace dfm {

namespace {

constexpr std::size_t HeaderArea = 80;
constexpr unsigned char TypeIsNumber = 0xFF;
constexpr unsigned RcDataType = 10;
constexpr unsigned MemoryFlags = 0x1030;  // moveable, pure, discardable

}  // namespace

void skipResourceHeader(ByteStream& stream)
{
    unsigned char area[HeaderArea] = {};
    std::size_t bytesRead = 0;
    while (bytesRead < HeaderArea - 1) {
        const std::size_t got = stream.read(area + bytesRead, HeaderArea - 1 - bytesRead);
        if (got == 0)
            break;
        bytesRead += got;
    }
    if (area[0] != TypeIsNumber || (area[1] | (area[2] << 8)) != RcDataType)
        throw InvalidImageError(msg::BadStreamFormat);
    const std::size_t nameLength = std::strlen(reinterpret_cast<const char*>(area + 3));
    stream.seek(static_cast<std::int64_t>(nameLength + 10) - static_cast<std::int64_t>(bytesRead),
                SeekOrigin::Current);
}

std::string makeResourceHeader(std::string_view className, std::uint32_t streamSize)
{
    std::string header;
    header.push_back(static_cast<char>(TypeIsNumber));
    header.push_back(static_cast<char>(RcDataType & 0xFF));
    header.push_back(static_cast<char>(RcDataType >> 8));
    for (const char c : className)
        header.push_back(ascii::toUpper(c));
    header.push_back('\0');
    header.push_back(static_cast<char>(MemoryFlags & 0xFF));
    header.push_back(static_cast<char>(MemoryFlags >> 8));
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<char>(streamSize >> (8 * i)));
    return header;
}

}  // namespace dfm
