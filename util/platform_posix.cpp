#include "util/platform.h"

#include <dlfcn.h>

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

} // namespace plat
