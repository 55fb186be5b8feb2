#include "ui/msgbox.h"

#include "util/mystr.h"

#include <windows.h>

#include <string>

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    std::wstring text = utf8ToWide(primary);
    if (secondary[0] != '\0')
        text += L"\r\r" + utf8ToWide(secondary);
    MessageBeep(MB_OK);
    int r = MessageBoxW(GetActiveWindow(), text.c_str(), utf8ToWide(title).c_str(), buttons > 1 ? MB_OKCANCEL : MB_OK);
    return r == IDOK ? 1 : 2;
}
