// A home folder of the test program's own, so tests never touch the real
// one: the plug-in's preferences, desktop and documents all live there. It is
// made when the program starts and removed when it ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace testhome {

class PrivateHome {
public:
    explicit PrivateHome(const std::string& prefix)
        : mPath(std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath / "Desktop");
        std::filesystem::create_directories(mPath / "Documents");
        ::setenv("HOME", mPath.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (mPath / ".config").c_str(), 1);
    }
    ~PrivateHome()
    {
        std::error_code ec;
        std::filesystem::remove_all(mPath, ec);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

private:
    std::filesystem::path mPath;
};

} // namespace testhome
