// Paths and files. Paths are zero-terminated UTF-8 texts in caller-owned
// buffers of 512 bytes; nothing here allocates a path. The separator is "/"
// on macOS and Linux and "\" on Windows (where "/" is accepted as well when
// paths are taken apart).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline constexpr std::size_t kPathSize = 512;

// Appends the separator and `name` to `path` (no separator when the path is
// empty; a trailing separator already there is not checked). False and the
// path unchanged when the result would not fit into `capacity` bytes.
bool addPathComponent(char* path, const char* name, std::size_t capacity = kPathSize);

// The text after the last separator (the whole path when there is none) into
// `out` (512 bytes); without `keepExtension` the extension and its dot go.
void getFileName(const char* path, char* out, bool keepExtension);

// The text before the last separator into `out` (512 bytes); "" when the path
// holds no separator.
void getFolder(const char* path, char* out);

// The last separator of `path`, or null when it has none.
const char* lastSeparator(const char* path);

// Whether a file name, put into a folder, names a file in that folder.
enum class FileNameFault {
    none,
    leavesFolder, // a separator in it (on Windows also ":", a drive or a stream), "." or ".."
                  // (on Windows any name of dots and blanks alone)
    device,       // Windows: a name the system takes for a device (NUL, aux.ps, ...)
};
FileNameFault checkFileName(const char* name);

// Replaces the file name's extension (from its last "." on) by `ext`, which
// carries its own dot (".ini"); appends `ext` to a name without a dot. False
// and the path unchanged when the result would not fit into `capacity` bytes.
bool replaceExtension(char* path, const char* ext, std::size_t capacity = kPathSize);

// True when `path` ends with `suffix`, ASCII letters compared without regard
// to case.
bool pathEndsWith(const char* path, const char* suffix);

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
// True when both name the same regular file in the same state.
bool sameFileStamp(const FileStamp& a, const FileStamp& b);

// Makes a relative path absolute against the current working folder, in
// place; an absolute path stays as it is. False and the path unchanged when
// the folder cannot be told or the result would not fit into `capacity`.
bool makeAbsolute(char* path, std::size_t capacity = kPathSize);

// Moves the file `source` into the folder `destFolder`, replacing a file of
// the same name there, also across file systems. Without `newName` it keeps
// its own name and `destFolder` is left as it is; with `newName` it is renamed
// and `destFolder` (a 512-byte buffer) then holds the moved file's path.
// Nothing is run through a shell, so any character in the paths is safe.
// Across file systems the copy is made under a name of its own that is always
// created anew (never a file or link found there) and renamed when complete.
bool moveFile(const char* source, char* destFolder, const char* newName);

// The system's words for why the last moveFile failed ("Permission denied"),
// into `out` (`cap` bytes), for the log.
void lastFileError(char* out, std::size_t cap);

// Creates the folder (not its parents). 0 when it exists already or was
// made, -1 when it could not be made.
int makeDir(const char* path);

// Replaces an alias (macOS Finder alias) in place by its target's path. The
// plug-in's own paths are never aliases on Linux and Windows: nothing happens.
void resolveAlias(char* path);

// The current user's folders into `out` (512 bytes); false and `out`
// untouched when the system cannot tell. Linux: Documents and Desktop from the
// XDG user-dirs settings ($XDG_CONFIG_HOME/user-dirs.dirs) with ~/Documents
// and ~/Desktop as fallback. The application-support folder is where the
// plug-in keeps its preferences: $XDG_CONFIG_HOME (default ~/.config) on
// Linux, the Documents folder on Windows.
bool getDocumentsFolder(char* out);
bool getDesktopFolder(char* out);
bool getAppSupportFolder(char* out);

// fopen for a UTF-8 path (Windows: through the UTF-16 path).
std::FILE* openFile(const char* path, const char* mode);
// Opens a regular file for binary reading; null for anything else (a folder,
// a FIFO, a device), which is never opened in a way that could block.
std::FILE* openRegularFile(const char* path);
// Closes a file when its owner goes (std::unique_ptr's deleter), also when an
// exception passes.
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
// Deletes a file; false when there was none or it could not be deleted.
bool deleteFile(const char* path);

// ---- platform side (files_posix.cpp, files_win.cpp; the user's folders in
// headless/userfolders_headless.cpp and win/userfolders_win.cpp) ----
namespace files_platform {
bool isSeparator(char c);
// Renames or, across file systems, copies and deletes; replaces `target`.
// False with the system's error noted for lastFileError().
bool move(const char* source, const char* target);
// Notes a path too long for the system as the last error.
void noteTooLong();
} // namespace files_platform
