// The host's windows around a modal window of the plug-in. The host's main
// window is disabled while the modal window shows, and it is enabled again
// (when it was enabled before) before the modal window is destroyed: in the
// other order Windows finds no enabled window of the host to activate and
// brings another program's window to the front. Afterwards the window that
// had the focus gets it back.
#pragma once

#include <windows.h>

namespace wintk {

class ModalOwner {
public:
    // Remembers the focus and the active window and disables the host's
    // main window (or, when the host did not tell it, the active window's
    // owner).
    ModalOwner();
    // Enables the disabled window again if the modal window did not, then
    // activates the remembered window and gives the focus back.
    ~ModalOwner();
    ModalOwner(const ModalOwner&) = delete;
    ModalOwner& operator=(const ModalOwner&) = delete;

    // The top-level window the modal window is owned by: the active one, or
    // the host's main window.
    HWND owner() const { return mOwner; }
    // The window that had the focus before.
    HWND focused() const { return mFocused; }
    // The modal window now showing: endModal finds this owner through it.
    void attach(HWND modal);
    static void detach(HWND modal);
    // Enables the disabled window again, if it was enabled before; once.
    void release();

private:
    HWND mFocused = nullptr;
    HWND mActive = nullptr;
    HWND mOwner = nullptr;
    HWND mDisabled = nullptr;
    bool mWasEnabled = false;
};

// Ends a modal dialog: its owners are enabled first, then the dialog ends.
void endModal(HWND modal, INT_PTR result);

} // namespace wintk
