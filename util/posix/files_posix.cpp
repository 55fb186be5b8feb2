// Files and special folders on macOS and Linux, through the system calls
// (no shell is involved anywhere).
#include "util/files.h"

#include "util/mystr.h"

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

// The modification time in nanoseconds since 1970. Darwin's struct stat
// names the field st_mtimespec, glibc's st_mtim.
std::int64_t modifiedNanoseconds(const struct stat& st)
{
#if defined(__APPLE__)
    const struct timespec& t = st.st_mtimespec;
#else
    const struct timespec& t = st.st_mtim;
#endif
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Copies `source` to `target` through a temporary file in the target's folder,
// so that a failed copy never leaves a half-written target behind. mkstemp
// only ever creates a new file: a file or link planted at its name is never
// opened. False with errno telling why.
bool copyAcross(const char* source, const char* target)
{
    int in = open(source, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st;
    bool stated = fstat(in, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        int err = stated ? EINVAL : errno;
        close(in);
        errno = err;
        return false;
    }
    std::string folder(target);
    std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    std::string temp = folder + "/.folantra-move-XXXXXX";
    int out = mkstemp(&temp[0]);
    if (out < 0) {
        int err = errno;
        close(in);
        errno = err;
        return false;
    }
    bool ok = true;
    int err = 0;
    char buf[65536];
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = (n == 0);
            err = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                err = w < 0 ? errno : EIO;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    close(in);
    if (ok && (fchmod(out, st.st_mode & 07777) != 0 || fsync(out) != 0)) {
        ok = false;
        err = errno;
    }
    if (close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp.c_str(), target) == 0)
        return true;
    if (ok)
        err = errno;
    unlink(temp.c_str());
    errno = err;
    return false;
}

} // namespace

namespace files_platform {

bool isSeparator(char c)
{
    return c == '/';
}

void noteTooLong()
{
    errno = ENAMETOOLONG;
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

bool getFileStamp(const char* path, FileStamp* out)
{
    *out = FileStamp{};
    struct stat st;
    if (path == nullptr || path[0] == '\0' || stat(path, &st) != 0)
        return false;
    out->regular = S_ISREG(st.st_mode);
    out->size = static_cast<std::int64_t>(st.st_size);
    out->modified = modifiedNanoseconds(st);
    out->id = static_cast<std::uint64_t>(st.st_ino);
    out->volume = static_cast<std::uint64_t>(st.st_dev);
    return true;
}

bool makeAbsolute(char* path, std::size_t capacity)
{
    if (path == nullptr)
        return false;
    if (path[0] == '/')
        return true;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr || cwd[0] != '/')
        return false;
    std::string whole(cwd);
    if (path[0] != '\0') {
        if (whole.back() != '/')
            whole += '/';
        whole += path;
    }
    if (whole.size() + 1 > capacity)
        return false;
    std::memcpy(path, whole.c_str(), whole.size() + 1);
    return true;
}

int makeDir(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return -1;
    if (fileExists(path))
        return 0;
    return mkdir(path, 0777) == 0 ? 0 : -1;
}

std::FILE* openFile(const char* path, const char* mode)
{
    if (path == nullptr || path[0] == '\0' || mode == nullptr)
        return nullptr;
    return std::fopen(path, mode);
}

std::FILE* openRegularFile(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return nullptr;
    // Without O_NONBLOCK the open of a FIFO waits for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (f == nullptr)
        close(fd);
    return f;
}

void lastFileError(char* out, std::size_t cap)
{
    if (out == nullptr || cap == 0)
        return;
    copyUTF8(out, cap, std::strerror(errno));
}

bool deleteFile(const char* path)
{
    return path != nullptr && path[0] != '\0' && unlink(path) == 0;
}
