// Driving the plug-in's real windows from a second thread, as a user would:
// find the window the plug-in shows, read its controls back, type into its
// fields and press its buttons. The dialog itself runs on the test's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace windriver {

// A visible top-level dialog of this process with this title (any title when
// empty), whose control `childId` exists; null after `ms` milliseconds.
HWND waitForDialog(const std::wstring& title, int childId, int ms = 5000);
// The first descendant window with this control id, depth first.
HWND descendant(HWND root, int id);
// Every descendant, depth first in creation order.
std::vector<HWND> descendants(HWND root);
// A window's rectangle in the client coordinates of `dialog`.
RECT rectIn(HWND dialog, HWND control);
std::wstring className(HWND hwnd);
std::wstring text(HWND hwnd);
// The face name and height of the font a control draws with.
std::wstring fontFace(HWND hwnd, int* height);
// Pixel width of a control's text in its font, and its client width.
int textWidth(HWND hwnd);
int clientWidth(HWND hwnd);

// Presses a button the way a click does (posted, so a dialog it opens does
// not block the driver), then waits until the GUI thread has handled it.
void click(HWND button);
// Sets a field's text as typing does (one change notification).
void type(HWND edit, const std::wstring& text);
// Posts a key (VK_RETURN, VK_ESCAPE, VK_TAB) to a control.
void key(HWND control, UINT vk);
// Waits until the window is gone (or `ms` passed); true when it is.
bool waitGone(HWND hwnd, int ms = 5000);
// Closes every visible dialog of this process (a driver that lost its way).
void closeAll();

// Runs `modal` on this thread while `driver` acts on another; returns what
// `modal` returned. When the driver throws or finishes early, open dialogs
// are closed so the test ends.
int run(const std::function<int()>& modal, const std::function<void()>& driver);

} // namespace windriver
