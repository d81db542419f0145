#include "Utf8.h"

#include <cstdint>
#include <cstring>

namespace dfm {

bool decodeUtf8(std::string_view bytes, std::u16string& out)
{
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        const Utf8Lead start = utf8Lead(lead);
        const auto length = static_cast<std::size_t>(start.length);
        if (length == 0 || i + length > bytes.size())
            return false;
        char32_t cp = start.bits;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return false;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (!isUtf8CodePoint(cp, start.minimum))
            return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return true;
}

Utf8Check checkUtf8(std::string_view bytes)
{
    Utf8Check check;
    for (std::size_t i = 0; i < bytes.size();) {
        // Eight bytes of ASCII at a time: most of a form is.
        std::uint64_t eight = 0;
        if (i + 8 <= bytes.size() && (std::memcpy(&eight, bytes.data() + i, 8), (eight & 0x8080808080808080ULL) == 0)) {
            i += 8;
            continue;
        }
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        check.beyondAscii = true;
        const Utf8Lead start = utf8Lead(lead);
        const auto length = static_cast<std::size_t>(start.length);
        if (length == 0 || i + length > bytes.size())
            return {false, true};
        char32_t cp = start.bits;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return {false, true};
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (!isUtf8CodePoint(cp, start.minimum))
            return {false, true};
        i += length;
    }
    return check;
}

}  // namespace dfm
