// Paths and files. Paths are zero-terminated UTF-8 texts in caller-owned
// buffers of 512 bytes; nothing here allocates a path. The separator is "/"
// on macOS and Linux and "\" on Windows (where "/" is accepted as well when
// paths are taken apart).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// What the operating system does with files (fileExists, openFile, moveFile's
// parts, ...) and kPathSize; the user's folders and aliases are the
// toolkit's (ui/toolkit.h).
#include "util/os.h"

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

// True when both name the same regular file in the same state.
bool sameFileStamp(const FileStamp& a, const FileStamp& b);

// Moves the file `source` into the folder `destFolder`, replacing a file of
// the same name there, also across file systems. Without `newName` it keeps
// its own name and `destFolder` is left as it is; with `newName` it is renamed
// and `destFolder` (a 512-byte buffer) then holds the moved file's path.
// Nothing is run through a shell, so any character in the paths is safe.
// Across file systems the copy is made under a name of its own that is always
// created anew (never a file or link found there) and renamed when complete.
bool moveFile(const char* source, char* destFolder, const char* newName);

// Closes a file when its owner goes (std::unique_ptr's deleter), also when an
// exception passes.
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
