#include "ui/msgbox.h"

#include <windows.h>

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

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    std::wstring text = wide(primary);
    if (secondary[0] != '\0')
        text += L"\r\r" + wide(secondary);
    MessageBeep(MB_OK);
    int r = MessageBoxW(GetActiveWindow(), text.c_str(), wide(title).c_str(), buttons > 1 ? MB_OKCANCEL : MB_OK);
    return r == IDOK ? 1 : 2;
}
