// The modal runtime on real windows: the dialog shell "MyDialog" from the
// plug-in's resources, the described controls created into it, and every
// command of a control carried to the dialog runtime's dispatch.
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"
#include "ui/win/winowner.h"
#include "ui/win/winpane.h"
#include "ui/win/wintoolkit.h"

#include "host/guard.h"
#include "util/mystr.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

namespace wintk {
namespace {

constexpr UINT kMoveFocus = 0x8001; // from a keyboard-subclassed control: Tab
constexpr UINT_PTR kTimer = 1;       // the dialog's timer
// The frame of the "MyDialog" shell.
constexpr DWORD kShellStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kShellExStyle = WS_EX_DLGMODALFRAME;

// The host's windows around the dialog being opened; WM_INITDIALOG takes them.
ModalOwner* sOpeningOwner = nullptr;

DlgWindow* windowOf(HWND dialog) { return static_cast<DlgWindow*>(GetPropW(dialog, L"FolantraUser")); }

// The control index a native window stands for, or -1.
int indexOf(HWND control)
{
    if (control == nullptr)
        return -1;
    auto v = reinterpret_cast<INT_PTR>(GetPropW(control, L"FolantraIndex"));
    return static_cast<int>(v) - 1;
}

int indexOfHandle(const View& view, HWND h)
{
    for (std::size_t i = 0; i < view.controls.size(); ++i)
        if (view.controls[i] != nullptr && view.controls[i] == h)
            return static_cast<int>(i);
    return -1;
}

// The native focus into the window object (an edit inside a combo box
// counts as the combo box).
void pullFocus(View& view)
{
    HWND f = GetFocus();
    int i = indexOfHandle(view, f);
    if (i < 0 && f != nullptr)
        i = indexOfHandle(view, GetParent(f));
    if (i >= 0) {
        view.window->focus = i;
        view.focus = i;
    }
}

// Timer 1 runs at the window object's interval while it has a timer proc
// and is not done (the interval running is kept on the dialog window).
void syncTimer(HWND dialog, const DlgWindow& w)
{
    UINT wanted = !w.done && w.timerProc != nullptr ? w.timerInterval : 0;
    auto running = static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetPropW(dialog, L"FolantraTimer")));
    if (wanted == running)
        return;
    if (wanted != 0 && SetTimer(dialog, kTimer, wanted, nullptr) != 0) {
        SetPropW(dialog, L"FolantraTimer", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(wanted)));
    } else {
        KillTimer(dialog, kTimer);
        RemovePropW(dialog, L"FolantraTimer");
    }
}

// After an event: ends the dialog when the runtime says so, else shows what
// changed.
void afterEvent(HWND dialog, View& view)
{
    DlgWindow& w = *view.window;
    if (!view.pane && w.done) {
        syncTimer(dialog, w); // a dialog that ends ticks no more
        SetPropW(dialog, L"FolantraResult", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(w.result)));
        endModal(dialog, w.result);
        return;
    }
    pushAll(view);
    syncTimer(dialog, w);
}

void runAction(HWND dialog, View& view, const UserAction& action)
{
    pullFocus(view);
    applyUserAction(*view.window, action);
    afterEvent(dialog, view);
}

// The window around its client area at the view's DPI, centred
// horizontally on the screen at a quarter of the free height.
void placeNative(HWND dialog, const View& view)
{
    RECT f = frameFor(kShellStyle, kShellExStyle, view.dpi);
    int width = scaled(view.window->clientWidth, view.dpi) + f.left + f.right;
    int height = scaled(view.window->clientHeight, view.dpi) + f.top + f.bottom;
    int sw = 0, sh = 0;
    screenSize(&sw, &sh);
    MoveWindow(dialog, (sw - width) / 2, (sh - height) / 4, width, height, FALSE);
}

void buildNative(HWND dialog, DlgWindow& w)
{
    View& view = makeView(w, dialog, false);
    view.dpi = dpiOf(dialog);
    takeOverDpiChanges(dialog);
    SetWindowTextW(dialog, utf8ToWide(w.title.c_str()).c_str());
    view.title = w.title;
    placeNative(dialog, view);
    for (std::size_t i = 0; i < w.controls.size(); ++i) {
        int p = w.controls[i].parent;
        HWND parent = dialog;
        if (p >= 0 && static_cast<std::size_t>(p) < i && view.controls[static_cast<std::size_t>(p)] != nullptr)
            parent = view.controls[static_cast<std::size_t>(p)];
        createControl(view, i, parent);
    }
    view.focus = -1;
    pushAll(view);
    syncTimer(dialog, w);
}

