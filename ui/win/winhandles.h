// Native handles of the Win32 toolkit: which windows show a window object,
// and what each native control last showed (so a push changes only what the
// window object changed since).
#pragma once

#include "ui/dialogs.h"

#include <windows.h>

#include <string>
#include <vector>

namespace wintk {

// What a native control showed after the last push or pull.
struct Shown {
    bool known = false; // false: push everything
    std::string text;
    std::int32_t value = 0;
    bool enabled = true;
    bool visible = true;
    int selStart = 0, selLength = 0;
    std::size_t items = 0;
};

// The native side of one window object.
struct View {
    DlgWindow* window = nullptr;
    HWND hwnd = nullptr;            // the dialog, or the pane's window
    bool pane = false;              // the host made the windows from the pane's resource
    std::vector<HWND> controls;     // one per control of the window object, null where none
    std::vector<Shown> shown;
    int focus = -1;                 // the focus last pushed
    std::string title;              // the title last pushed (dialogs)
    int pushing = 0;                // >0 while the toolkit itself changes controls
    UINT dpi = 96;                  // the DPI the windows are laid out at
};

// The module holding the plug-in's code and resources.
HMODULE ownModule();
// The host's main window, when the host told it.
HWND hostMainWindow();
void setHostMainWindow(HWND window);

// Makes (or remakes) the view of a window object.
View& makeView(DlgWindow& window, HWND hwnd, bool pane);
// The view of a window object, or null.
View* viewOf(const DlgWindow* window);
// Binds a window object to the windows of a pane that the host created from
// its dialog resource: each control is found by its id.
View* bindPane(DlgWindow& pane, HWND hwnd);
void unbind(const DlgWindow* window);

// The two fonts ("MS Shell Dlg", 12 pixels at 96 DPI, normal and bold) at a DPI.
HFONT normalFont(UINT dpi);
HFONT boldFont(UINT dpi);

// One creator per described kind: create the native control, push the
// window object's state into it, pull the native state back.
HWND createControl(View& view, std::size_t index, HWND parent);
// Moves every control to its rectangle at the view's DPI, with its font.
void layoutControls(View& view);
void pushControl(View& view, std::size_t index);
void pullControl(View& view, std::size_t index);
// Everything that changed, then the focus.
void pushAll(View& view);

// UTF-8 window text of a native window.
std::string windowText(HWND hwnd);

} // namespace wintk
