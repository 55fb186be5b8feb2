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

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Four-character codes, most significant byte first.
constexpr std::uint32_t fourCC(const char (&c)[5])
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c[3]));
}

// Run-time kinds: what the control calls dispatch on.
inline constexpr std::uint32_t kKindPush = fourCC("push");
inline constexpr std::uint32_t kKindCheckBox = fourCC("cbox"); // check boxes, radio buttons, group boxes
inline constexpr std::uint32_t kKindEdit = fourCC("eutx");
inline constexpr std::uint32_t kKindStatic = fourCC("stxt");
inline constexpr std::uint32_t kKindPopup = fourCC("popb");
inline constexpr std::uint32_t kKindCombo = fourCC("comb");
inline constexpr std::uint32_t kKindList = fourCC("lbox");
inline constexpr std::uint32_t kKindTabs = fourCC("tabs");
inline constexpr std::uint32_t kKindUserPane = fourCC("upan");
inline constexpr std::uint32_t kKindRadioGroup = fourCC("radg");
inline constexpr std::uint32_t kKindProgress = fourCC("prgb");
inline constexpr std::uint32_t kKindSeparator = fourCC("sepa");

struct DlgControl;
struct DlgWindow;
typedef DlgWindow* DialogRef;
typedef DlgControl* ControlRef;

// Called once after the dialog is built and localized, before it is shown.
typedef std::uint8_t (*SetupDlgProc)(DialogRef dialog, void* userData);
// Called when the control is used. Non-zero means handled; zero lets the
// buttons 1 and 2 end the dialog with their own id.
typedef std::uint8_t (*ControlProc)(ControlRef control, DialogRef dialog, void* userData);

struct DlgRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Called at every tick of the dialog's timer, with the dialog's user data.
typedef void (*TimerProc)(DialogRef dialog, void* userData);
// Draws one item of a list box into `device` (Windows: the item's HDC) inside
// `item` (0-based) rectangle `rect`, with the list's user data. The item was
// filled white before and is inverted after when it is selected.
typedef void (*ListDrawProc)(void* device, ControlRef list, int item, const DlgRect& rect, void* userData);

// The frame a window adds around its client area.
struct FrameInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};

enum DlgJust : std::uint8_t { kJustLeft = 0, kJustCenter = 1, kJustRight = 2 };

struct DlgControl {
    std::uint32_t kind = 0;  // run-time kind
    std::uint32_t type = 0;  // the kind it was described as ("rdio", "grpb", ...)
    int id = -1;
    std::uint32_t cmd = 0;   // command code; the control is found by it as by its id
    DlgRect rect;            // relative to the parent's client area
    int parent = -1;         // index of the container, -1 for the window itself
    std::string text;        // edit fields, labels, buttons; the remembered field text of a combo box
    std::int32_t value = 0;  // check state, 1-based selected item or tab, position
    std::vector<std::string> items; // menu items, tab labels, list items
    bool enabled = true;
    bool visible = true;
    bool tabStop = false;
    bool isDefault = false;
    bool password = false, multiLine = false, readOnly = false, border = false;
    DlgJust just = kJustLeft;
    int selStart = 0, selLength = 0; // the selected bytes of an edit field's text
    std::map<std::uint32_t, std::string> strings; // string properties ('sap ', 'comb', ...)
    ControlProc proc = nullptr;
    void* user = nullptr;
    ListDrawProc draw = nullptr; // list boxes: draws an item (none: its text)
    DlgWindow* owner = nullptr; // the window holding it (adoptControls)
};

// A window and its controls. Built in place and never copied or moved, since
// its controls point back at it.
struct DlgWindow {
    DlgWindow() = default;
    DlgWindow(const DlgWindow&) = delete;
    DlgWindow& operator=(const DlgWindow&) = delete;

    std::int32_t window = 0;   // the toolkit's id
    std::string name;          // the description's name
    std::string title;
    bool pane = false;         // the options pane: no result, ids 1 and 2 are ordinary controls
    DlgRect frame;             // outer frame on the screen
    int clientWidth = 0, clientHeight = 0;
    std::vector<DlgControl> controls; // creation order; fixed once built
    int focus = -1;            // index of the focused control
    void* user = nullptr;
    bool done = false;
    int result = 0;
    TimerProc timerProc = nullptr;  // the timer's proc and interval; 0: no timer
    unsigned timerInterval = 0;
};

// ---- dialogs ----

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
// Makes the window the owner of all its controls; every builder calls it
// once the controls are in place.
void adoptControls(DlgWindow* window);
