// A loadable module that reports its own path through plat::modulePath, as the
// plug-in does from inside the host's process.
#include "util/platform.h"
#include "xthost.h"

extern "C" XTEXPORT bool folantraProbeModulePath(char* out, std::size_t cap)
{
    return plat::modulePath(out, cap);
}
