#include "settings/prefs.h"

long prefInt(const char* key, long def)
{
    (void)key;
    return def;
}
