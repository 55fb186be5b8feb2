// Writing the host's files on Linux and macOS, through the system calls.
#include "subhost/fileio_platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace subhost::fileio_platform {

namespace {

// As many links as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

// The pipe's reader going away raises SIGPIPE, which would end the host; it
// is held back while writing so that the write fails with EPIPE instead.
class PipeSignalHeld {
public:
    explicit PipeSignalHeld(bool hold)
    {
        sigemptyset(&mPipe);
        sigaddset(&mPipe, SIGPIPE);
        mHeld = hold && pthread_sigmask(SIG_BLOCK, &mPipe, &mBefore) == 0;
    }
    ~PipeSignalHeld()
    {
        if (!mHeld)
            return;
        // A signal raised by our own write is taken away before it could be
        // delivered; one that was held back already before stays.
        sigset_t pending;
        if (!sigismember(&mBefore, SIGPIPE) && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE)) {
            int taken = 0;
            sigwait(&mPipe, &taken); // pending: returns at once
        }
        pthread_sigmask(SIG_SETMASK, &mBefore, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t mPipe, mBefore;
    bool mHeld = false;
};

} // namespace

bool isSeparator(char c)
{
    return c == '/';
}

int examine(const std::string& path, Target& out)
{
    out = Target{};
    std::string p = path;
    for (int links = 0;; ++links) {
        struct stat st;
        if (lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            out.file = p;
            out.kind = Kind::Missing;
            return 0;
        }
        if (S_ISLNK(st.st_mode)) {
            if (links == kMaxLinks)
                return ELOOP;
            char to[4096];
            ssize_t n = readlink(p.c_str(), to, sizeof to);
            if (n < 0)
                return errno;
            if (n == 0 || static_cast<std::size_t>(n) == sizeof to)
                return n == 0 ? ENOENT : ENAMETOOLONG;
            std::string next(to, static_cast<std::size_t>(n));
            // A relative link is read from the folder that holds it.
            std::size_t slash = p.rfind('/');
            p = next[0] == '/' || slash == std::string::npos ? next : p.substr(0, slash + 1) + next;
            continue;
        }
        out.file = p;
        out.mode = static_cast<std::uint32_t>(st.st_mode);
        out.owner = static_cast<std::int64_t>(st.st_uid);
        out.group = static_cast<std::int64_t>(st.st_gid);
        if (S_ISREG(st.st_mode))
            out.kind = Kind::Regular;
        else if (S_ISDIR(st.st_mode))
            out.kind = Kind::Folder;
        else if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))
            out.kind = Kind::Stream;
        else {
            out.kind = Kind::Other;
            out.what = S_ISBLK(st.st_mode) ? "a block device" : S_ISSOCK(st.st_mode) ? "a socket" : "no file";
        }
        return 0;
    }
}

Handle createNew(const std::string& path, bool ownerOnly, int& err)
{
    mode_t mode = ownerOnly ? 0600 : 0666;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    err = fd < 0 ? errno : 0;
    return fd < 0 ? kNoHandle : fd;
}

bool nameTaken(int err)
{
    return err == EEXIST;
}

Handle openInPlace(const Target& target, int& err, std::string& note)
{
    // Without O_NONBLOCK the open of a FIFO would wait for a reader.
    int fd = open(target.file.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        err = errno;
        if (err == ENXIO && S_ISFIFO(target.mode))
            note = "no program reads from this FIFO";
        return kNoHandle;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))) {
        err = 0;
        note = "it was replaced while it was being opened";
        close(fd);
        return kNoHandle;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        err = errno;
        close(fd);
        return kNoHandle;
    }
    return fd;
}

int writeAll(Handle h, const char* bytes, std::size_t n, bool stream)
{
    PipeSignalHeld held(stream);
    int fd = static_cast<int>(h);
    while (n > 0) {
        ssize_t written = write(fd, bytes, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes += written;
        n -= static_cast<std::size_t>(written);
    }
    return 0;
}

int takeOverModeAndOwner(Handle h, const Target& target)
{
    int fd = static_cast<int>(h);
    // Giving the file to another owner or group takes rights that a user may
    // not have (EPERM), or a file system without owners: the new file is then
    // the writer's, as any file the user makes.
    int given = fchown(fd, static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group));
    static_cast<void>(given);
    // After the owner, which may clear the set-id bits.
    return fchmod(fd, static_cast<mode_t>(target.mode & 07777)) == 0 ? 0 : errno;
}

int closeFile(Handle h)
{
    return close(static_cast<int>(h)) == 0 ? 0 : errno;
}

int replaceFile(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void removeFile(const std::string& path)
{
    unlink(path.c_str());
}

std::string reason(int err)
{
    return std::strerror(err);
}

} // namespace subhost::fileio_platform
