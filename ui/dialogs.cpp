#include "ui/dialogs.h"

#include "ui/dlgbuild.h"
#include "ui/toolkit.h"
#include "ui/windesc.h"
#include "util/mystr.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The notifications a control sends with its command.
enum class Note { Clicked, Changed, SelectionChanged, DropDown };

constexpr std::size_t kTabOrderMax = 511;
// The empty shell a dialog without description is built into.
constexpr int kShellWidth = 300, kShellHeight = 163;

std::int32_t sNextWindowId = 1;

DlgControl* parentOf(DlgWindow& w, const DlgControl& c)
{
    if (c.parent < 0 || static_cast<std::size_t>(c.parent) >= w.controls.size())
        return nullptr;
    return &w.controls[static_cast<std::size_t>(c.parent)];
}

// Visible and enabled, and so is every container around it.
bool usable(const DlgWindow& w, int index)
{
    for (int i = index; i >= 0; i = w.controls[static_cast<std::size_t>(i)].parent) {
        const DlgControl& c = w.controls[static_cast<std::size_t>(i)];
        if (!c.visible || !c.enabled)
            return false;
    }
    return true;
}

int indexOf(const DlgWindow& w, const DlgControl* c)
{
    if (c == nullptr || w.controls.empty() || c < &w.controls.front() || c > &w.controls.back())
        return -1;
    return static_cast<int>(c - &w.controls.front());
}

long leadingInteger(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

// The controls of a radio group, in creation order.
std::vector<DlgControl*> groupChildren(DlgWindow& w, int group)
{
    std::vector<DlgControl*> out;
    for (DlgControl& c : w.controls)
        if (c.parent == group)
            out.push_back(&c);
    return out;
}

// A command from a control (or, for the keyboard's OK and Cancel, from no
// control with the id 1 or 2), dispatched by the control's kind.
void command(DlgWindow& w, DlgControl* c, int id, Note note)
{
    if (c == nullptr && (id == 1 || id == 2))
        c = getControl(&w, id);
    if (c != nullptr) {
        switch (c->kind) {
        case kKindCombo:
            if (note == Note::DropDown) {
                auto remembered = c->strings.find(fourCC("comb"));
                if (remembered != c->strings.end())
                    for (std::size_t i = 0; i < c->items.size(); ++i)
                        if (c->items[i] == remembered->second) {
                            c->value = static_cast<std::int32_t>(i + 1);
                            break;
                        }
                return;
            }
            if (note == Note::SelectionChanged && c->value > 0 &&
                static_cast<std::size_t>(c->value) <= c->items.size() &&
                c->items[static_cast<std::size_t>(c->value - 1)].size() < 256)
                c->strings[fourCC("comb")] = c->items[static_cast<std::size_t>(c->value - 1)];
            break;
        case kKindPopup:
            if (note != Note::SelectionChanged)
                return;
            break;
        case kKindEdit:
            if (note != Note::Changed)
                return;
            break;
        default:
            break;
        }
        if (c->proc != nullptr && c->proc(c, &w, c->user) != 0)
            return;
        id = c->id;
    }
    // The pane is no dialog: its check boxes 1 and 2 end nothing.
    if (!w.pane && (id == 1 || id == 2))
        quitModalDialog(&w, id);
}

bool takesFocus(const DlgControl& c)
{
    return c.kind == kKindPush || c.kind == kKindCheckBox || c.kind == kKindEdit || c.kind == kKindPopup ||
           c.kind == kKindCombo || c.kind == kKindList || c.kind == kKindTabs;
}

// The kinds whose keyboard the builder takes over: Escape in them closes the
// window instead of sending the Cancel command.
bool keyboardSubclassed(const DlgControl& c)
{
    static const std::uint32_t kinds[] = {fourCC("push"), fourCC("cbox"), fourCC("rdio"),
                                          fourCC("grpb"), fourCC("lbox"), fourCC("tabs")};
    for (std::uint32_t k : kinds)
        if (c.type == k)
            return true;
    return false;
}

void focusOn(DlgWindow& w, DlgControl* c)
{
    int index = indexOf(w, c);
    if (index >= 0)
        w.focus = index;
}

// What a native control does by itself when the user uses it, handed on as
// its new state.
bool click(DlgWindow& w, DlgControl* c)
{
    if (takesFocus(*c))
        focusOn(w, c);
    int index = indexOf(w, c);
    if (c->type == fourCC("push"))
        return controlChanged(w, index, ControlState{ControlEvent::Clicked, 0, {}});
    if (c->type == fourCC("cbox"))
        return controlChanged(w, index, ControlState{ControlEvent::Clicked, c->value == 1 ? 0 : 1, {}});
    if (c->type == fourCC("rdio"))
        return controlChanged(w, index, ControlState{ControlEvent::Clicked, 1, {}});
    return takesFocus(*c);
}

bool choose(DlgWindow& w, DlgControl* c, int item)
{
    if (item < 1 || static_cast<std::size_t>(item) > c->items.size())
        return false;
    focusOn(w, c);
    if (c->kind != kKindPopup && c->kind != kKindCombo && c->kind != kKindList && c->kind != kKindTabs)
        return false;
    int index = indexOf(w, c);
    if (c->kind == kKindCombo) {
        // The list opens, then the item is picked and shows in the field.
        controlChanged(w, index, ControlState{ControlEvent::DropDown, 0, {}});
        return controlChanged(
            w, index, ControlState{ControlEvent::SelectionChanged, item, c->items[static_cast<std::size_t>(item - 1)]});
    }
    return controlChanged(w, index, ControlState{ControlEvent::SelectionChanged, item, {}});
}

} // namespace

