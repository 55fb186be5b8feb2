// Reading the real windows of this process as a user sees them: finding
// them, their texts and classes, and the controls of a dialog or a pane as
// the scripted user's views (kind from the window class and style, id, text,
// state, focus, selection, items). The Windows host's scripted user and the
// window tests both look through these.
#pragma once

#include "subhost/scriptuser.h"

#include <windows.h>

#include <string>
#include <vector>

namespace subhost::win {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& text);

std::wstring textOf(HWND hwnd);
std::wstring classOf(HWND hwnd);
// Whether the window belongs to this process.
bool ours(HWND hwnd);
// Every descendant, depth first in creation order.
std::vector<HWND> descendants(HWND root);
// The first descendant with this control id, depth first.
HWND descendant(HWND root, int id);
// Waits until the thread owning `hwnd` has handled the messages sent to it
// before (at most `ms` milliseconds).
void settle(HWND hwnd, int ms = 3000);
// The window with the keyboard focus in the thread that owns `hwnd`, or null.
HWND focusOf(HWND hwnd);

// The controls inside `root` (a dialog or a pane) in creation order, read
// from the native windows: the kinds the plug-in's dialog runtime knows,
// so the narration is the same as on the headless toolkit.
std::vector<ControlView> readControls(HWND root);

} // namespace subhost::win
