#include "host/guard.h"

#include "log/dump.h"

void logStoppedException(const char* entry, const char* what) noexcept
{
    try {
        dprintf("%s: stopped an exception: %s", entry != nullptr ? entry : "?",
                what != nullptr ? what : "not a standard exception");
    } catch (...) {
        // The log is best effort: a line it cannot write is lost, and nothing
        // leaves the guard.
    }
}
