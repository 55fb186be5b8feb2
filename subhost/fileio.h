// Writing the host's files without ever leaving a half-written one.
#pragma once

#include <cstddef>
#include <string>

namespace subhost {

// A file written beside `path` (as `path`.part) while its bytes come, which
// replaces `path` only when commit() succeeds. Until then, and after any
// failure, the old file stays as it was; an uncommitted writer removes the
// file beside it when it goes. A missing folder on the way is created.
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
    std::string mPath, mTemp;
    int mFd = -1;
    int mError = 0; // errno of the first failed write
    bool mDone = false;
};

// Writes `text` into a file beside `path`, which then replaces `path`; on a
// failure the old file stays as it was. A missing folder on the way is
// created. Throws std::runtime_error naming the file and the system's reason.
void writeFileAtomically(const std::string& path, const std::string& text);

// Creates the folder that holds `path` (and the folders above it) when it is
// missing. Throws std::runtime_error naming the folder and the reason when it
// cannot be created or a file of that name is in the way.
void createParentFolder(const std::string& path);

} // namespace subhost
