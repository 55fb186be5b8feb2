// The dialog runtime: runs the plug-in's modal dialogs by name, attaches
// handlers to controls, ends a dialog with a result, and gets and sets a
// control's text and value without knowing its kind. Callers are written once
// for every toolkit.
//
// A dialog is held as a window object with its controls (kind, id, text,
// value, enabled state, focus); the toolkit of the platform shows it. The
// seam runs both ways: the model is pushed to the toolkit (dialog_toolkit in
// ui/toolkit.h), and a native control the user changed calls controlChanged,
// which pulls its state into the model and runs the one dispatch every
// toolkit shares. The same objects serve the options pane, which lives in a
// dialog of the host.
#pragma once

#include "ui/dlgmodel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- dialogs ----

// Called once after the dialog is built and localized, before it is shown.
typedef std::uint8_t (*SetupDlgProc)(DialogRef dialog, void* userData);

// Runs the named dialog modally: 1 OK, 2 Cancel or closed, another code a
// control proc chose, 0 when it could not be shown.
int doModalDialog(const char* name, SetupDlgProc setup, void* userData);
// Ends the running modal dialog with `code` (and stops its timer).
void quitModalDialog(DialogRef dialog, int code);
// Calls `proc` every `milliseconds` while the dialog is shown (Windows: its
// timer 1), from the setup proc on; a null proc or 0 stops it. The headless
// window system has no clock: its dialogs never tick.
void setDialogTimer(DialogRef dialog, TimerProc proc, unsigned milliseconds);
// Lets `proc` draw the items of a list box instead of its plain texts.
void setListDrawHook(ControlRef list, ListDrawProc proc);
// The first control in creation order whose id or command code is `id`, or null.
ControlRef getControl(DialogRef dialog, int id);
int getControlItem(ControlRef control);
void setControlHandler(ControlRef control, ControlProc proc, void* userData);
void setControlHandler(DialogRef dialog, int id, ControlProc proc, void* userData);
void setWindowTitle(DialogRef dialog, const char* title);
// Selects the file name part of an edit field's text: from its start up to
// the last "." (report.final of report.final.ps); without a dot nothing is
// selected anew. The field gets the focus.
void selectFileName(ControlRef control);
void setEditSelection(ControlRef control, int start, int length);
// Gives the control the keyboard focus.
void setControlFocus(ControlRef control);

// ---- controls (texts UTF-8, buffers 256 bytes) ----

// Sets the visible text by kind; the text is shown as given (labels are
// localized when a dialog is built, user data never is).
void setControlText(ControlRef control, const char* text);
// Formats (at most 4095 bytes), then setControlText.
void setControlTextWithFormat(ControlRef control, const char* format, ...);
// Copies the control's text by kind into `buffer` (256 bytes): texts of up to
// 255 bytes; a longer text gives an empty one.
void getControlText(ControlRef control, char* buffer);
void setControlValue(ControlRef control, std::int32_t value);
std::int32_t getControlValue(ControlRef control);
void enableControl(ControlRef control, bool enable);

// ---- the user changed a native control ----

// What a native control reports when the user has changed it.
enum class ControlEvent {
    Clicked,          // a push button was pressed, a check box or radio button clicked
    TextChanged,      // the text of an edit field or of a combo box's field changed
    SelectionChanged, // another item of a popup, combo box, list or tab control
    DropDown,         // a combo box's list is about to open
};

// The state of the native control after the change.
struct ControlState {
    ControlEvent event = ControlEvent::Clicked;
    std::int32_t value = 0; // check state (0 or 1), or the 1-based item or tab
    std::string text;       // the field text of an edit field or combo box
};

// The one entry a toolkit calls when the user has changed a control (the
// control at `controlIndex` in creation order): pulls the state into the
// model by the control's kind and dispatches the command it causes. The
// control's proc runs first; unless it handles the command, the ids 1 and 2
// end a dialog (not the pane). A radio button inside a radio group leaves its
// siblings off and reports as the group; a popup reports only a new item; a
// combo box remembers the item chosen and shows it again when its list next
// opens; a text is cut to kTypedTextMax bytes. False, and nothing changed,
// when there is no such control, it is hidden or disabled, or the event does
// not fit its kind.
bool controlChanged(DlgWindow& window, int controlIndex, const ControlState& state);

// ---- user actions ----

enum class UserActionKind { None, Type, Click, Choose, Return, Escape, Close, Tab };
struct UserAction {
    UserActionKind kind = UserActionKind::None;
    int control = 0;     // id
    int value = 0;       // Choose: 1-based item; Tab: 1 forward, -1 backward
    std::string text;    // Type
};

// Carries out one action of the user on the window, as the native control
// would, and dispatches the command it causes: a click, typed text or a
// chosen item become the control's new state and go through controlChanged.
// Toolkits without native controls (the headless one) hand every action here;
// a native toolkit hands the keys and the close box. Return is the OK
// command (id 1), Escape the Cancel
// command (id 2; from a button or check box it closes the window), closing
// the window ends it with 2, and the ids 1 and 2 end a dialog unless their
// control proc handles them. False when the action does not apply (no such
// control, hidden or disabled, a kind that does not take it).
bool applyUserAction(DlgWindow& window, const UserAction& action);

// Typed text longer than this is cut (at a character boundary), as a text
// field that takes no more; the control calls hand on 255 bytes.
inline constexpr std::size_t kTypedTextMax = 255;

// The controls that Tab walks through, as indices in creation order:
// visible, enabled and with the tab stop, inside visible and enabled
// containers; user panes never. At most 511.
std::vector<int> tabOrder(const DlgWindow& window);
// Moves the focus to the next (or previous) control of the tab order,
// wrapping around, and selects its whole text.
void moveFocus(DlgWindow& window, bool backwards);

// A new window id for the toolkit: positive, never reused.
std::int32_t newWindowId();
