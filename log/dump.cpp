#include "log/dump.h"

#include "ui/toolkit.h"
#include "util/files.h"
#include "util/mystr.h"
#include "util/os.h"
#include "util/platform.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

long sLogMode = -1;
char sLogPath[kPathSize] = "";

void writeLine(const char* bytes, std::size_t n)
{
    if (sLogPath[0] == '\0')
        return;
    std::FILE* f = openFile(sLogPath, "rb+");
    if (f == nullptr)
        f = openFile(sLogPath, "wb");
    if (f == nullptr)
        return;
    if (std::fseek(f, 0, SEEK_END) == 0)
        std::fwrite(bytes, 1, n, f);
    std::fclose(f);
}

} // namespace

void setupDump(std::int16_t mode, const char* folder, const char* name)
{
    char path[kPathSize];
    if (!getDocumentsFolder(path))
        return;
    makeDir(path);
    const char* sub = folder != nullptr ? folder : "Kestrovan";
    if (sub[0] != '\0') {
        if (!addPathComponent(path, sub))
            return;
        makeDir(path);
    }
    char file[kPathSize];
    int n = std::snprintf(file, sizeof file, "%s.txt", name != nullptr ? name : "Folantra");
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof file || !addPathComponent(path, file))
        return;
    std::memcpy(sLogPath, path, sizeof sLogPath);
    deleteFile(sLogPath);
    sLogMode = mode;
}

void setupDumpFromEnvironment()
{
    const char* value = std::getenv("FOLANTRA_LOG");
    if (value == nullptr || value[0] == '\0')
        return;
    char* end = nullptr;
    long mode = std::strtol(value, &end, 10);
    if (end == value || mode <= 0)
        return;
    setupDump(static_cast<std::int16_t>(mode > INT16_MAX ? INT16_MAX : mode), nullptr, nullptr);
}

void setLogMode(long mode)
{
    sLogMode = mode;
}

long getLogMode()
{
    return sLogMode;
}

const char* logPath()
{
    return sLogPath;
}

void dprintf(const char* format, ...)
{
    if (sLogMode <= 0 || format == nullptr)
        return;
    // Windows lines start with the time of day to the millisecond.
    char line[32 + kDumpLineMax + 1 + 2];
    std::size_t used = 0;
    if (plat::kWindows) {
        dump_platform::LocalClock t = dump_platform::now();
        int n = std::snprintf(line, 32, "%02d:%02d:%02d:%03d: ", t.hours, t.minutes, t.seconds, t.milliseconds);
        used = n > 0 ? static_cast<std::size_t>(n < 31 ? n : 31) : 0;
    }
    va_list args;
    va_start(args, format);
    int n = vformatUTF8(line + used, kDumpLineMax + 1, format, args);
    va_end(args);
    if (n < 0)
        return;
    used += static_cast<std::size_t>(n);
    std::size_t endLen = std::strlen(plat::kLineEnd);
    std::memcpy(line + used, plat::kLineEnd, endLen);
    writeLine(line, used + endLen);
}

void dumpTime(const char* prefix, const char* suffix)
{
    if (sLogMode <= 0)
        return;
    dump_platform::LocalClock t = dump_platform::now();
    const char* p = prefix != nullptr ? prefix : "";
    const char* s = suffix != nullptr ? suffix : plat::kLineEnd;
    if (plat::kWindows)
        dprintf("%s%02d:%02d:%02d.%03d:\t%s", p, t.hours, t.minutes, t.seconds, t.milliseconds, s);
    else
        dprintf("%s%02d:%02d:%02d:\t%s", p, t.hours, t.minutes, t.seconds, s);
}
