// Files and special folders on Windows, through the UTF-16 file functions.
// Every path reaches the system through systemPath, so paths past MAX_PATH
// work as well.
#include "util/files.h"

#include "ui/toolkit.h"
#include "util/longpath.h"
#include "util/mystr.h"

#include <windows.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Seconds from 1 January 1904 to 1 January 1970, and FILETIME ticks (100 ns)
// from 1601 to 1970.
constexpr long long kSeconds1904To1970 = 2082844800LL;
constexpr unsigned long long kTicks1601To1970 = 116444736000000000ULL;

// The UTF-16 path the file functions get: the long form for a long one.
std::wstring systemPath(const char* path)
{
    return utf8ToWide(toLongPathForm(path).c_str());
}

bool attributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    return GetFileAttributesExW(systemPath(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

} // namespace

namespace files_platform {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

void noteTooLong()
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
}

bool move(const char* source, const char* target)
{
    return MoveFileExW(systemPath(source).c_str(), systemPath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace files_platform

bool fileExists(const char* path, long)
{
    return path != nullptr && path[0] != '\0' && GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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

bool getFileStamp(const char* path, FileStamp* out)
{
    *out = FileStamp{};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data))
        return false;
    auto ticks = [](const FILETIME& t) {
        return static_cast<std::int64_t>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    out->regular = (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    out->size = static_cast<std::int64_t>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    out->modified = ticks(data.ftLastWriteTime);
    out->id = static_cast<std::uint64_t>(ticks(data.ftCreationTime));
    return true;
}

bool makeAbsolute(char* path, std::size_t capacity)
{
    if (path == nullptr)
        return false;
    std::wstring wide = utf8ToWide(path);
    wchar_t full[1024];
    DWORD n = GetFullPathNameW(wide.c_str(), 1024, full, nullptr);
    if (n == 0 || n >= 1024)
        return false;
    std::string utf8 = utf16ToUtf8(reinterpret_cast<const char16_t*>(full), n);
    if (utf8.size() + 1 > capacity)
        return false;
    std::memcpy(path, utf8.c_str(), utf8.size() + 1);
    return true;
}

int makeDir(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return -1;
    if (fileExists(path))
        return 0;
    return CreateDirectoryW(systemPath(path).c_str(), nullptr) != 0 ? 0 : -1;
}

void resolveAlias(char*)
{
}

std::FILE* openFile(const char* path, const char* mode)
{
    if (path == nullptr || path[0] == '\0' || mode == nullptr)
        return nullptr;
    return _wfopen(systemPath(path).c_str(), utf8ToWide(mode).c_str());
}

std::FILE* openRegularFile(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data) || (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return nullptr;
    std::FILE* f = _wfopen(systemPath(path).c_str(), L"rb");
    if (f == nullptr)
        return nullptr;
    // A name such as NUL or CON opens a device, not a file on disk.
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != FILE_TYPE_DISK) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

void lastFileError(char* out, std::size_t cap)
{
    if (out == nullptr || cap == 0)
        return;
    DWORD code = GetLastError();
    wchar_t text[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 512,
                             nullptr);
    // The system's texts end in a full stop and a line break.
    while (n > 0 && (text[n - 1] == L'\n' || text[n - 1] == L'\r' || text[n - 1] == L' ' || text[n - 1] == L'.'))
        --n;
    std::string utf8 = n > 0 ? utf16ToUtf8(reinterpret_cast<const char16_t*>(text), n)
                             : "system error " + std::to_string(code);
    copyUTF8(out, cap, utf8.c_str());
}

bool deleteFile(const char* path)
{
    return path != nullptr && path[0] != '\0' && DeleteFileW(systemPath(path).c_str()) != 0;
}