// A list item: white, drawn by the list's draw hook or as the list's text
// 2 pixels in, inverted when selected.
void drawItem(HWND dialog, const DRAWITEMSTRUCT* d, UINT dpi)
{
    if (d == nullptr || d->CtlType != ODT_LISTBOX || d->itemID == static_cast<UINT>(-1))
        return;
    RECT r = d->rcItem;
    FillRect(d->hDC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DlgWindow* w = windowOf(dialog);
    View* view = viewOf(w);
    int index = indexOf(d->hwndItem);
    DlgControl* list = nullptr;
    if (view != nullptr && index >= 0 && indexOfHandle(*view, d->hwndItem) == index)
        list = &w->controls[static_cast<std::size_t>(index)];
    if (list != nullptr && list->draw != nullptr) {
        int saved = SaveDC(d->hDC);
        list->draw(d->hDC, list, static_cast<int>(d->itemID), DlgRect{r.left, r.top, r.right - r.left, r.bottom - r.top},
                   list->user);
        RestoreDC(d->hDC, saved);
        if (d->itemState & ODS_SELECTED)
            InvertRect(d->hDC, &r);
        return;
    }
    int n = static_cast<int>(SendMessageW(d->hwndItem, LB_GETTEXTLEN, d->itemID, 0));
    if (n > 0) {
        std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
        SendMessageW(d->hwndItem, LB_GETTEXT, d->itemID, reinterpret_cast<LPARAM>(&text[0]));
        SetBkMode(d->hDC, TRANSPARENT);
        HGDIOBJ old = SelectObject(d->hDC, normalFont(dpi));
        TextOutW(d->hDC, r.left + scaled(2, dpi), r.top + scaled(2, dpi), text.c_str(), n);
        SelectObject(d->hDC, old);
    }
    if (d->itemState & ODS_SELECTED)
        InvertRect(d->hDC, &r);
}

INT_PTR dialogMessage(HWND dialog, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* w = reinterpret_cast<DlgWindow*>(lp);
        SetPropW(dialog, L"FolantraUser", w);
        // The dialog's name and, once it ends, its result stay readable from
        // outside (tools that drive or record the dialogs).
        if (ATOM name = GlobalAddAtomW(utf8ToWide(w->name.c_str()).c_str()))
            SetPropW(dialog, L"FolantraDialog", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(name)));
        if (sOpeningOwner != nullptr)
            sOpeningOwner->attach(dialog);
        sOpeningOwner = nullptr;
        buildNative(dialog, *w);
        View* view = viewOf(w);
        if (view != nullptr && view->focus >= 0)
            return FALSE; // the focus is set
        return TRUE;
    }
    case WM_COMMAND: {
        DlgWindow* w = windowOf(dialog);
        View* view = viewOf(w);
        if (w == nullptr || view == nullptr || view->pushing > 0)
            return TRUE;
        int id = LOWORD(wp);
        HWND from = reinterpret_cast<HWND>(lp);
        int index = indexOf(from);
        if (index < 0 || indexOfHandle(*view, from) != index) {
            // The dialog manager's keyboard OK and Cancel come without a control.
            if (id == IDOK)
                runAction(dialog, *view, UserAction{UserActionKind::Return, 0, 0, {}});
            else if (id == IDCANCEL)
                runAction(dialog, *view, UserAction{UserActionKind::Escape, 0, 0, {}});
            return TRUE;
        }
        controlChanged(*w, w->controls[static_cast<std::size_t>(index)], HIWORD(wp));
        return TRUE;
    }
    case WM_NOTIFY: {
        DlgWindow* w = windowOf(dialog);
        View* view = viewOf(w);
        const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
        if (w == nullptr || view == nullptr || n == nullptr || view->pushing > 0 || n->code != TCN_SELCHANGE)
            return FALSE;
        int index = indexOf(n->hwndFrom);
        if (index >= 0)
            controlChanged(*w, w->controls[static_cast<std::size_t>(index)], static_cast<int>(n->code));
        return TRUE;
    }
    case kMoveFocus: {
        View* view = viewOf(windowOf(dialog));
        if (view != nullptr)
            runAction(dialog, *view, UserAction{UserActionKind::Tab, 0, lp != 0 ? -1 : 1, {}});
        return TRUE;
    }
    case DM_GETDEFID:
        // Return anywhere in the dialog is the OK command.
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, MAKELRESULT(IDOK, DC_HASDEFID));
        return TRUE;
    case WM_DRAWITEM: {
        View* view = viewOf(windowOf(dialog));
        drawItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lp), view != nullptr ? view->dpi : dpiOf(dialog));
        return TRUE;
    }
    case WM_TIMER: {
        DlgWindow* w = windowOf(dialog);
        View* view = viewOf(w);
        if (wp != kTimer || w == nullptr || view == nullptr)
            return FALSE;
        if (w->timerProc != nullptr && !w->done)
            w->timerProc(w, w->user);
        afterEvent(dialog, *view);
        return TRUE;
    }
    case kDpiChanged: {
        // Moved to a screen of another DPI: the window takes the rectangle
        // Windows suggests, the controls their rectangles and font at the
        // new DPI.
        View* view = viewOf(windowOf(dialog));
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        if (r != nullptr)
            SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        if (view != nullptr && HIWORD(wp) != 0) {
            view->dpi = HIWORD(wp);
            layoutControls(*view);
        }
        return TRUE;
    }
    case WM_CLOSE: {
        View* view = viewOf(windowOf(dialog));
        if (view != nullptr)
            runAction(dialog, *view, UserAction{UserActionKind::Close, 0, 0, {}});
        else
            endModal(dialog, 2);
        return TRUE;
    }
    case WM_DESTROY: {
        // What the dialog's code registered dies with the window: a drop
        // target (the window system would keep it and its references) and
        // the timer.
        RevokeDragDrop(dialog);
        KillTimer(dialog, kTimer);
        RemovePropW(dialog, L"FolantraTimer");
        DlgWindow* w = windowOf(dialog);
        RemovePropW(dialog, L"FolantraUser");
        if (HANDLE name = RemovePropW(dialog, L"FolantraDialog"))
            GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)));
        RemovePropW(dialog, L"FolantraResult");
        ModalOwner::detach(dialog);
        unbind(w);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// No exception leaves the window procedure: the dialog ends with 0.
INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) noexcept
{
    bool failed = true;
    INT_PTR r = guardEntry("dialogProc", INT_PTR{TRUE}, [&] {
        INT_PTR answer = dialogMessage(dialog, message, wp, lp);
        failed = false;
        return answer;
    });
    if (failed) {
        SetPropW(dialog, L"FolantraResult", nullptr);
        endModal(dialog, 0);
    }
    return r;
}

// The browser starts in the folder passed as its data. The shell calls it,
// so it runs through the guard like every entry from outside.
int CALLBACK browseStart(HWND window, UINT message, LPARAM, LPARAM data) noexcept
{
    return guardEntry("browseStart", 0, [=] {
        if (message == BFFM_INITIALIZED && data != 0)
            SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
        return 0;
    });
}

} // namespace

void screenSize(int* width, int* height)
{
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

FrameInsets frameInsets()
{
    // The frame of the "MyDialog" shell around a client area, at 96 DPI as
    // all layouts are.
    RECT f = frameFor(kShellStyle, kShellExStyle, kLayoutDpi);
    return FrameInsets{f.left, f.top, f.right, f.bottom};
}

int runModal(DlgWindow& w)
{
    registerClasses();
    INT_PTR r = 0;
    {
        ModalOwner owner;
        // The dialog gets the DPI awareness of the window it belongs to.
        // Windows runs each window's procedure in that window's awareness, so
        // the scope can span the whole modal loop.
        ThreadDpiScope dpi(owner.owner());
        sOpeningOwner = &owner;
        r = DialogBoxParamW(ownModule(), L"MyDialog", owner.owner(), dialogProc, reinterpret_cast<LPARAM>(&w));
        sOpeningOwner = nullptr;
    }
    unbind(&w);
    return r < 0 ? 0 : static_cast<int>(r);
}

void update(DlgWindow& window)
{
    View* view = viewOf(&window);
    if (view != nullptr && view->pane)
        showPane(window); // a pane's enabling goes through the host
    else if (view != nullptr) {
        pushAll(*view);
        syncTimer(view->hwnd, window);
    }
}

void controlChanged(DlgWindow& w, DlgControl& c, int notification)
{
    View* view = viewOf(&w);
    if (view == nullptr || view->pushing > 0)
        return;
    std::size_t index = static_cast<std::size_t>(&c - &w.controls.front());
    if (index >= w.controls.size())
        return;
    if (!view->pane)
        pullFocus(*view);
    // What the native control shows now, in the terms of the shared dispatch.
    int changed = static_cast<int>(index);
    ControlState state;
    switch (c.kind) {
    case kKindPush:
        if (notification != BN_CLICKED)
            return;
        state.event = ControlEvent::Clicked;
        break;
    case kKindCheckBox:
        if (notification != BN_CLICKED || c.type == fourCC("grpb"))
            return;
        state.event = ControlEvent::Clicked;
        if (c.type == fourCC("rdio")) {
            state.value = 1;
        } else {
            pullControl(*view, index); // the button has toggled itself
            state.value = c.value;
        }
        break;
    case kKindRadioGroup: {
        // The group has checked one of its buttons: that button was clicked.
        int position = static_cast<int>(SendMessageW(view->controls[index], WM_USER, 0, 0));
        int n = 0;
        changed = -1;
        for (std::size_t i = 0; i < w.controls.size(); ++i)
            if (w.controls[i].parent == static_cast<int>(index) && ++n == position) {
                changed = static_cast<int>(i);
                break;
            }
        if (changed < 0)
            return;
        state.event = ControlEvent::Clicked;
        state.value = 1;
        break;
    }
    case kKindEdit:
        if (notification != EN_CHANGE)
            return;
        state.event = ControlEvent::TextChanged;
        state.text = windowText(view->controls[index]);
        break;
    case kKindCombo:
        if (notification == CBN_EDITCHANGE) {
            state.event = ControlEvent::TextChanged;
            state.text = windowText(view->controls[index]);
        } else if (notification == CBN_SELCHANGE) {
            // The field shows the item only after this notification.
            state.event = ControlEvent::SelectionChanged;
            state.value = static_cast<int>(SendMessageW(view->controls[index], CB_GETCURSEL, 0, 0)) + 1;
            if (state.value >= 1 && static_cast<std::size_t>(state.value) <= c.items.size())
                state.text = c.items[static_cast<std::size_t>(state.value - 1)];
        } else if (notification == CBN_DROPDOWN) {
            state.event = ControlEvent::DropDown;
        } else {
            return;
        }
        break;
    case kKindPopup:
        if (notification != CBN_SELCHANGE)
            return;
        state.event = ControlEvent::SelectionChanged;
        state.value = static_cast<int>(SendMessageW(view->controls[index], CB_GETCURSEL, 0, 0)) + 1;
        break;
    case kKindList:
        if (notification != LBN_SELCHANGE)
            return;
        state.event = ControlEvent::SelectionChanged;
        state.value = static_cast<int>(SendMessageW(view->controls[index], LB_GETCURSEL, 0, 0)) + 1;
        break;
    case kKindTabs:
        state.event = ControlEvent::SelectionChanged;
        state.value = static_cast<int>(SendMessageW(view->controls[index], TCM_GETCURSEL, 0, 0)) + 1;
        break;
    default:
        return;
    }
    ::controlChanged(w, changed, state);
    if (state.event == ControlEvent::TextChanged) {
        // The native field shows what was typed, with its own caret; only a
        // text the runtime cut is pushed back.
        Shown& s = view->shown[index];
        s.text = state.text;
        s.selStart = c.selStart;
        s.selLength = c.selLength;
    }
    afterEvent(view->hwnd, *view);
}

int chooseFolder(const char* start, std::string& chosen)
{
    std::wstring startFolder = utf8ToWide(start);
    BROWSEINFOW info{};
    info.hwndOwner = GetActiveWindow();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseStart;
    info.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    ComApartment apartment;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    int result = 2;
    if (list != nullptr) {
        if (folderOfIdList(list, chosen))
            result = 1;
        CoTaskMemFree(list);
    }
    return result;
}

ComApartment::ComApartment() : mResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComApartment::~ComApartment()
{
    // S_OK and S_FALSE are each balanced by one CoUninitialize; a thread the
    // host runs in another apartment (RPC_E_CHANGED_MODE) keeps its own.
    if (SUCCEEDED(mResult))
        CoUninitialize();
}

bool folderOfIdList(const ITEMIDLIST* list, std::string& folder)
{
    if (list == nullptr)
        return false;
    // SHGetPathFromIDListEx (Vista on) takes a buffer of any size; the plain
    // call writes at most MAX_PATH characters and fails for a longer folder.
    typedef BOOL(WINAPI * PathFromIdListEx)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS);
    static const auto pathEx = reinterpret_cast<PathFromIdListEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHGetPathFromIDListEx")));
    std::wstring path;
    if (pathEx != nullptr) {
        path.assign(kLongPathMax, L'\0');
        if (!pathEx(list, &path[0], static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
            return false;
    } else {
        path.assign(MAX_PATH, L'\0');
        if (!SHGetPathFromIDListW(list, &path[0]))
            return false;
    }
    path.resize(wcslen(path.c_str()));
    if (path.empty())
        return false;
    folder = utf16ToUtf8(reinterpret_cast<const char16_t*>(path.c_str()), path.size());
    return true;
}

} // namespace wintk
