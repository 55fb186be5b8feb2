// Writing the host's files on Windows, through the Win32 file functions with
// wide paths (the host's paths are UTF-8 and become UTF-16 for each call).
// A symbolic link whose file exists is written through (the new file replaces
// the file the link leads to). A device (a reserved name such as NUL, AUX or
// COM1, in any case and with any extension, or a \\.\ path) and a pipe are
// refused: the job would go to the device, or wait for a reader that may
// never come. Not handled here: a link whose file is missing is replaced like
// a file, and no file attributes, owner or access list are carried over to
// the file that replaces another.
#include "subhost/fileio_platform.h"

#include "subhost/win/winread.h"

#include <windows.h>

#include <cctype>

namespace subhost::fileio_platform {

namespace {

HANDLE native(Handle h)
{
    return reinterpret_cast<HANDLE>(h);
}

using win::narrow;
using win::wide;

bool notFound(DWORD err)
{
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The device a file name stands for whatever folder it is in ("AUX" for
// "aux.ps" or "Aux .txt"), or "" for a name of a file.
std::string reservedDevice(const std::string& path)
{
    std::size_t start = path.size();
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    std::string name = path.substr(start);
    // The name before its first dot, without trailing blanks, is what the
    // system compares.
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    name = upper(name);
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* n : kNames)
        if (name == n)
            return name;
    if (name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
        name[3] <= '9')
        return name;
    return std::string();
}

// What a path of the device namespace ("\\.\pipe\x", "\\.\COM1") names:
// "a pipe", "a device", or "" for any other path.
std::string deviceNamespace(const std::string& path)
{
    if (path.size() < 4 || !isSeparator(path[0]) || !isSeparator(path[1]) || path[2] != '.' || !isSeparator(path[3]))
        return std::string();
    std::string rest = path.substr(4);
    if (upper(rest.substr(0, 5)) == "PIPE\\" || upper(rest.substr(0, 5)) == "PIPE/")
        return "a pipe";
    // \\.\C:\dir\file is a file on the drive.
    if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':')
        return std::string();
    return "a device";
}

// The file a path leads to through symbolic links, so that the new file
// replaces that file and the link stays a link; the path itself when it is
// no link or its file cannot be told.
std::string finalPath(const std::string& path)
{
    std::wstring wpath = wide(path);
    HANDLE h = CreateFileW(wpath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::wstring final(32768, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, &final[0], static_cast<DWORD>(final.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= final.size())
        return path;
    final.resize(n);
    // "\\?\C:\dir\file" or "\\?\UNC\server\share\file".
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        final = L"\\\\" + final.substr(8);
    else if (final.rfind(L"\\\\?\\", 0) == 0)
        final = final.substr(4);
    std::wstring full(32768, L'\0');
    DWORD m = GetFullPathNameW(wpath.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    // The same file by another spelling (case, short names) stays as given.
    if (m > 0 && m < full.size() && lstrcmpiW(full.c_str(), final.c_str()) == 0)
        return path;
    return narrow(final);
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
    // A reserved name (NUL, CON, COM1) opens a device, not a file on disk, in
    // any folder; it is never opened.
    std::string device = reservedDevice(path);
    if (!device.empty()) {
        out.kind = Kind::Other;
        out.what = "the device " + device + " of Windows";
        return 0;
    }
    out.what = deviceNamespace(path);
    if (!out.what.empty()) {
        out.kind = Kind::Other;
        return 0;
    }
    std::wstring wpath = wide(path);
    HANDLE h = CreateFileW(wpath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD type = GetFileType(h);
        CloseHandle(h);
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
            out.kind = Kind::Other;
            out.what = type == FILE_TYPE_PIPE ? "a pipe" : "a device";
            return 0;
        }
    }
    DWORD attrs = GetFileAttributesW(wpath.c_str());
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
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    err = h == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

bool nameTaken(int err)
{
    return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
}

Handle openInPlace(const Target& target, int& err, std::string&)
{
    HANDLE h = CreateFileW(wide(target.file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return static_cast<int>(GetLastError());
}

void removeFile(const std::string& path)
{
    DeleteFileW(wide(path).c_str());
}

std::string reason(int err)
{
    wchar_t buf[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(err), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf,
                             sizeof buf / sizeof buf[0], nullptr);
    std::string text = narrow(std::wstring(buf, n));
    // The system's texts end in a full stop and a line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(err) : text;
}

} // namespace subhost::fileio_platform
