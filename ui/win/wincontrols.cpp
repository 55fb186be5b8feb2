// One creator per described kind: the native window class and styles, how
// the window object's state is put into the native control, and how the
// user's changes are read back.
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"

#include "util/mystr.h"

#include <commctrl.h>

#include <map>

namespace wintk {
namespace {

std::map<const DlgWindow*, View> sViews;

std::wstring wide(const std::string& s) { return utf8ToWide(s.c_str()); }

// A byte offset into UTF-8 text as a position in its UTF-16 form, and back.
int unitsOf(const std::string& text, int bytes)
{
    std::size_t n = static_cast<std::size_t>(std::max(0, std::min(bytes, static_cast<int>(text.size()))));
    return static_cast<int>(wide(text.substr(0, n)).size());
}

int bytesOf(const std::string& text, int units)
{
    std::wstring w = wide(text);
    std::size_t n = static_cast<std::size_t>(std::max(0, std::min(units, static_cast<int>(w.size()))));
    return static_cast<int>(utf16ToUtf8(reinterpret_cast<const char16_t*>(w.c_str()), n).size());
}

// The keyboard of buttons, check boxes, lists and tab controls: Tab, Return
// and Escape are the dialog's, not the control's.
LRESULT CALLBACK keyboardProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    auto old = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"FolantraWprc"));
    HWND top = GetAncestor(hwnd, GA_ROOT);
    switch (message) {
    case WM_GETDLGCODE:
        if (lp != 0) {
            const MSG* m = reinterpret_cast<const MSG*>(lp);
            if ((m->message == WM_KEYDOWN || m->message == WM_CHAR) &&
                (m->wParam == VK_TAB || m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
                return CallWindowProcW(old, hwnd, message, wp, lp) | DLGC_WANTMESSAGE;
        }
        break;
    case WM_KEYDOWN:
        // The key itself acts (whether or not it is translated into a
        // character); its character is swallowed below.
        if (wp == VK_TAB) {
            SendMessageW(top, 0x8001, reinterpret_cast<WPARAM>(hwnd), GetKeyState(VK_SHIFT) < 0 ? 1 : 0);
            return 0;
        }
        if (wp == VK_RETURN) {
            SendMessageW(top, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return 0;
        }
        if (wp == VK_ESCAPE) {
            SendMessageW(top, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == '\t' || wp == '\r' || wp == 0x1B)
            return 0;
        break;
    case BM_SETSTYLE:
        // The dialog manager moves the default look with the focus and loses
        // it when the focus goes to a field (it looks for the default button
        // among the dialog's own children only); Return is always the OK
        // command here, so the described default button keeps the look.
        if ((wp & BS_TYPEMASK) == BS_PUSHBUTTON || (wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            wp = (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) |
                 (GetPropW(hwnd, L"FolantraDefault") != nullptr ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case WM_NCDESTROY:
        RemovePropW(hwnd, L"FolantraWprc");
        RemovePropW(hwnd, L"FolantraDefault");
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        break;
    default:
        break;
    }
    return CallWindowProcW(old, hwnd, message, wp, lp);
}

void subclassKeyboard(HWND hwnd)
{
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    SetPropW(hwnd, L"FolantraWprc", reinterpret_cast<HANDLE>(old));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(keyboardProc));
}

struct Native {
    const wchar_t* cls = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool keyboard = false;
};

// The class and styles of a described kind.
Native nativeOf(const DlgControl& c)
{
    Native n;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (c.type) {
    case fourCC("push"):
        n = {L"Button", child | static_cast<DWORD>(c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, true};
        break;
    case fourCC("cbox"):
        n = {L"Button", child | BS_AUTOCHECKBOX, 0, true};
        break;
    case fourCC("rdio"):
        n = {L"Button", child | BS_AUTORADIOBUTTON, 0, true};
        break;
    case fourCC("grpb"):
        n = {L"Button", child | BS_GROUPBOX, 0, true};
        break;
    case fourCC("eutx"):
    case fourCC("etxt"):
    case fourCC("stxt"):
        if (c.kind == kKindEdit) {
            n.cls = L"Edit";
            n.style = child | WS_TABSTOP | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
            if (c.password)
                n.style |= ES_PASSWORD;
            if (c.multiLine)
                n.style |= ES_MULTILINE | ES_WANTRETURN;
            if (c.just == kJustCenter)
                n.style |= ES_CENTER;
            else if (c.just == kJustRight)
                n.style |= ES_RIGHT;
            if (c.readOnly) {
                n.style |= ES_READONLY;
                if (c.type != fourCC("stxt"))
                    n.style |= WS_BORDER;
            } else {
                n.exStyle = WS_EX_CLIENTEDGE;
            }
        } else {
            n.cls = L"Static";
            // A label may show data (a folder, a file name): '&' is no mnemonic.
            n.style = child | SS_NOPREFIX |
                      (c.just == kJustCenter ? SS_CENTER : c.just == kJustRight ? SS_RIGHT : SS_LEFTNOWORDWRAP);
            if (c.border)
                n.style |= WS_BORDER;
        }
        break;
    case fourCC("popb"):
        n = {L"ComboBox", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, false};
        break;
    case fourCC("comb"):
        n = {L"ComboBox", child | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, false};
        break;
    case fourCC("lbox"):
        n = {L"ListBox",
             child | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                 LBS_EXTENDEDSEL,
             WS_EX_CLIENTEDGE, true};
        break;
    case fourCC("rgrp"):
        n = {L"RadioGroup", child, WS_EX_CONTROLPARENT, false};
        break;
    case fourCC("tabs"):
        n = {WC_TABCONTROLW, child | TCS_BUTTONS, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, true};
        break;
    case fourCC("upan"):
        n = {L"UserPane", child, WS_EX_CONTROLPARENT, false};
        break;
    case fourCC("prgb"):
        n = {PROGRESS_CLASSW, child | PBS_SMOOTH, 0, false};
        break;
    case fourCC("sepa"):
        n = {L"Separator", child, 0, false};
        break;
    default:
        break;
    }
    return n;
}

bool hasText(const DlgControl& c)
{
    return c.kind == kKindPush || c.kind == kKindCheckBox || c.kind == kKindEdit || c.kind == kKindStatic ||
           c.kind == kKindCombo;
}

void setItems(HWND h, const DlgControl& c)
{
    if (c.kind == kKindPopup || c.kind == kKindCombo) {
        SendMessageW(h, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : c.items)
            SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
    } else if (c.kind == kKindList) {
        SendMessageW(h, LB_RESETCONTENT, 0, 0);
        for (const std::string& item : c.items)
            SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
    } else if (c.kind == kKindTabs) {
        TabCtrl_DeleteAllItems(h);
        int i = 0;
        for (const std::string& item : c.items) {
            std::wstring label = wide(item);
            TCITEMW t{};
            t.mask = TCIF_TEXT;
            t.pszText = &label[0];
            SendMessageW(h, TCM_INSERTITEMW, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&t));
        }
    }
}

void setValue(HWND h, const DlgControl& c)
{
    switch (c.kind) {
    case kKindCheckBox:
        SendMessageW(h, BM_SETCHECK, c.value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case kKindPopup:
    case kKindCombo:
        if (c.kind == kKindPopup || c.value > 0)
            SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(c.value - 1), 0);
        break;
    case kKindList:
        break;
    case kKindTabs:
        SendMessageW(h, TCM_SETCURSEL, static_cast<WPARAM>(c.value - 1), 0);
        break;
    case kKindRadioGroup:
        break; // its buttons carry the state
    case kKindProgress:
        SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(c.value), 0);
        break;
    default:
        break;
    }
}

} // namespace

std::string windowText(HWND hwnd)
{
    int n = GetWindowTextLengthW(hwnd);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &w[0], n + 1);
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(w.c_str()), static_cast<std::size_t>(got > 0 ? got : 0));
}

View* viewOf(const DlgWindow* window)
{
    auto it = sViews.find(window);
    return it != sViews.end() ? &it->second : nullptr;
}

View& makeView(DlgWindow& window, HWND hwnd, bool pane)
{
    View& v = sViews[&window];
    v = View{};
    v.window = &window;
    v.hwnd = hwnd;
    v.pane = pane;
    v.controls.assign(window.controls.size(), nullptr);
    v.shown.assign(window.controls.size(), Shown{});
    return v;
}

View* bindPane(DlgWindow& pane, HWND hwnd)
{
    View& v = makeView(pane, hwnd, true);
    for (std::size_t i = 0; i < pane.controls.size(); ++i)
        if (pane.controls[i].id > 0)
            v.controls[i] = GetDlgItem(hwnd, pane.controls[i].id);
    return &v;
}

void unbind(const DlgWindow* window) { sViews.erase(window); }

HWND createControl(View& view, std::size_t index, HWND parent)
{
    const DlgControl& c = view.window->controls[index];
    Native n = nativeOf(c);
    if (n.cls == nullptr)
        return nullptr;
    std::wstring text = hasText(c) ? wide(c.text) : std::wstring();
    // Laid out at 96 DPI; position and size scaled each on its own.
    const UINT dpi = view.dpi;
    HWND h = CreateWindowExW(n.exStyle, n.cls, text.c_str(), n.style, scaled(c.rect.x, dpi), scaled(c.rect.y, dpi),
                             scaled(c.rect.w, dpi), scaled(c.rect.h, dpi), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), ownModule(), nullptr);
    if (h == nullptr)
        return nullptr;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(normalFont(dpi)), FALSE);
    SetPropW(h, L"FolantraIndex", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(index + 1)));
    if (c.kind == kKindPush && c.isDefault)
        SetPropW(h, L"FolantraDefault", reinterpret_cast<HANDLE>(1));
    if (n.keyboard)
        subclassKeyboard(h);
    if (c.kind == kKindPopup)
        SendMessageW(h, CB_SETEXTENDEDUI, TRUE, 0);
    if (c.kind == kKindList)
        SendMessageW(h, LB_SETITEMHEIGHT, 0, scaled(16, dpi));
    view.controls[index] = h;
    Shown& s = view.shown[index];
    s.known = true;
    s.text = hasText(c) ? c.text : std::string();
    setItems(h, c);
    s.items = c.items.size();
    view.pushing++;
    setValue(h, c);
    if (c.kind == kKindCombo && c.value <= 0)
        SetWindowTextW(h, text.c_str()); // the field's own text, after the items
    view.pushing--;
    s.value = c.value;
    s.enabled = true;
    s.visible = true;
    if (!c.enabled) {
        EnableWindow(h, FALSE);
        s.enabled = false;
    }
    if (!c.visible) {
        ShowWindow(h, SW_HIDE);
        s.visible = false;
    }
    return h;
}

