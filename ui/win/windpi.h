// The DPI of the plug-in's windows inside the host's process. Layouts are
// written at 96 DPI and scaled by the DPI of the window they belong to: the
// window's own DPI where Windows has it (per monitor for a per-monitor-aware
// host), else the system DPI. The functions of newer Windows are looked up at
// run time, so the DLL loads on older versions. The host's process-wide DPI
// awareness is never changed; only the thread's, for the scope of creating
// (and running) a modal window, and it is restored after.
#pragma once

#include <windows.h>

namespace wintk {

constexpr UINT kLayoutDpi = 96;
// WM_DPICHANGED: a window moved to a screen of another DPI (new DPI in the
// high word of wParam, the suggested window rectangle at lParam).
constexpr UINT kDpiChanged = 0x02E0;

// The DPI a window shows at: GetDpiForWindow, else the monitor's DPI when the
// process is per-monitor aware, else LOGPIXELSY of the window's screen; the
// system DPI for no window.
UINT dpiOf(HWND hwnd);
// A length laid out at 96 DPI, at `dpi`.
inline int scaled(int v, UINT dpi) { return MulDiv(v, static_cast<int>(dpi), static_cast<int>(kLayoutDpi)); }
// A system metric at `dpi` (GetSystemMetricsForDpi where Windows has it).
int metricFor(int index, UINT dpi);
// The frame of a window of this style around a client area, at `dpi`.
RECT frameFor(DWORD style, DWORD exStyle, UINT dpi);
// Turns off the dialog manager's own re-layout and font update on a DPI
// change (per-monitor v2): the plug-in re-lays its dialogs itself.
void takeOverDpiChanges(HWND dialog);

// "MS Shell Dlg" at a height in pixels (negative: character height) and a
// weight; made once and kept until the window classes go.
HFONT shellFont(int height, int weight);
void deleteFonts();

// Gives the thread the DPI awareness of `owner` while a top-level window is
// created for it; the destructor puts the thread's own back.
class ThreadDpiScope {
public:
    explicit ThreadDpiScope(HWND owner);
    ~ThreadDpiScope();
    ThreadDpiScope(const ThreadDpiScope&) = delete;
    ThreadDpiScope& operator=(const ThreadDpiScope&) = delete;

private:
    HANDLE mOld = nullptr;
    bool mChanged = false;
};

} // namespace wintk
