#include "util/platform.h"

#include <dlfcn.h>
#include <locale.h>
#include <stdlib.h>
#if defined(__APPLE__)
#include <xlocale.h> // strtod_l and newlocale
#endif

#include <cstring>

namespace plat {

bool modulePath(char* out, std::size_t cap)
{
    Dl_info info{};
    if (cap == 0 || dladdr(reinterpret_cast<void*>(&modulePath), &info) == 0 || info.dli_fname == nullptr)
        return false;
    std::size_t n = std::strlen(info.dli_fname);
    if (n + 1 > cap)
        return false;
    std::memcpy(out, info.dli_fname, n + 1);
    return true;
}

double readDecimal(const char* text)
{
    // Made once and kept while the plug-in is loaded (glibc hands out its
    // built-in "C" locale). Should it ever fail, the process's own locale
    // reads the number.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (cLocale == static_cast<locale_t>(0))
        return strtod(text, nullptr);
    return strtod_l(text, nullptr, cLocale);
}

} // namespace plat
