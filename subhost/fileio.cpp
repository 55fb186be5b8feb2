#include "subhost/fileio.h"

#include "subhost/fileio_platform.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;
namespace fp = subhost::fileio_platform;

namespace subhost {

namespace {

// Attempts at a free temporary name before giving up.
constexpr int kTempAttempts = 100;

std::mt19937_64& randomSource()
{
    static std::mt19937_64 source = [] {
        std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            seed ^= (static_cast<std::uint64_t>(device()) << 32) | device();
        } catch (const std::exception&) {
            // No source of randomness: the clock alone; the names are still
            // only ever created anew.
        }
        return std::mt19937_64(seed);
    }();
    return source;
}

// A short name of its own in the folder of `file` (".fo", eight random
// letters or digits, ".tmp"), so that even a file name of the longest kind
// leaves room for it.
std::string tempBeside(const std::string& file)
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".fo";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    for (int i = 0; i < 8; ++i)
        name += kChars[pick(randomSource())];
    name += ".tmp";
    std::size_t start = file.size();
    while (start > 0 && !fp::isSeparator(file[start - 1]))
        --start;
    return file.substr(0, start) + name;
}

} // namespace

void createParentFolder(const std::string& path)
{
    fs::path folder = fs::u8path(path).parent_path();
    if (folder.empty())
        return;
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return;
    // Walk up to the first part that exists, so the message names the part
    // that is in the way rather than the whole path.
    for (fs::path p = folder; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        if (fs::exists(fs::symlink_status(p, ec)) && !fs::is_directory(p, ec))
            throw std::runtime_error("cannot create the folder " + folder.u8string() + ": " + p.u8string() +
                                     " is a file, not a folder");
        if (fs::is_directory(p, ec))
            break;
    }
    fs::create_directories(folder, ec);
    if (ec)
        throw std::runtime_error("cannot create the folder " + folder.u8string() + ": " + ec.message());
}

AtomicFileWriter::AtomicFileWriter(std::string path) : mPath(std::move(path))
{
    // A device or a pipe is refused before any folder is made for it.
    fp::Target target;
    int examined = fp::examine(mPath, target);
    if (examined != 0 || target.kind == fp::Kind::Missing) {
        createParentFolder(mPath);
        examined = fp::examine(mPath, target);
    }
    if (examined != 0)
        fail("write", examined);
    mFile = target.file;
    switch (target.kind) {
    case fp::Kind::Folder:
        fail("write", 0, "it is a folder");
    case fp::Kind::Other:
        fail("write", 0, "it is " + target.what + ", not a file");
    case fp::Kind::Stream: {
        int err = 0;
        std::string note;
        mHandle = fp::openInPlace(target, err, note);
        if (mHandle == fp::kNoHandle)
            fail("write", err, note);
        return;
    }
    case fp::Kind::Missing:
    case fp::Kind::Regular:
        break;
    }
    bool replacing = target.kind == fp::Kind::Regular;
    int err = 0;
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        mTemp = tempBeside(mFile);
        mHandle = fp::createNew(mTemp, replacing, err);
        if (mHandle != fp::kNoHandle || !fp::nameTaken(err))
            break;
    }
    if (mHandle == fp::kNoHandle) {
        mTemp.clear();
        fail("write", err);
    }
    if (replacing) {
        if (int e = fp::takeOverModeAndOwner(mHandle, target)) {
            fp::closeFile(mHandle);
            fp::removeFile(mTemp);
            mDone = true;
            fail("write", e);
        }
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (mDone)
        return;
    if (mHandle != fp::kNoHandle)
        fp::closeFile(mHandle);
    if (!mTemp.empty())
        fp::removeFile(mTemp);
}

void AtomicFileWriter::fail(const std::string& verb, int err, const std::string& note) const
{
    std::string what = "cannot " + verb + " " + mPath;
    if (!mFile.empty() && mFile != mPath)
        what += " (a link to " + mFile + ")";
    std::string why = err != 0 ? fp::reason(err) : std::string();
    if (!note.empty())
        why += why.empty() ? note : " (" + note + ")";
    throw std::runtime_error(what + ": " + why);
}

void AtomicFileWriter::write(const char* bytes, std::size_t n)
{
    if (mError == 0 && n > 0)
        mError = fp::writeAll(mHandle, bytes, n, mTemp.empty());
}

void AtomicFileWriter::commit()
{
    if (mDone)
        return;
    mDone = true;
    int err = mError;
    int closed = fp::closeFile(mHandle);
    mHandle = fp::kNoHandle;
    if (err == 0)
        err = closed;
    if (mTemp.empty()) {
        if (err != 0)
            fail("write", err);
        return;
    }
    if (err != 0) {
        fp::removeFile(mTemp);
        fail("write", err);
    }
    if (int e = fp::replaceFile(mTemp, mFile)) {
        fp::removeFile(mTemp);
        fail("replace", e);
    }
}

void writeFileAtomically(const std::string& path, const std::string& text)
{
    AtomicFileWriter file(path);
    file.write(text.data(), text.size());
    file.commit();
}

} // namespace subhost
