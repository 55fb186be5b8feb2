#include "subhost/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

#if defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace subhost {

namespace {

[[noreturn]] void fail(const std::string& what, int err)
{
    throw std::runtime_error(what + ": " + std::strerror(err));
}

// Puts `from` in place of `to`; Windows renames onto an existing file only
// when asked to replace it. False with errno set on a failure.
bool replaceFile(const std::string& from, const std::string& to)
{
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
        return true;
    errno = EACCES;
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

void createParentFolder(const std::string& path)
{
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        return;
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return;
    // Walk up to the first part that exists, so the message names the part
    // that is in the way rather than the whole path.
    for (fs::path p = folder; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        if (fs::exists(fs::symlink_status(p, ec)) && !fs::is_directory(p, ec))
            throw std::runtime_error("cannot create the folder " + folder.string() + ": " + p.string() +
                                     " is a file, not a folder");
        if (fs::is_directory(p, ec))
            break;
    }
    fs::create_directories(folder, ec);
    if (ec)
        throw std::runtime_error("cannot create the folder " + folder.string() + ": " + ec.message());
}

AtomicFileWriter::AtomicFileWriter(std::string path) : mPath(std::move(path)), mTemp(mPath + ".part")
{
    createParentFolder(mPath);
    std::error_code ec;
    if (fs::is_directory(mPath, ec))
        throw std::runtime_error("cannot write " + mPath + ": it is a folder");
    mFd = ::open(mTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_BINARY, 0666);
    if (mFd < 0)
        fail("cannot write " + mPath, errno);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!mDone) {
        if (mFd >= 0)
            ::close(mFd);
        std::remove(mTemp.c_str());
    }
}

void AtomicFileWriter::write(const char* bytes, std::size_t n)
{
    while (n > 0 && mError == 0) {
        auto written = ::write(mFd, bytes, static_cast<unsigned>(n));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            mError = written < 0 ? errno : EIO;
            return;
        }
        bytes += written;
        n -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::commit()
{
    if (mDone)
        return;
    mDone = true;
    int err = mError;
    if (::close(mFd) != 0 && err == 0)
        err = errno;
    mFd = -1;
    if (err != 0) {
        std::remove(mTemp.c_str());
        fail("cannot write " + mPath, err);
    }
    if (!replaceFile(mTemp, mPath)) {
        err = errno;
        std::remove(mTemp.c_str());
        fail("cannot replace " + mPath, err);
    }
}

void writeFileAtomically(const std::string& path, const std::string& text)
{
    AtomicFileWriter file(path);
    file.write(text.data(), text.size());
    file.commit();
}

} // namespace subhost
