// The user's folders on Windows, from the shell.
#include "util/files.h"

#include "ui/toolkit.h"
#include "util/mystr.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

bool shellFolder(int csidl, char* out)
{
    wchar_t wide[MAX_PATH];
    if (out == nullptr || FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, wide)))
        return false;
    std::string path = utf16ToUtf8(reinterpret_cast<const char16_t*>(wide), wcslen(wide));
    if (path.empty() || path.size() + 1 > kPathSize)
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

bool getDocumentsFolder(char* out)
{
    return shellFolder(CSIDL_PERSONAL, out);
}

bool getDesktopFolder(char* out)
{
    return shellFolder(CSIDL_DESKTOPDIRECTORY, out);
}

bool getAppSupportFolder(char* out)
{
    return shellFolder(CSIDL_PERSONAL, out);
}
