// The plug-in's one export.
#include "host/startup.h"

extern "C" XTEXPORT int32_t XTAPI XTActivateCallback(xtactivaterec* rec)
{
    return folantraActivate(rec);
}
