// Writing the host's files without ever leaving a half-written one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace subhost {

// A file written under a short temporary name in its folder while its bytes
// come, which replaces `path` only when commit() succeeds. Until then, and
// after any failure, the old file stays as it was; an uncommitted writer
// removes its temporary file when it goes. The temporary file is always a new
// one of its own: a file or link found at its name is never opened or
// followed, another name is taken instead.
//
// What `path` names decides how it is written:
// - a file: replaced, and the new file keeps the old one's mode and, where
//   the system allows it, its owner and group (POSIX);
// - a symbolic link: written through; the file the link leads to is replaced
//   in its own folder and the link stays as it is (POSIX);
// - a character device or a FIFO: written in place, never replaced; a FIFO
//   that no program reads from is refused rather than waited for;
// - a folder, a socket, a block device: refused;
// - nothing: a new file, with a missing folder on the way created.
// Every failure throws std::runtime_error naming the file and the system's
// reason.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Bytes that cannot be written are remembered; commit() reports them.
    void write(const char* bytes, std::size_t n);
    // Completes the file and puts it in place of `path`.
    void commit();
    const std::string& path() const { return mPath; }

private:
    [[noreturn]] void fail(const std::string& verb, int err, const std::string& note = std::string()) const;

    std::string mPath;
    std::string mFile; // the file written: `path`, or the one its link leads to
    std::string mTemp; // empty when the file is written in place
    std::intptr_t mHandle = -1;
    int mError = 0; // system error code of the first failed write
    bool mDone = false;
};

// Writes `text` to `path` through an AtomicFileWriter: on a failure the old
// file stays as it was. Throws std::runtime_error naming the file and the
// system's reason.
void writeFileAtomically(const std::string& path, const std::string& text);

// Creates the folder that holds `path` (and the folders above it) when it is
// missing. Throws std::runtime_error naming the folder and the reason when it
// cannot be created or a file of that name is in the way.
void createParentFolder(const std::string& path);

} // namespace subhost
