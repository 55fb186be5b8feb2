// Shared by the fuzz targets that check UTF-8 they are given or get back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzcheck {

// Independent check of well-formed UTF-8 (the table of well-formed byte
// sequences).
inline bool validUTF8(const std::uint8_t* s, std::size_t n)
{
    std::size_t i = 0;
    while (i < n) {
        std::uint8_t b = s[i];
        std::size_t len;
        std::uint8_t lo = 0x80, hi = 0xBF;
        if (b <= 0x7F) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b == 0xE0) {
            len = 3, lo = 0xA0;
        } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
            len = 3;
        } else if (b == 0xED) {
            len = 3, hi = 0x9F;
        } else if (b == 0xF0) {
            len = 4, lo = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            len = 4;
        } else if (b == 0xF4) {
            len = 4, hi = 0x8F;
        } else {
            return false;
        }
        if (i + len > n || s[i + 1] < lo || s[i + 1] > hi)
            return false;
        for (std::size_t k = 2; k < len; ++k)
            if (s[i + k] < 0x80 || s[i + k] > 0xBF)
                return false;
        i += len;
    }
    return true;
}

inline bool validUTF8(const std::string& s)
{
    return validUTF8(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

} // namespace fuzzcheck
