// UTF-8 and UTF-16 conversion and the 8-bit encodings on macOS and Linux,
// done by the plug-in itself so that it needs no conversion library.
#include "util/mystr.h"

#include "util/os.h"

#include <cstdint>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Characters 0x80..0xFF of the Mac OS Roman character set.
const std::uint16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Next character of UTF-16 text at i (advancing i); an unpaired surrogate
// gives U+FFFD.
std::uint32_t nextCodePoint(const char16_t* text, std::size_t length, std::size_t& i)
{
    std::uint32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF) {
        if (i < length && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
            return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
        return kReplacement;
    }
    if (c >= 0xDC00 && c <= 0xDFFF)
        return kReplacement;
    return c;
}

std::size_t putUTF8(std::uint32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

char macRomanByte(std::uint32_t c)
{
    if (c < 0x80)
        return static_cast<char>(c);
    for (int i = 0; i < 128; ++i)
        if (kMacRoman[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::u16string utf8ToUtf16(const char* text, std::size_t length)
{
    std::u16string out;
    if (text == nullptr)
        return out;
    out.reserve(length);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length) {
        unsigned char b = s[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        // Continuation count and the allowed range of the first continuation
        // byte, which excludes overlong forms, surrogates and values beyond
        // U+10FFFF.
        int need;
        unsigned char lo = 0x80, hi = 0xBF;
        std::uint32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            c = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0;
            else if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            c = b & 0x07;
            if (b == 0xF0)
                lo = 0x90;
            else if (b == 0xF4)
                hi = 0x8F;
        } else {
            out.push_back(kReplacement); // stray continuation or impossible byte
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int got = 0;
        while (got < need && j < length && s[j] >= lo && s[j] <= hi) {
            c = (c << 6) | (s[j] & 0x3F);
            ++j;
            ++got;
            lo = 0x80;
            hi = 0xBF;
        }
        i = j; // a broken sequence is replaced as a whole, up to the bad byte
        if (got < need) {
            out.push_back(kReplacement);
        } else if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string utf16ToUtf8(const char16_t* text, std::size_t length)
{
    std::string out;
    if (text == nullptr)
        return out;
    out.reserve(length);
    std::size_t i = 0;
    char bytes[4];
    while (i < length)
        out.append(bytes, putUTF8(nextCodePoint(text, length, i), bytes));
    return out;
}

namespace mystr_platform {

bool encode(const char16_t* text, std::size_t length, int encoding, char* out, std::size_t cap)
{
    const bool utf8 = (encoding == kEncUTF8 || encoding == kEncSystem);
    if (!utf8 && encoding != kEncMacRoman)
        return false;
    std::size_t used = 0;
    std::size_t i = 0;
    char bytes[4];
    while (i < length) {
        std::uint32_t c = nextCodePoint(text, length, i);
        std::size_t n = 1;
        if (utf8)
            n = putUTF8(c, bytes);
        else
            bytes[0] = macRomanByte(c);
        if (used + n + 1 > cap)
            break;
        for (std::size_t k = 0; k < n; ++k)
            out[used++] = bytes[k];
    }
    out[used] = '\0';
    return true;
}

} // namespace mystr_platform
