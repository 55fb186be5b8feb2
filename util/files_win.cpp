// Files and special folders on Windows, through the UTF-16 file functions.
#include "util/files.h"

#include "util/mystr.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

// Seconds from 1 January 1904 to 1 January 1970, and FILETIME ticks (100 ns)
// from 1601 to 1970.
constexpr long long kSeconds1904To1970 = 2082844800LL;
constexpr unsigned long long kTicks1601To1970 = 116444736000000000ULL;

bool attributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    return GetFileAttributesExW(utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

} // namespace

namespace files_platform {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool move(const char* source, const char* target)
{
    return MoveFileExW(utf8ToWide(source).c_str(), utf8ToWide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace files_platform

bool fileExists(const char* path, long)
{
    return path != nullptr && path[0] != '\0' && GetFileAttributesW(utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t getFileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 0;
    return static_cast<std::int64_t>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::uint32_t getFileModDate(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data))
        return 0;
    unsigned long long ticks =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    long long unixSeconds = (static_cast<long long>(ticks) - static_cast<long long>(kTicks1601To1970)) / 10000000LL;
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(unixSeconds + kSeconds1904To1970));
}

int makeDir(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return -1;
    if (fileExists(path))
        return 0;
    return CreateDirectoryW(utf8ToWide(path).c_str(), nullptr) != 0 ? 0 : -1;
}

void resolveAlias(char*)
{
}

std::FILE* openFile(const char* path, const char* mode)
{
    if (path == nullptr || path[0] == '\0' || mode == nullptr)
        return nullptr;
    return _wfopen(utf8ToWide(path).c_str(), utf8ToWide(mode).c_str());
}

bool deleteFile(const char* path)
{
    return path != nullptr && path[0] != '\0' && DeleteFileW(utf8ToWide(path).c_str()) != 0;
}
