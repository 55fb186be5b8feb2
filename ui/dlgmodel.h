// The dialog model: a window and its controls as the dialog runtime
// (ui/dialogs.h), the builder (ui/dlgbuild.h) and every toolkit hold them,
// and the rectangles and four-character codes the window descriptions
// (ui/windesc.h) are written in. Plain data; no behaviour beyond adopting
// the controls.
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

// Makes the window the owner of all its controls; every builder calls it
// once the controls are in place.
inline void adoptControls(DlgWindow* window)
{
    for (DlgControl& c : window->controls)
        c.owner = window;
}
