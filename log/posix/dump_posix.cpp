#include "log/dump.h"

#include "util/os.h"

#include <ctime>
#include <sys/time.h>

namespace dump_platform {

LocalClock now()
{
    struct timeval tv {};
    gettimeofday(&tv, nullptr);
    std::time_t seconds = tv.tv_sec;
    struct tm local {};
    localtime_r(&seconds, &local);
    return LocalClock{local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(tv.tv_usec / 1000)};
}

} // namespace dump_platform
