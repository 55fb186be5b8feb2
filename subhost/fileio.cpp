#include "subhost/fileio.h"

#include <cstdio>
#include <stdexcept>

namespace subhost {

AtomicFileWriter::AtomicFileWriter(std::string path) : mPath(std::move(path)), mTemp(mPath + ".part")
{
    mFile.open(mTemp, std::ios::binary | std::ios::trunc);
    if (!mFile)
        throw std::runtime_error("cannot write " + mTemp);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!mDone) {
        mFile.close();
        std::remove(mTemp.c_str());
    }
}

void AtomicFileWriter::write(const char* bytes, std::size_t n)
{
    if (mFile)
        mFile.write(bytes, static_cast<std::streamsize>(n));
}

void AtomicFileWriter::commit()
{
    if (mDone)
        return;
    mDone = true;
    mFile.flush();
    bool written = static_cast<bool>(mFile);
    mFile.close();
    if (!written || mFile.fail()) {
        std::remove(mTemp.c_str());
        throw std::runtime_error("cannot write " + mTemp);
    }
    if (std::rename(mTemp.c_str(), mPath.c_str()) != 0) {
        std::remove(mTemp.c_str());
        throw std::runtime_error("cannot replace " + mPath);
    }
}

void writeFileAtomically(const std::string& path, const std::string& text)
{
    AtomicFileWriter file(path);
    file.write(text.data(), text.size());
    file.commit();
}

} // namespace subhost
