// Writing the host's files on Windows, through the Win32 file functions (the
// host's paths are in the ANSI code page, as its command line gives them).
// A symbolic link whose file exists is written through (the new file replaces
// the file the link leads to). Not handled here: a link whose file is missing
// is replaced like a file, and no file attributes, owner or access list are
// carried over to the file that replaces another.
#include "subhost/fileio_platform.h"

#include <windows.h>

namespace subhost::fileio_platform {

namespace {

HANDLE native(Handle h)
{
    return reinterpret_cast<HANDLE>(h);
}

bool notFound(DWORD err)
{
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

// The file a path leads to through symbolic links, so that the new file
// replaces that file and the link stays a link; the path itself when it is
// no link or its file cannot be told.
std::string finalPath(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    char buf[MAX_PATH * 4];
    DWORD n = GetFinalPathNameByHandleA(h, buf, sizeof buf, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= sizeof buf)
        return path;
    std::string final(buf, n);
    // "\\?\C:\dir\file" or "\\?\UNC\server\share\file".
    if (final.rfind("\\\\?\\UNC\\", 0) == 0)
        final = "\\\\" + final.substr(8);
    else if (final.rfind("\\\\?\\", 0) == 0)
        final = final.substr(4);
    char full[MAX_PATH * 4];
    DWORD m = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    // The same file by another spelling (case, short names) stays as given.
    if (m > 0 && m < sizeof full && lstrcmpiA(full, final.c_str()) == 0)
        return path;
    return final;
}

} // namespace

bool isSeparator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

int examine(const std::string& path, Target& out)
{
    out = Target{};
    out.file = path;
    // A device name (NUL, CON, COM1) opens a device, not a file on disk.
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD type = GetFileType(h);
        CloseHandle(h);
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
            out.kind = Kind::Stream;
            return 0;
        }
    }
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        DWORD err = GetLastError();
        if (!notFound(err))
            return static_cast<int>(err);
        out.kind = Kind::Missing;
        return 0;
    }
    out.kind = (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::Regular;
    if (out.kind == Kind::Regular)
        out.file = finalPath(path);
    return 0;
}

Handle createNew(const std::string& path, bool, int& err)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    err = h == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

bool nameTaken(int err)
{
    return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
}

Handle openInPlace(const Target& target, int& err, std::string&)
{
    HANDLE h = CreateFileA(target.file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    err = h == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

int writeAll(Handle h, const char* bytes, std::size_t n, bool)
{
    while (n > 0) {
        DWORD chunk = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
        DWORD written = 0;
        if (!WriteFile(native(h), bytes, chunk, &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes += written;
        n -= written;
    }
    return 0;
}

int takeOverModeAndOwner(Handle, const Target&)
{
    return 0;
}

int closeFile(Handle h)
{
    return CloseHandle(native(h)) ? 0 : static_cast<int>(GetLastError());
}

int replaceFile(const std::string& from, const std::string& to)
{
    // Windows renames onto an existing file only when asked to replace it.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return static_cast<int>(GetLastError());
}

void removeFile(const std::string& path)
{
    DeleteFileA(path.c_str());
}

std::string reason(int err)
{
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(err), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, sizeof buf,
                             nullptr);
    std::string text(buf, n);
    // The system's texts end in a full stop and a line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(err) : text;
}

} // namespace subhost::fileio_platform
