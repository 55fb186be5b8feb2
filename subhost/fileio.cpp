#include "subhost/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace subhost {

namespace {

[[noreturn]] void fail(const std::string& what, int err)
{
    throw std::runtime_error(what + ": " + std::strerror(err));
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

void writeFileAtomically(const std::string& path, const std::string& text)
{
    createParentFolder(path);
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw std::runtime_error("cannot write " + path + ": it is a folder");
    std::string temp = path + ".part";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        fail("cannot write " + path, errno);
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            ::close(fd);
            std::remove(temp.c_str());
            fail("cannot write " + path, err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        int err = errno;
        std::remove(temp.c_str());
        fail("cannot write " + path, err);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        std::remove(temp.c_str());
        fail("cannot replace " + path, err);
    }
}

} // namespace subhost
