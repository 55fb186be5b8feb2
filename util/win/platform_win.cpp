#include "util/platform.h"

#include <windows.h>

#include <locale.h>
#include <stdlib.h>

namespace plat {

bool modulePath(char* out, std::size_t cap)
{
    HMODULE self = nullptr;
    if (cap == 0 || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                        reinterpret_cast<LPCWSTR>(&modulePath), &self))
        return false;
    wchar_t wide[1024];
    DWORD n = GetModuleFileNameW(self, wide, 1024);
    if (n == 0 || n >= 1024)
        return false;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0 || static_cast<std::size_t>(bytes) + 1 > cap)
        return false;
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), out, bytes, nullptr, nullptr);
    out[bytes] = '\0';
    return true;
}

double readDecimal(const char* text)
{
    // Made once and kept while the plug-in is loaded; should it ever fail,
    // the process's own locale reads the number.
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    if (cLocale == nullptr)
        return strtod(text, nullptr);
    return _strtod_l(text, nullptr, cLocale);
}

} // namespace plat
