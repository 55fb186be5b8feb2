#include "ui/msgbox.h"

#include "job/folantrarec.h"
#include "ui/toolkit.h"
#include "util/mystrings.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
// The two message slots; every box empties both when it closes.
std::string sMsg1;
std::string sMsg2;

// Formats into a slot: the key's text from the string table (the key itself
// when it has none) is the format; at most 511 bytes of output.
void formatSlot(std::string& slot, const char* key, va_list args)
{
    char format[256] = {};
    getString(key ? key : "", format);
    char buf[512] = {};
    vformatUTF8(buf, sizeof buf, format, args);
    slot = buf;
}
} // namespace

void setMsg2(const char* key, ...)
{
    va_list args;
    va_start(args, key);
    formatSlot(sMsg2, key, args);
    va_end(args);
}

int msgBox(const char* key, ...)
{
    va_list args;
    va_start(args, key);
    formatSlot(sMsg1, key, args);
    va_end(args);
    int result = showMessageBox(kProductWord, sMsg1.c_str(), sMsg2.c_str(), 1);
    sMsg1.clear();
    sMsg2.clear();
    return result == 1 ? 1 : 2;
}