std::int32_t newWindowId() { return sNextWindowId++; }

bool controlChanged(DlgWindow& w, int controlIndex, const ControlState& state)
{
    if (controlIndex < 0 || static_cast<std::size_t>(controlIndex) >= w.controls.size() || !usable(w, controlIndex))
        return false;
    DlgControl* c = &w.controls[static_cast<std::size_t>(controlIndex)];
    bool inRange = state.value >= 1 && static_cast<std::size_t>(state.value) <= c->items.size();
    switch (state.event) {
    case ControlEvent::Clicked:
        if (c->type == fourCC("push")) {
            command(w, c, c->id, Note::Clicked);
        } else if (c->type == fourCC("cbox")) {
            c->value = state.value;
            command(w, c, c->id, Note::Clicked);
        } else if (c->type == fourCC("rdio")) {
            c->value = state.value;
            DlgControl* group = parentOf(w, *c);
            if (group != nullptr && group->kind == kKindRadioGroup) {
                // The group keeps one button on and reports as itself.
                if (c->value == 1)
                    for (DlgControl* sibling : groupChildren(w, c->parent))
                        if (sibling != c)
                            sibling->value = 0;
                command(w, group, group->id, Note::Clicked);
            } else {
                command(w, c, c->id, Note::Clicked);
            }
        } else {
            return false;
        }
        return true;
    case ControlEvent::TextChanged:
        if (c->kind != kKindEdit && c->kind != kKindCombo)
            return false;
        c->text = cutUTF8(state.text, kTypedTextMax);
        c->selStart = static_cast<int>(c->text.size());
        c->selLength = 0;
        command(w, c, c->id, Note::Changed);
        return true;
    case ControlEvent::SelectionChanged:
        if (!inRange)
            return false;
        switch (c->kind) {
        case kKindPopup:
            if (c->value != state.value) {
                c->value = state.value;
                command(w, c, c->id, Note::SelectionChanged);
            }
            return true;
        case kKindCombo:
            c->value = state.value;
            c->text = state.text;
            c->selStart = static_cast<int>(c->text.size()); // the caret after the item's text
            c->selLength = 0;
            command(w, c, c->id, Note::SelectionChanged);
            return true;
        case kKindList:
        case kKindTabs:
            c->value = state.value;
            command(w, c, c->id, Note::SelectionChanged);
            return true;
        default:
            return false;
        }
    case ControlEvent::DropDown:
        if (c->kind != kKindCombo)
            return false;
        command(w, c, c->id, Note::DropDown);
        return true;
    }
    return false;
}

int doModalDialog(const char* name, SetupDlgProc setup, void* userData)
{
    if (!dialog_toolkit::available())
        return 0;
    DlgWindow w;
    w.name = name != nullptr ? name : "";
    WinDesc desc;
    FrameInsets frame = dialog_toolkit::frameInsets();
    if (loadWinDesc(w.name.c_str(), &desc)) {
        buildWindow(desc, frame, &w);
    } else {
        // No description: an empty dialog titled with the localized name.
        w.title = localizeText(w.name);
        w.clientWidth = kShellWidth;
        w.clientHeight = kShellHeight;
        w.frame = DlgRect{0, 0, kShellWidth + frame.left + frame.right, kShellHeight + frame.top + frame.bottom};
    }
    w.window = newWindowId();
    w.user = userData;
    int sw = 0, sh = 0;
    dialog_toolkit::screenSize(&sw, &sh);
    placeWindow(&w, sw, sh);
    if (setup != nullptr)
        setup(&w, userData);
    if (w.focus < 0) {
        std::vector<int> order = tabOrder(w);
        if (!order.empty())
            w.focus = order.front();
    }
    return dialog_toolkit::runModal(w);
}

