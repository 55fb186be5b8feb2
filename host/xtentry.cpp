// The plug-in's one export.
#include "host/guard.h"
#include "host/startup.h"

extern "C" XTEXPORT int32_t XTAPI XTActivateCallback(xtactivaterec* rec)
{
    return guardEntry("XTActivateCallback", int32_t{XT_ERR_STARTUP}, [rec] { return folantraActivate(rec); });
}