void layoutControls(View& view)
{
    const UINT dpi = view.dpi;
    for (std::size_t i = 0; i < view.controls.size(); ++i) {
        HWND h = view.controls[i];
        if (h == nullptr)
            continue;
        const DlgRect& r = view.window->controls[i].rect;
        SetWindowPos(h, nullptr, scaled(r.x, dpi), scaled(r.y, dpi), scaled(r.w, dpi), scaled(r.h, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(normalFont(dpi)), TRUE);
        if (view.window->controls[i].kind == kKindList)
            SendMessageW(h, LB_SETITEMHEIGHT, 0, scaled(16, dpi));
    }
}

void pushControl(View& view, std::size_t index)
{
    HWND h = view.controls[index];
    if (h == nullptr)
        return;
    const DlgControl& c = view.window->controls[index];
    Shown& s = view.shown[index];
    view.pushing++;
    if (!s.known || s.items != c.items.size()) {
        setItems(h, c);
        s.items = c.items.size();
        s.value = c.value - 1; // the selection goes with the items
        s.text.clear();        // and so does a combo box's field
        s.text.push_back('\x01');
    }
    if (hasText(c) && (!s.known || s.text != c.text)) {
        SetWindowTextW(h, wide(c.text).c_str());
        s.text = c.text;
    }
    if (!s.known || s.value != c.value) {
        setValue(h, c);
        s.value = c.value;
    }
    if (c.kind == kKindEdit && (!s.known || s.selStart != c.selStart || s.selLength != c.selLength)) {
        // The model counts bytes of UTF-8, the field UTF-16 units.
        int from = unitsOf(c.text, c.selStart), to = unitsOf(c.text, c.selStart + c.selLength);
        SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
        s.selStart = c.selStart;
        s.selLength = c.selLength;
    }
    // A pane's enabling is the host's (the pane pushes it through the host).
    if (!view.pane && (!s.known || s.enabled != c.enabled)) {
        EnableWindow(h, c.enabled ? TRUE : FALSE);
        s.enabled = c.enabled;
    }
    if (!s.known || s.visible != c.visible) {
        ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
        s.visible = c.visible;
    }
    s.known = true;
    view.pushing--;
}

void pullControl(View& view, std::size_t index)
{
    HWND h = view.controls[index];
    if (h == nullptr)
        return;
    DlgControl& c = view.window->controls[index];
    Shown& s = view.shown[index];
    switch (c.kind) {
    case kKindCheckBox:
        c.value = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        s.value = c.value;
        break;
    case kKindEdit: {
        c.text = windowText(h);
        s.text = c.text;
        DWORD from = 0, to = 0;
        SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        c.selStart = s.selStart = bytesOf(c.text, static_cast<int>(from));
        c.selLength = s.selLength = bytesOf(c.text, static_cast<int>(to)) - c.selStart;
        break;
    }
    case kKindCombo:
        c.text = windowText(h);
        s.text = c.text;
        c.value = static_cast<std::int32_t>(SendMessageW(h, CB_GETCURSEL, 0, 0)) + 1;
        s.value = c.value;
        break;
    case kKindPopup:
        c.value = static_cast<std::int32_t>(SendMessageW(h, CB_GETCURSEL, 0, 0)) + 1;
        s.value = c.value;
        break;
    case kKindList:
        c.value = static_cast<std::int32_t>(SendMessageW(h, LB_GETCURSEL, 0, 0)) + 1;
        s.value = c.value;
        break;
    case kKindTabs:
        c.value = static_cast<std::int32_t>(SendMessageW(h, TCM_GETCURSEL, 0, 0)) + 1;
        s.value = c.value;
        break;
    default:
        break;
    }
}

void pushAll(View& view)
{
    if (!view.pane && view.window->title != view.title) {
        SetWindowTextW(view.hwnd, wide(view.window->title).c_str());
        view.title = view.window->title;
    }
    for (std::size_t i = 0; i < view.controls.size(); ++i)
        pushControl(view, i);
    int focus = view.window->focus;
    if (focus != view.focus && focus >= 0 && static_cast<std::size_t>(focus) < view.controls.size() &&
        view.controls[static_cast<std::size_t>(focus)] != nullptr) {
        view.pushing++;
        SetFocus(view.controls[static_cast<std::size_t>(focus)]);
        view.pushing--;
    }
    view.focus = focus;
}

} // namespace wintk
