#include "subhost/fileio.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

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
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot replace " + path);
    }
}

} // namespace subhost
