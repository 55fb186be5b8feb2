// UTF-8, UTF-16 and code-page conversion on Windows, through the system.
#include "util/mystr.h"

#include "ui/toolkit.h"
#include "util/os.h"

#include <windows.h>

#include <string>

namespace {

// MultiByteToWideChar and WideCharToMultiByte take int lengths; longer texts
// are converted in one go only up to this many units, which no text of the
// plug-in comes near.
constexpr std::size_t kMaxChunk = 0x3FFFFFFF;

const wchar_t* wide(const char16_t* s)
{
    return reinterpret_cast<const wchar_t*>(s);
}

UINT codePage(int encoding)
{
    switch (encoding) {
    case kEncMacRoman:
        return 10000;
    case kEncSystem:
        return CP_ACP;
    case kEncUTF8:
        return CP_UTF8;
    default:
        return static_cast<UINT>(encoding);
    }
}

// Bytes that `units` UTF-16 units make in code page `cp`; 0 on failure.
int convertedSize(UINT cp, const char16_t* text, std::size_t units)
{
    return WideCharToMultiByte(cp, 0, wide(text), static_cast<int>(units), nullptr, 0, nullptr, nullptr);
}

} // namespace

std::u16string utf8ToUtf16(const char* text, std::size_t length)
{
    std::u16string out;
    if (text == nullptr || length == 0 || length > kMaxChunk)
        return out;
    // Without MB_ERR_INVALID_CHARS the system substitutes U+FFFD for invalid
    // sequences and never reads past `length`.
    int n = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return out;
    out.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::string utf16ToUtf8(const char16_t* text, std::size_t length)
{
    std::string out;
    if (text == nullptr || length == 0 || length > kMaxChunk)
        return out;
    int n = convertedSize(CP_UTF8, text, length);
    if (n <= 0)
        return out;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, wide(text), static_cast<int>(length), &out[0], n, nullptr, nullptr);
    return out;
}

namespace mystr_platform {

bool encode(const char16_t* text, std::size_t length, int encoding, char* out, std::size_t cap)
{
    UINT cp = codePage(encoding);
    if (length > kMaxChunk || !IsValidCodePage(cp == CP_ACP ? GetACP() : cp))
        return false;
    // The longest prefix (never splitting a surrogate pair) whose conversion
    // fits beside the terminator.
    std::size_t units = length;
    int bytes = length == 0 ? 0 : convertedSize(cp, text, units);
    if (length != 0 && bytes <= 0)
        return false;
    if (static_cast<std::size_t>(bytes) + 1 > cap) {
        std::size_t lo = 0, hi = length;
        while (lo < hi) {
            std::size_t mid = (lo + hi + 1) / 2;
            int b = convertedSize(cp, text, mid);
            if (b > 0 && static_cast<std::size_t>(b) + 1 <= cap)
                lo = mid;
            else
                hi = mid - 1;
        }
        units = lo;
        if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF)
            --units;
        bytes = units == 0 ? 0 : convertedSize(cp, text, units);
    }
    if (bytes > 0)
        WideCharToMultiByte(cp, 0, wide(text), static_cast<int>(units), out, bytes, nullptr, nullptr);
    out[bytes > 0 ? bytes : 0] = '\0';
    return true;
}

void composeNFC(std::u16string& text)
{
    // NormalizeString lives in normaliz.dll (part of every supported Windows);
    // looked up once so the plug-in links nothing extra.
    typedef int(WINAPI * NormalizeFn)(int, LPCWSTR, int, LPWSTR, int);
    static NormalizeFn normalizeFn = []() -> NormalizeFn {
        HMODULE lib = LoadLibraryW(L"normaliz.dll");
        return lib ? reinterpret_cast<NormalizeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "NormalizeString")))
                   : nullptr;
    }();
    if (normalizeFn == nullptr || text.empty() || text.size() > kMaxChunk)
        return;
    const int kNormalizationC = 1;
    int n = normalizeFn(kNormalizationC, wide(text.c_str()), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return;
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    n = normalizeFn(kNormalizationC, wide(text.c_str()), static_cast<int>(text.size()), &out[0], n);
    if (n <= 0)
        return;
    text.assign(reinterpret_cast<const char16_t*>(out.data()), static_cast<std::size_t>(n));
}

} // namespace mystr_platform

std::wstring utf8ToWide(const char* text)
{
    std::u16string units = utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}
