// The user's folders, alias files and canonical composition for a toolkit
// without a desktop of its own (the headless one): the freedesktop
// conventions, XDG user-dirs for Documents and Desktop and $XDG_CONFIG_HOME
// for the preferences. A toolkit with a desktop of its own asks it instead
// (util/mac/folders_mac.mm replaces this file).
#include "ui/toolkit.h"
#include "util/files.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <pwd.h>
#include <unistd.h>

namespace {

bool copyPath(const std::string& path, char* out)
{
    if (path.empty() || path.size() + 1 > kPathSize)
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    struct passwd pw;
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found != nullptr && found->pw_dir != nullptr)
        return found->pw_dir;
    return std::string();
}

std::string configFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config;
    std::string home = homeFolder();
    return home.empty() ? home : home + "/.config";
}

// The folder of XDG_<key>_DIR in user-dirs.dirs, or `fallback` under the home
// folder. The file holds shell-style lines XDG_DESKTOP_DIR="$HOME/Desktop";
// a value is either "$HOME" followed by a path or an absolute path. The last
// valid line for the key counts, as when the shell reads the file.
std::string userFolder(const char* key, const char* fallback)
{
    std::string home = homeFolder();
    std::string result;
    std::string config = configFolder();
    if (!config.empty()) {
        if (std::unique_ptr<std::FILE, FileCloser> f{std::fopen((config + "/user-dirs.dirs").c_str(), "rb")}) {
            std::string wanted = std::string("XDG_") + key + "_DIR=\"";
            char line[2048];
            while (std::fgets(line, sizeof line, f.get()) != nullptr) {
                const char* p = line;
                while (*p == ' ' || *p == '\t')
                    ++p;
                if (std::strncmp(p, wanted.c_str(), wanted.size()) != 0)
                    continue;
                p += wanted.size();
                const char* end = std::strchr(p, '"');
                if (end == nullptr)
                    continue;
                std::string value(p, static_cast<std::size_t>(end - p));
                if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
                    if (!home.empty())
                        result = home + value.substr(5);
                } else if (!value.empty() && value[0] == '/') {
                    result = value;
                }
            }
        }
    }
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    if (result.empty() && !home.empty())
        result = home + "/" + fallback;
    return result;
}

} // namespace

bool getDocumentsFolder(char* out)
{
    return out != nullptr && copyPath(userFolder("DOCUMENTS", "Documents"), out);
}

bool getDesktopFolder(char* out)
{
    return out != nullptr && copyPath(userFolder("DESKTOP", "Desktop"), out);
}

bool getAppSupportFolder(char* out)
{
    return out != nullptr && copyPath(configFolder(), out);
}

// Linux has no alias files.
void resolveAlias(char*)
{
}

namespace mystr_platform {
// Linux offers no canonical composition without an extra library, so the text
// stays as it is here; callers get the text back unchanged.
void composeNFC(std::u16string&)
{
}
} // namespace mystr_platform
