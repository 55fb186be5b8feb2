#include "log/dump.h"

#include "util/os.h"

#include <windows.h>

namespace dump_platform {

LocalClock now()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalClock{st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace dump_platform
