#include "subhost/utf8.h"

namespace subhost {

namespace {

// The length of the UTF-8 sequence at `at` (0 when none starts there).
std::size_t sequenceAt(const std::string& s, std::size_t at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = byte(at);
    if (c < 0x80)
        return 1;
    std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || at + n > s.size())
        return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    unsigned char second = byte(at + 1);
    if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) || // overlong, surrogate
        (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F))   // overlong, above U+10FFFF
        return 0;
    return n;
}

} // namespace

bool isUtf8(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = sequenceAt(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string asUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = sequenceAt(bytes, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(bytes, i, n);
            i += n;
        }
    }
    return out;
}

} // namespace subhost
