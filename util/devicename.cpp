#include "util/devicename.h"

#include <cstring>

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool sameIgnoringCase(const char* a, std::size_t n, const char* b)
{
    if (std::strlen(b) != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lower(a[i]) != b[i])
            return false;
    return true;
}

} // namespace

bool isWindowsDeviceName(const char* name, std::size_t length)
{
    if (name == nullptr)
        return false;
    // The system reads the name up to its first dot (or a stream's colon)
    // and drops the blanks before it.
    std::size_t n = 0;
    while (n < length && name[n] != '.' && name[n] != ':' && name[n] != '\0')
        ++n;
    while (n > 0 && name[n - 1] == ' ')
        --n;
    static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kNames)
        if (sameIgnoringCase(name, n, device))
            return true;
    // COM and LPT with one digit, or with a superscript one, two or three.
    if (n < 4 || !(sameIgnoringCase(name, 3, "com") || sameIgnoringCase(name, 3, "lpt")))
        return false;
    const char* rest = name + 3;
    if (n == 4)
        return rest[0] >= '0' && rest[0] <= '9';
    return n == 5 && (std::memcmp(rest, "\xC2\xB9", 2) == 0 || std::memcmp(rest, "\xC2\xB2", 2) == 0 ||
                      std::memcmp(rest, "\xC2\xB3", 2) == 0);
}

bool pathNamesWindowsDevice(const char* path)
{
    if (path == nullptr)
        return false;
    const char* start = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\')
            start = p + 1;
    return isWindowsDeviceName(start, std::strlen(start));
}
