#include "util/files.h"

#include "util/devicename.h"
#include "util/mystr.h"
#include "util/os.h"
#include "util/platform.h"

#include <cstring>

namespace {

// Start of the file name: just behind the last separator.
const char* fileNameStart(const char* path)
{
    const char* start = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (files_platform::isSeparator(*p))
            start = p + 1;
    return start;
}

void copyOut(char* out, const char* from, std::size_t n)
{
    n = utf8Fit(from, n, kPathSize - 1);
    std::memcpy(out, from, n);
    out[n] = '\0';
}

} // namespace

bool addPathComponent(char* path, const char* name, std::size_t capacity)
{
    if (path == nullptr || name == nullptr)
        return false;
    std::size_t len = strnlen(path, capacity);
    std::size_t add = std::strlen(name);
    std::size_t sep = len > 0 ? 1 : 0;
    if (len + sep + add + 1 > capacity)
        return false;
    if (sep != 0)
        path[len] = plat::kPathSep;
    std::memcpy(path + len + sep, name, add + 1);
    return true;
}

void getFileName(const char* path, char* out, bool keepExtension)
{
    if (path == nullptr || out == nullptr)
        return;
    const char* name = fileNameStart(path);
    std::size_t n = std::strlen(name);
    if (!keepExtension) {
        const char* dot = std::strrchr(name, '.');
        if (dot != nullptr)
            n = static_cast<std::size_t>(dot - name);
    }
    copyOut(out, name, n);
}

void getFolder(const char* path, char* out)
{
    if (path == nullptr || out == nullptr)
        return;
    const char* name = fileNameStart(path);
    copyOut(out, path, name == path ? 0 : static_cast<std::size_t>(name - path - 1));
}

const char* lastSeparator(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const char* start = fileNameStart(path);
    return start == path ? nullptr : start - 1;
}

FileNameFault checkFileName(const char* name)
{
    if (name == nullptr)
        return FileNameFault::none;
    for (const char* p = name; *p != '\0'; ++p)
        if (files_platform::isSeparator(*p) || (plat::kWindows && *p == ':'))
            return FileNameFault::leavesFolder;
    // "." and ".." name folders; Windows drops a name's trailing dots and
    // blanks, so there a name of nothing else names the folder itself.
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
        (plat::kWindows && name[0] != '\0' && name[std::strspn(name, ". ")] == '\0'))
        return FileNameFault::leavesFolder;
    if (plat::kWindows && isWindowsDeviceName(name, std::strlen(name)))
        return FileNameFault::device;
    return FileNameFault::none;
}

bool replaceExtension(char* path, const char* ext, std::size_t capacity)
{
    if (path == nullptr || ext == nullptr)
        return false;
    std::size_t len = strnlen(path, capacity);
    if (len == capacity)
        return false;
    const char* dot = std::strrchr(fileNameStart(path), '.');
    std::size_t keep = dot != nullptr ? static_cast<std::size_t>(dot - path) : len;
    std::size_t add = std::strlen(ext);
    if (keep + add + 1 > capacity)
        return false;
    std::memcpy(path + keep, ext, add + 1);
    return true;
}

bool pathEndsWith(const char* path, const char* suffix)
{
    if (path == nullptr || suffix == nullptr)
        return false;
    std::size_t n = std::strlen(path);
    std::size_t m = std::strlen(suffix);
    if (m > n)
        return false;
    const char* p = path + n - m;
    for (std::size_t i = 0; i < m; ++i) {
        unsigned char a = static_cast<unsigned char>(p[i]);
        unsigned char b = static_cast<unsigned char>(suffix[i]);
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a + 32);
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b + 32);
        if (a != b)
            return false;
    }
    return true;
}

bool moveFile(const char* source, char* destFolder, const char* newName)
{
    if (source == nullptr || destFolder == nullptr || *source == '\0')
        return false;
    char name[kPathSize];
    if (newName != nullptr)
        copyOut(name, newName, std::strlen(newName));
    else
        getFileName(source, name, true);
    if (name[0] == '\0')
        return false;
    char target[kPathSize];
    std::size_t folderLen = strnlen(destFolder, kPathSize);
    if (folderLen == kPathSize) {
        files_platform::noteTooLong();
        return false;
    }
    std::memcpy(target, destFolder, folderLen + 1);
    if (!addPathComponent(target, name)) {
        files_platform::noteTooLong();
        return false;
    }
    if (!files_platform::move(source, target))
        return false;
    if (newName != nullptr)
        std::memcpy(destFolder, target, std::strlen(target) + 1);
    return true;
}

bool sameFileStamp(const FileStamp& a, const FileStamp& b)
{
    return a.regular == b.regular && a.size == b.size && a.modified == b.modified && a.id == b.id &&
           a.volume == b.volume;
}
