#include "output/opendoc.h"

#include "log/dump.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {
std::wstring wide(const char* s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
    return w;
}
} // namespace

bool openDoc(const char* path, const char* application)
{
    if (path == nullptr)
        return false;
    // The path is the whole parameter text: quoted when it holds a blank, so
    // the program receives it as one argument.
    std::wstring param = wide(path);
    if (param.find_first_of(L" \t") != std::wstring::npos)
        param = L"\"" + param + L"\"";
    if (application == nullptr || application[0] == '\0') {
        dprintf("openDoc: %s", path);
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, param.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
    }
    HINSTANCE r = ShellExecuteW(nullptr, nullptr, wide(application).c_str(), param.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}
