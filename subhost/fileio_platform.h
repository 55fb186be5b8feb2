// The system side of writing the host's files (posix/fileio_posix.cpp,
// win/fileio_win.cpp). Errors are the system's own codes (errno on POSIX,
// GetLastError() on Windows); reason() gives their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace subhost::fileio_platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

enum class Kind {
    Missing, // nothing there yet: a new file is made
    Regular, // a file, replaced by the complete new one
    Folder,  // never written
    Stream,  // a character device or a FIFO: written in place, never replaced
    Other,   // anything else (a socket, a block device): refused
};

// True for a character after which a path's file name may start ("/"; on
// Windows also "\\" and the ":" of a drive).
bool isSeparator(char c);

// What a path names when the writer starts.
struct Target {
    std::string file; // the path itself, or the file its symbolic links lead to
    Kind kind = Kind::Missing;
    std::string what; // Other: what it is, for the message ("a socket")
    // Regular: the mode and owner the new file takes over (POSIX).
    std::uint32_t mode = 0;
    std::int64_t owner = -1, group = -1;
};

// Looks at `path`, following symbolic links to the file the last one names
// (which need not exist yet). 0, or the system's error code.
int examine(const std::string& path, Target& out);

// Creates `path` for writing only when nothing is there: a file or link of
// that name is never opened or followed. kNoHandle with `err` set otherwise;
// nameTaken(err) tells that something is in the way. `ownerOnly`: readable by
// the owner alone until takeOverModeAndOwner(); else the usual mode of a new
// file.
Handle createNew(const std::string& path, bool ownerOnly, int& err);
bool nameTaken(int err);

// Opens a Stream target for writing as it is, without creating, truncating
// or waiting for a reader. kNoHandle with `err` (0 when only `note` tells
// why) and `note` (extra words for the message, may stay empty) otherwise.
Handle openInPlace(const Target& target, int& err, std::string& note);

// Writes all `n` bytes; 0 or the error code. `stream`: the file may be a pipe
// whose reader went away, which then is an error, not the end of the process.
int writeAll(Handle h, const char* bytes, std::size_t n, bool stream);

// Gives the new file the mode and owner of the Regular target it replaces
// (the owner only where the system allows it). 0 or the error code.
int takeOverModeAndOwner(Handle h, const Target& target);

int closeFile(Handle h);
// Puts `from` in place of the file `to` in one step. 0 or the error code.
int replaceFile(const std::string& from, const std::string& to);
void removeFile(const std::string& path);

// The system's text for an error code ("Permission denied").
std::string reason(int err);

} // namespace subhost::fileio_platform
