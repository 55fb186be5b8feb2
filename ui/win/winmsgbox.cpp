// The message box on the "MsgBox" template: text 10 grown to the measured
// text, buttons 1 (OK) and 2 (Cancel) moved below it, centred at a quarter
// of the free height; the host's main window is disabled while it shows.
#include "ui/toolkit.h"
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"
#include "ui/win/winowner.h"
#include "ui/win/wintoolkit.h"

#include "util/mystr.h"
#include "util/mystrings.h"

namespace wintk {
namespace {

constexpr int kText = 10;
constexpr std::size_t kTextUnits = 1024; // primary, separator, secondary and terminator

constexpr int kTemplatePoints = 8;   // the template's "MS Shell Dlg" 8 point

struct Box {
    std::wstring title;
    std::wstring text;
    int buttons = 1;
    ModalOwner* owner = nullptr;
    UINT dpi = 96; // the DPI the box is laid out at
};

// Moved to a screen of another DPI: the suggested rectangle, every control
// scaled by the change, the template's font at the new DPI.
void changeDpi(HWND dialog, Box& box, UINT dpi, const RECT* suggested)
{
    if (suggested != nullptr)
        SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (dpi == 0 || dpi == box.dpi)
        return;
    auto at = [&](LONG v) { return MulDiv(static_cast<int>(v), static_cast<int>(dpi), static_cast<int>(box.dpi)); };
    HFONT font = shellFont(-MulDiv(kTemplatePoints, static_cast<int>(dpi), 72), FW_NORMAL);
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(c, nullptr, at(r.left), at(r.top), at(r.right - r.left), at(r.bottom - r.top),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    box.dpi = dpi;
}

std::wstring label(const char* key)
{
    char text[256] = {};
    getString(key, text);
    return utf8ToWide(text);
}

void moveBy(HWND dialog, HWND control, int dy)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(control, nullptr, r.left, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void layout(HWND dialog, const Box& box)
{
    SetWindowTextW(dialog, box.title.c_str());
    HWND text = GetDlgItem(dialog, kText);
    SetWindowTextW(text, box.text.c_str());
    // Measure the text with word breaks at the control's width in its font.
    RECT tr;
    GetWindowRect(text, &tr);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tr), 2);
    RECT measured{0, 0, tr.right - tr.left, 0};
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    DrawTextW(dc, box.text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    int dy = (measured.bottom - measured.top) - (tr.bottom - tr.top);
    SetWindowPos(text, nullptr, 0, 0, tr.right - tr.left, tr.bottom - tr.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT wr;
    GetWindowRect(dialog, &wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top + dy;
    int sw = 0, sh = 0;
    screenSize(&sw, &sh);
    SetWindowPos(dialog, nullptr, (sw - w) / 2, (sh - h) / 4, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    const char* keys[] = {"ok", box.buttons > 1 ? "cancel" : nullptr, nullptr};
    for (int id = 1; id <= 3; ++id) {
        HWND b = GetDlgItem(dialog, id);
        if (b == nullptr)
            continue;
        moveBy(dialog, b, dy);
        if (keys[id - 1] != nullptr)
            SetWindowTextW(b, label(keys[id - 1]).c_str());
        else
            ShowWindow(b, SW_HIDE);
    }
}

INT_PTR CALLBACK boxProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* box = reinterpret_cast<Box*>(lp);
        SetPropW(dialog, L"FolantraBox", box);
        box->owner->attach(dialog);
        box->dpi = dpiOf(dialog);
        takeOverDpiChanges(dialog);
        layout(dialog, *box);
        SetFocus(GetDlgItem(dialog, 1));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) >= 1 && LOWORD(wp) <= 3)
            endModal(dialog, LOWORD(wp));
        return TRUE;
    case WM_CLOSE:
        endModal(dialog, 2);
        return TRUE;
    case kDpiChanged:
        if (auto* box = static_cast<Box*>(GetPropW(dialog, L"FolantraBox")))
            changeDpi(dialog, *box, HIWORD(wp), reinterpret_cast<const RECT*>(lp));
        return TRUE;
    case WM_DESTROY:
        RemovePropW(dialog, L"FolantraBox");
        ModalOwner::detach(dialog);
        return FALSE;
    case WM_LBUTTONDOWN:
        return TRUE; // a click on the background does nothing
    default:
        return FALSE;
    }
}

} // namespace

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    Box box;
    box.title = utf8ToWide(title);
    box.text = utf8ToWide(primary);
    if (secondary != nullptr && secondary[0] != '\0')
        box.text += L"\r\r" + utf8ToWide(secondary);
    if (box.text.size() > kTextUnits - 1)
        box.text.resize(kTextUnits - 1);
    box.buttons = buttons;
    MessageBeep(MB_OK);
    HWND focused = nullptr;
    INT_PTR r = 0;
    {
        ModalOwner owner;
        ThreadDpiScope dpi(owner.owner());
        box.owner = &owner;
        focused = owner.focused();
        r = DialogBoxParamW(ownModule(), L"MsgBox", owner.owner(), boxProc, reinterpret_cast<LPARAM>(&box));
    }
    // The focus is back; its whole text selected.
    if (focused != nullptr && IsWindow(focused))
        SendMessageW(focused, EM_SETSEL, 0, 32000);
    return r == 1 ? 1 : 2;
}

} // namespace wintk
