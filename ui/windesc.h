// Window descriptions: reading them, nothing more. A description is a small
// XML resource (type "xml") named like the dialog: the window's title and
// client size, then one `control` element per control in creation order.
// The dialog runtime's builder (ui/dlgbuild.h) makes the window from it.
#pragma once

#include "ui/dlgmodel.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct WinDescControl {
    std::uint32_t type = 0;          // "push", "cbox", ..., "####"
    int id = -1;
    std::uint32_t cmd = 0;
    DlgRect rect;
    std::string text;                // as written (a key of the string table)
    std::string just;
    long border = 0, multi = 0, pass = 0, readonly = 0;
    std::vector<std::string> menu;
    std::vector<std::string> tabs;   // text1, text2, ...
    std::map<std::uint32_t, std::string> strings; // the eight string attributes present and non-empty
};

struct WinDesc {
    std::string name;                // as written
    DlgRect rect;                    // x y: screen position (never shown), w h: client size
    std::vector<WinDescControl> controls;
};

// Reads a description's text. Missing elements take their defaults (id -1,
// rect 0 0 0 0, empty text, flags 0); malformed numbers read as 0, and
// coordinates beyond -32768 to 32767 as that limit. False when a control or
// menu item had to be left out (no memory for its copy).
bool readWinDesc(const char* text, WinDesc* desc);
// Loads the description `name` from the plug-in's resources (the name as it
// is, then with the language's suffix, then "_E"); false when there is none
// or it could not be read whole.
bool loadWinDesc(const char* name, WinDesc* desc);
