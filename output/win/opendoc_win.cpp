#include "output/opendoc.h"

#include "log/dump.h"

#include "util/mystr.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

bool openDoc(const char* path, const char* application)
{
    if (path == nullptr)
        return false;
    // The path is the whole parameter text: quoted when it holds a blank, so
    // the program receives it as one argument.
    std::wstring param = utf8ToWide(path);
    if (param.find_first_of(L" \t") != std::wstring::npos)
        param = L"\"" + param + L"\"";
    if (application == nullptr || application[0] == '\0') {
        dprintf("openDoc: %s", path);
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, param.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
    }
    HINSTANCE r = ShellExecuteW(nullptr, nullptr, utf8ToWide(application).c_str(), param.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}
