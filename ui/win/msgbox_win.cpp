// Windows: the plug-in's own message box (ui/win/winmsgbox.cpp).
#include "ui/msgbox.h"

#include "ui/toolkit.h"
#include "ui/win/wintoolkit.h"

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    return wintk::showMessageBox(title, primary, secondary, buttons);
}
