// Path building: a folder, a name and an extension from the input (separated
// by zero bytes) go through addPathComponent, replaceExtension, getFileName,
// getFolder, pathEndsWith and makeAbsolute in 512-byte buffers (and smaller
// capacities). Nothing may write past its buffer, a refused change must leave
// the path as it was, and what is built must take apart into its pieces.
#include "util/files.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string piece(const std::string& all, std::size_t& at)
{
    std::size_t end = all.find('\0', at);
    std::string p = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? all.size() : end + 1;
    return p.substr(0, 600);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string all(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    std::string folder = piece(all, at), name = piece(all, at), ext = piece(all, at);
    std::size_t capacity = size > 0 ? 1 + data[0] % kPathSize : kPathSize;

    char path[kPathSize + 16];
    std::memset(path, 'G', sizeof path); // guard bytes beyond the capacity
    if (folder.size() >= capacity)
        folder.resize(capacity - 1);
    std::memcpy(path, folder.c_str(), folder.size() + 1);

    std::string before = path;
    if (addPathComponent(path, name.c_str(), capacity)) {
        if (std::strlen(path) + 1 > capacity)
            std::abort();
        if (!before.empty() && name.find('/') == std::string::npos && name.find('\0') == std::string::npos) {
            char back[kPathSize];
            getFileName(path, back, true);
            if (name != back)
                std::abort();
        }
    } else if (before != path) {
        std::abort();
    }
    for (std::size_t i = capacity; i < sizeof path; ++i)
        if (path[i] != 'G')
            std::abort();

    before = path;
    if (replaceExtension(path, ext.c_str(), capacity)) {
        if (std::strlen(path) + 1 > capacity || !pathEndsWith(path, ext.c_str()))
            std::abort();
    } else if (before != path) {
        std::abort();
    }
    for (std::size_t i = capacity; i < sizeof path; ++i)
        if (path[i] != 'G')
            std::abort();

    char out[kPathSize];
    getFileName(path, out, false);
    getFolder(path, out);
    if (std::strlen(out) > std::strlen(path))
        std::abort();

    before = path;
    if (makeAbsolute(path, capacity)) {
        if (path[0] != '/' || std::strlen(path) + 1 > capacity)
            std::abort();
    } else if (before != path) {
        std::abort();
    }
    return 0;
}
