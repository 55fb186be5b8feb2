// UTF-8 to UTF-16 and back over arbitrary bytes, and MyStr's cut copies into
// small buffers.
#include "fuzz/utf8check.h"
#include "util/mystr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool wellFormedUTF16(const std::u16string& w)
{
    for (std::size_t i = 0; i < w.size(); ++i) {
        char16_t c = w[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= w.size() || w[i + 1] < 0xDC00 || w[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    std::u16string w = utf8ToUtf16(text, size);
    if (w.size() > size || !wellFormedUTF16(w))
        std::abort();
    std::string back = utf16ToUtf8(w.data(), w.size());
    bool valid = fuzzcheck::validUTF8(data, size);
    if (valid != (back.size() == size && std::memcmp(back.data(), data, size) == 0))
        std::abort();
    if (!fuzzcheck::validUTF8(reinterpret_cast<const std::uint8_t*>(back.data()), back.size()) || utf8ToUtf16(back.data(), back.size()) != w)
        std::abort();

    // The same bytes as UTF-16 units, lone surrogates included.
    std::u16string units(size / 2, u'\0');
    if (!units.empty())
        std::memcpy(&units[0], data, units.size() * 2);
    std::string u8 = utf16ToUtf8(units.data(), units.size());
    if (!fuzzcheck::validUTF8(reinterpret_cast<const std::uint8_t*>(u8.data()), u8.size()))
        std::abort();
    if (wellFormedUTF16(units) && utf8ToUtf16(u8.data(), u8.size()) != units)
        std::abort();

    // Cut copies never overrun their buffer and always end in a terminator.
    std::string zeroTerminated(text, size);
    MyStr s(zeroTerminated.c_str(), 0);
    char buf[40];
    long cap = size > 0 ? static_cast<long>(data[0] % 40) : 1;
    for (int enc : {kEncMacRoman, kEncUTF8, kEncUTF16}) {
        std::memset(buf, 0x5A, sizeof buf);
        if (s.getString(buf, cap, enc)) {
            if (enc == kEncUTF16) {
                if (cap < 2 || std::memchr(buf, 0, static_cast<std::size_t>(cap)) == nullptr)
                    std::abort();
            } else if (strnlen(buf, static_cast<std::size_t>(cap)) >= static_cast<std::size_t>(cap)) {
                std::abort();
            }
            if (cap < static_cast<long>(sizeof buf) && static_cast<unsigned char>(buf[cap]) != 0x5A)
                std::abort();
        }
        if (enc == kEncUTF8 && cap > 0 && s.getString(buf, cap, enc) &&
            !fuzzcheck::validUTF8(reinterpret_cast<const std::uint8_t*>(buf), std::strlen(buf)))
            std::abort();
    }
    return 0;
}
