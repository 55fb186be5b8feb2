// The Win32 toolkit of the dialog runtime: real windows for the runtime's
// window objects. The window object stays the truth; the toolkit creates the
// native windows from it, pushes its state into them after every event, and
// pulls a native control's state back when the user changed it
// (controlChanged), so the dialog logic is the runtime's for every toolkit.
#pragma once

#include "ui/dialogs.h"

#include <string>

struct _ITEMIDLIST;

namespace wintk {

// At start-up: the toolkit's own window classes ("UserPane", "RadioGroup",
// "Separator") and its two fonts; at quit they go again.
void registerClasses();
void unregisterClasses();
bool classesRegistered();

// The screen and the frame of a dialog window.
void screenSize(int* width, int* height);
FrameInsets frameInsets();

// Runs a built window modally on real windows; its result, 0 when the window
// system cannot show it.
int runModal(DlgWindow& window);
// Pushes the window object's state into its native windows.
void update(DlgWindow& window);

// A native control was changed by the user (the notification is the native
// one: BN_CLICKED, EN_CHANGE, CBN_SELCHANGE, ...): pulls its state into the
// window object and runs the runtime's dispatch, then pushes the result.
void controlChanged(DlgWindow& window, DlgControl& control, int notification);

// A message box on the "MsgBox" template: 1 for the first button, 2 for any
// other way.
int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons);

// The folder browser: 1 and the path, 2 when cancelled.
int chooseFolder(const char* start, std::string& chosen);

// COM for the folder browser on the caller's thread, as the documentation
// asks: a single-threaded apartment entered for the object's life, and left
// only when this object entered it (S_OK, S_FALSE); a thread already in
// another apartment keeps it untouched.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    long result() const { return mResult; }

private:
    long mResult;
};

// The longest path the system takes (in the \\?\ form), in UTF-16 units.
inline constexpr unsigned kLongPathMax = 32768;
// The folder an item list of the shell names, of any length; false for an
// item that is no folder of the file system.
bool folderOfIdList(const _ITEMIDLIST* list, std::string& folder);

} // namespace wintk
