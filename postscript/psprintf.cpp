#include "postscript/psprintf.h"

#include "host/xtcalls.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
PSSink sSink = nullptr;
void* sSinkContext = nullptr;
} // namespace

void setPSSink(PSSink sink, void* context)
{
    sSink = sink;
    sSinkContext = context;
}

int psPrintf(const char* format, ...)
{
    char buf[4096];
    std::memset(buf, 0, sizeof buf);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n < 0)
        return 0;
    if (n > static_cast<int>(sizeof buf) - 1)
        n = static_cast<int>(sizeof buf) - 1;
    if (sSink)
        sSink(buf, n, sSinkContext);
    else
        xtWriteStream(buf, n);
    return n;
}
