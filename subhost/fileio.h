// Writing the host's files without ever leaving a half-written one.
#pragma once

#include <fstream>
#include <string>

namespace subhost {

// A file written beside `path` (as `path`.part) while its bytes come, which
// replaces `path` only when commit() succeeds. Until then, and after any
// failure, the old file stays as it was; an uncommitted writer removes the
// file beside it when it goes.
class AtomicFileWriter {
public:
    // Throws std::runtime_error ("cannot write PATH.part") when the file
    // beside `path` cannot be created.
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(const char* bytes, std::size_t n);
    // Completes the file and puts it in place of `path`. Throws
    // std::runtime_error ("cannot write PATH.part" when a write failed,
    // "cannot replace PATH" when the rename failed).
    void commit();
    const std::string& path() const { return mPath; }

private:
    std::string mPath, mTemp;
    std::ofstream mFile;
    bool mDone = false;
};

// Writes `text` into a file beside `path`, which then replaces `path`; on a
// failure the old file stays as it was. Throws std::runtime_error.
void writeFileAtomically(const std::string& path, const std::string& text);

} // namespace subhost
