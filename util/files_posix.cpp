// Files and special folders on macOS and Linux, through the system calls
// (no shell is involved anywhere).
#include "util/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds from 1 January 1904 to 1 January 1970.
constexpr std::int64_t kSeconds1904To1970 = 2082844800;

// Copies `source` to `target` through a temporary file in the target's folder,
// so that a failed copy never leaves a half-written target behind.
bool copyAcross(const char* source, const char* target)
{
    int in = open(source, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return false;
    }
    std::string folder(target);
    std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    std::string temp = folder + "/.folantra-move-XXXXXX";
    int out = mkstemp(&temp[0]);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = (n == 0);
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    close(in);
    ok = ok && fchmod(out, st.st_mode & 07777) == 0 && fsync(out) == 0;
    ok = (close(out) == 0) && ok;
    if (ok && rename(temp.c_str(), target) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

} // namespace

namespace files_platform {

bool isSeparator(char c)
{
    return c == '/';
}

bool move(const char* source, const char* target)
{
    if (rename(source, target) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    if (!copyAcross(source, target))
        return false;
    unlink(source);
    return true;
}

} // namespace files_platform

bool fileExists(const char* path, long)
{
    struct stat st;
    return path != nullptr && path[0] != '\0' && stat(path, &st) == 0;
}

std::int64_t getFileSize(const char* path)
{
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<std::int64_t>(st.st_size);
}

std::uint32_t getFileModDate(const char* path)
{
    struct stat st;
    if (path == nullptr || path[0] == '\0' || stat(path, &st) != 0)
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(st.st_mtime) + kSeconds1904To1970));
}

int makeDir(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return -1;
    if (fileExists(path))
        return 0;
    return mkdir(path, 0777) == 0 ? 0 : -1;
}

void resolveAlias(char*)
{
}

std::FILE* openFile(const char* path, const char* mode)
{
    if (path == nullptr || path[0] == '\0' || mode == nullptr)
        return nullptr;
    return std::fopen(path, mode);
}

bool deleteFile(const char* path)
{
    return path != nullptr && path[0] != '\0' && unlink(path) == 0;
}
