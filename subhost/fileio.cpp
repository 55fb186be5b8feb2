#include "subhost/fileio.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace subhost {

void writeFileAtomically(const std::string& path, const std::string& text)
{
    std::string temp = path + ".part";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f)
            throw std::runtime_error("cannot write " + temp);
        f.write(text.data(), static_cast<std::streamsize>(text.size()));
        f.flush();
        if (!f) {
            f.close();
            std::remove(temp.c_str());
            throw std::runtime_error("cannot write " + temp);
        }
    }
#if defined(_WIN32)
    // Windows renames onto an existing file only when asked to replace it.
    bool moved = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    bool moved = std::rename(temp.c_str(), path.c_str()) == 0;
#endif
    if (!moved) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot replace " + path);
    }
}

} // namespace subhost