void quitModalDialog(DialogRef dialog, int code)
{
    if (dialog == nullptr)
        return;
    dialog->done = true;
    dialog->result = code;
}

void setDialogTimer(DialogRef dialog, TimerProc proc, unsigned milliseconds)
{
    if (dialog == nullptr)
        return;
    dialog->timerProc = milliseconds > 0 ? proc : nullptr;
    dialog->timerInterval = proc != nullptr ? milliseconds : 0;
}

void setListDrawHook(ControlRef list, ListDrawProc proc)
{
    if (list != nullptr && list->kind == kKindList)
        list->draw = proc;
}

ControlRef getControl(DialogRef dialog, int id)
{
    if (dialog == nullptr)
        return nullptr;
    for (DlgControl& c : dialog->controls)
        if (c.id == id || (c.cmd != 0 && c.cmd == static_cast<std::uint32_t>(id)))
            return &c;
    return nullptr;
}

int getControlItem(ControlRef control) { return control != nullptr ? control->id : 0; }

void setControlHandler(ControlRef control, ControlProc proc, void* userData)
{
    if (control == nullptr)
        return;
    control->proc = proc;
    control->user = userData;
}

void setControlHandler(DialogRef dialog, int id, ControlProc proc, void* userData)
{
    setControlHandler(getControl(dialog, id), proc, userData);
}

void setWindowTitle(DialogRef dialog, const char* title)
{
    if (dialog != nullptr && title != nullptr)
        dialog->title = title;
}

void setEditSelection(ControlRef control, int start, int length)
{
    if (control == nullptr)
        return;
    int size = static_cast<int>(control->text.size());
    start = start < 0 ? 0 : start > size ? size : start;
    length = length < 0 ? 0 : length > size - start ? size - start : length;
    control->selStart = start;
    control->selLength = length;
}

void selectFileName(ControlRef control)
{
    if (control == nullptr)
        return;
    setControlFocus(control);
    std::string::size_type dot = control->text.rfind('.');
    if (dot != std::string::npos)
        setEditSelection(control, 0, static_cast<int>(dot));
}

void setControlText(ControlRef control, const char* text)
{
    if (control == nullptr)
        return;
    std::string t = text != nullptr ? text : "";
    switch (control->kind) {
    case kKindPopup: {
        std::int32_t found = control->items.empty() ? 0 : 1;
        for (std::size_t i = 0; i < control->items.size(); ++i)
            if (control->items[i] == t) {
                found = static_cast<std::int32_t>(i + 1);
                break;
            }
        control->value = found;
        break;
    }
    case kKindPush:
    case kKindCheckBox:
    case kKindEdit:
    case kKindStatic:
    case kKindCombo:
        control->text = t;
        control->selStart = control->selLength = 0;
        break;
    default:
        break;
    }
}

void setControlTextWithFormat(ControlRef control, const char* format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    vformatUTF8(text, sizeof text, format, args);
    va_end(args);
    setControlText(control, text);
}

void getControlText(ControlRef control, char* buffer)
{
    if (control == nullptr || buffer == nullptr)
        return;
    const std::string* text = nullptr;
    switch (control->kind) {
    case kKindPush:
    case kKindCheckBox:
    case kKindEdit:
    case kKindStatic:
    case kKindCombo:
        text = &control->text;
        break;
    case kKindPopup:
    case kKindList:
        if (control->value > 0 && static_cast<std::size_t>(control->value) <= control->items.size())
            text = &control->items[static_cast<std::size_t>(control->value - 1)];
        else if (control->kind == kKindPopup)
            text = nullptr;
        else
            return; // a list without selection yields nothing
        break;
    default:
        return;
    }
    if (text == nullptr || text->size() > 255) {
        buffer[0] = '\0';
        return;
    }
    std::memcpy(buffer, text->c_str(), text->size() + 1);
}

