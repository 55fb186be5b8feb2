// What an operating system provides: everything its rooms implement
// (util/posix/ for macOS and Linux, util/win/ and log/win/ for Windows, and so
// log/posix/). CMake picks the rooms of FOLANTRA_OS; a new operating system
// gets rooms of its own that define every function declared here. The
// toolkit's side (windows, message boxes, the desktop) is in ui/toolkit.h.
//
// Paths are zero-terminated UTF-8 texts in caller-owned buffers of 512 bytes
// (util/files.h). Nothing here includes a header of the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// ---- files (util/<os>/files_<os>.cpp) ----

// The size of every path buffer.
inline constexpr std::size_t kPathSize = 512;

// True when the path names a file or a folder. `flags` is not used.
bool fileExists(const char* path, long flags = 0);

// Size of the file in bytes; 0 when it is no readable regular file.
std::int64_t getFileSize(const char* path);

// Modification time as seconds since 1 January 1904 (low 32 bits); 0 when the
// path does not resolve. Used to notice that a file changed.
std::uint32_t getFileModDate(const char* path);

// What a path names at one moment, to tell whether a file was written since:
// a regular file's size, modification time (nanoseconds on POSIX, 100 ns
// ticks on Windows) and identity (device and inode; the creation time on
// Windows).
struct FileStamp {
    bool regular = false;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t id = 0;
    std::uint64_t volume = 0;
};
// False (and `out` cleared) when the path does not resolve.
bool getFileStamp(const char* path, FileStamp* out);

// Makes a relative path absolute against the current working folder, in
// place; an absolute path stays as it is. False and the path unchanged when
// the folder cannot be told or the result would not fit into `capacity`.
bool makeAbsolute(char* path, std::size_t capacity = kPathSize);

// The system's words for why the last moveFile failed ("Permission denied"),
// into `out` (`cap` bytes), for the log.
void lastFileError(char* out, std::size_t cap);

// Creates the folder (not its parents). 0 when it exists already or was
// made, -1 when it could not be made.
int makeDir(const char* path);

// fopen for a UTF-8 path (Windows: through the UTF-16 path).
std::FILE* openFile(const char* path, const char* mode);
// Opens a regular file for binary reading; null for anything else (a folder,
// a FIFO, a device), which is never opened in a way that could block.
std::FILE* openRegularFile(const char* path);
// Deletes a file; false when there was none or it could not be deleted.
bool deleteFile(const char* path);

// The pieces under util/files.cpp's path handling and moveFile.
namespace files_platform {
bool isSeparator(char c);
// Renames or, across file systems, copies and deletes; replaces `target`.
// False with the system's error noted for lastFileError().
bool move(const char* source, const char* target);
// Notes a path too long for the system as the last error.
void noteTooLong();
} // namespace files_platform

// ---- text (util/<os>/mystr_<os>.cpp) ----
namespace mystr_platform {
// Converts into `out` (cap bytes, cap >= 1) in an 8-bit `encoding`, cut at a
// character boundary, zero-terminated. False for an encoding the platform
// cannot produce (out untouched).
bool encode(const char16_t* text, std::size_t length, int encoding, char* out, std::size_t cap);
} // namespace mystr_platform

// ---- the plug-in's module and numbers (util/<os>/platform_<os>.cpp) ----
namespace plat {
// Full path of the plug-in's own file (the module that holds this code), as
// UTF-8 into `out` (at most cap - 1 bytes and a terminator). False when the
// system cannot tell or the path does not fit.
bool modulePath(char* out, std::size_t cap);

// The decimal number at the start of `text` ("12.5", "1e-3") read with a point
// as decimal separator, whatever locale the process has set, correctly
// rounded to double: HUGE_VAL when too large, 0 or a subnormal when too small.
// (The C library's own reader in its "C" locale; floating-point from_chars is
// not in every standard library the plug-in is built with.)
double readDecimal(const char* text);
} // namespace plat

// ---- the clock of the log (log/<os>/dump_<os>.cpp) ----
namespace dump_platform {
struct LocalClock {
    int hours, minutes, seconds, milliseconds;
};
LocalClock now();
} // namespace dump_platform
