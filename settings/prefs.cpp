#include "settings/prefs.h"

#include "settings/mysettings.h"

long prefInt(const char* key, long def)
{
    return gPrefs.getInt32("General", key, static_cast<std::int32_t>(def));
}