void setControlValue(ControlRef control, std::int32_t value)
{
    if (control == nullptr)
        return;
    std::size_t n = control->items.size();
    bool inRange = value >= 1 && static_cast<std::size_t>(value) <= n;
    switch (control->kind) {
    case kKindCheckBox:
    case kKindProgress:
        control->value = value;
        break;
    case kKindPopup:
        control->value = inRange ? value : 0;
        break;
    case kKindCombo:
        control->value = inRange ? value : 0;
        control->text = inRange ? control->items[static_cast<std::size_t>(value - 1)] : std::string();
        control->selStart = control->selLength = 0;
        break;
    case kKindTabs:
        if (inRange)
            control->value = value;
        break;
    case kKindRadioGroup:
        if (DlgWindow* w = control->owner) {
            int position = 0;
            for (DlgControl* child : groupChildren(*w, indexOf(*w, control)))
                child->value = ++position == value ? 1 : 0;
        }
        break;
    case kKindEdit:
    case kKindStatic:
        control->text = std::to_string(value);
        control->selStart = control->selLength = 0;
        break;
    default:
        break;
    }
}

std::int32_t getControlValue(ControlRef control)
{
    if (control == nullptr)
        return 0;
    switch (control->kind) {
    case kKindCheckBox:
    case kKindPopup:
    case kKindCombo:
    case kKindTabs:
    case kKindProgress:
        return control->value;
    case kKindRadioGroup:
        if (DlgWindow* w = control->owner) {
            int position = 0;
            for (DlgControl* child : groupChildren(*w, indexOf(*w, control))) {
                ++position;
                if (child->value == 1)
                    return position;
            }
        }
        return 0;
    case kKindEdit:
    case kKindStatic:
        return static_cast<std::int32_t>(leadingInteger(control->text));
    default:
        return 0;
    }
}

void enableControl(ControlRef control, bool enable)
{
    if (control != nullptr)
        control->enabled = enable;
}

void setControlFocus(ControlRef control)
{
    if (control == nullptr)
        return;
    if (DlgWindow* w = control->owner)
        focusOn(*w, control);
}

std::vector<int> tabOrder(const DlgWindow& window)
{
    std::vector<int> order;
    // Containers are created before what they hold, so creation order is the
    // depth-first walk of the window tree.
    for (std::size_t i = 0; i < window.controls.size() && order.size() < kTabOrderMax; ++i) {
        const DlgControl& c = window.controls[i];
        if (c.kind == kKindUserPane || !c.tabStop)
            continue;
        if (usable(window, static_cast<int>(i)))
            order.push_back(static_cast<int>(i));
    }
    return order;
}

void moveFocus(DlgWindow& window, bool backwards)
{
    std::vector<int> order = tabOrder(window);
    if (order.empty())
        return;
    int n = static_cast<int>(order.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (order[static_cast<std::size_t>(i)] == window.focus)
            at = i;
    int next;
    if (backwards)
        next = at <= 0 ? n - 1 : at - 1;
    else
        next = at < 0 ? 0 : (at + 1) % n;
    window.focus = order[static_cast<std::size_t>(next)];
    DlgControl& c = window.controls[static_cast<std::size_t>(window.focus)];
    c.selStart = 0;
    c.selLength = static_cast<int>(c.text.size());
}

bool applyUserAction(DlgWindow& w, const UserAction& a)
{
    DlgControl* c = nullptr;
    switch (a.kind) {
    case UserActionKind::Type:
    case UserActionKind::Click:
    case UserActionKind::Choose:
        c = getControl(&w, a.control);
        if (c == nullptr || !usable(w, indexOf(w, c)))
            return false;
        break;
    default:
        break;
    }
    switch (a.kind) {
    case UserActionKind::Type:
        if (!((c->kind == kKindEdit && !c->readOnly) || c->kind == kKindCombo))
            return false;
        focusOn(w, c);
        return controlChanged(w, indexOf(w, c), ControlState{ControlEvent::TextChanged, 0, a.text});
    case UserActionKind::Click:
        return click(w, c);
    case UserActionKind::Choose:
        return choose(w, c, a.value);
    case UserActionKind::Return:
        if (w.pane)
            return false;
        command(w, nullptr, 1, Note::Clicked);
        return true;
    case UserActionKind::Escape:
        if (w.pane)
            return false;
        if (w.focus >= 0 && keyboardSubclassed(w.controls[static_cast<std::size_t>(w.focus)]))
            quitModalDialog(&w, 2);
        else
            command(w, nullptr, 2, Note::Clicked);
        return true;
    case UserActionKind::Close:
    case UserActionKind::None:
        if (w.pane)
            return false;
        quitModalDialog(&w, 2);
        return true;
    case UserActionKind::Tab:
        moveFocus(w, a.value < 0);
        return true;
    }
    return false;
}
