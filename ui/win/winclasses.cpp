// The toolkit's own window classes and fonts, made once at start-up.
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"
#include "ui/win/wintoolkit.h"

#include <commctrl.h>

namespace wintk {
namespace {

HWND sMainWindow = nullptr;
bool sRegistered = false;

constexpr int kTabSelChange = -551; // TCN_SELCHANGE

HWND topLevel(HWND hwnd) { return GetAncestor(hwnd, GA_ROOT); }

// A container: what its controls tell goes on to the dialog.
LRESULT CALLBACK userPaneProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_SETFOCUS:
        return SendMessageW(topLevel(hwnd), message, wp, lp);
    case WM_NOTIFY:
        if (lp != 0 && reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(kTabSelChange))
            return SendMessageW(topLevel(hwnd), message, wp, lp);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

std::vector<HWND> children(HWND group)
{
    std::vector<HWND> out;
    for (HWND c = GetWindow(group, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(c);
    return out;
}

// Radio buttons: exactly one of the group is checked; the group reports as
// itself. User message 0x400 asks its value (1-based, 0 for none), 0x401 sets it.
LRESULT CALLBACK radioGroupProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && lp != 0) {
            for (HWND c : children(hwnd))
                SendMessageW(c, BM_SETCHECK, c == reinterpret_cast<HWND>(lp) ? BST_CHECKED : BST_UNCHECKED, 0);
            int id = GetDlgCtrlID(hwnd);
            SendMessageW(topLevel(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
            return 0;
        }
        break;
    case WM_USER: {
        int position = 0;
        for (HWND c : children(hwnd)) {
            ++position;
            if (SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED)
                return position;
        }
        return 0;
    }
    case WM_USER + 1: {
        int position = 0;
        for (HWND c : children(hwnd))
            SendMessageW(c, BM_SETCHECK, ++position == static_cast<int>(wp) ? BST_CHECKED : BST_UNCHECKED, 0);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

// One black line along the top edge; the background is left alone.
LRESULT CALLBACK separatorProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, r.right, 0);
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

struct ClassRow {
    const wchar_t* name;
    WNDPROC proc;
};
const ClassRow kClasses[] = {
    {L"UserPane", userPaneProc},
    {L"RadioGroup", radioGroupProc},
    {L"Separator", separatorProc},
};

} // namespace

HMODULE ownModule()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownModule), &self);
    return self;
}

HWND hostMainWindow() { return sMainWindow; }
void setHostMainWindow(HWND window) { sMainWindow = window; }

// 12 pixels at 96 DPI.
HFONT normalFont(UINT dpi) { return shellFont(-scaled(12, dpi), FW_NORMAL); }
HFONT boldFont(UINT dpi) { return shellFont(-scaled(12, dpi), FW_BOLD); }

void registerClasses()
{
    if (sRegistered)
        return;
    INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&common);
    for (const ClassRow& row : kClasses) {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = row.proc;
        c.hInstance = ownModule();
        c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        c.hbrBackground = row.proc == separatorProc ? nullptr : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = row.name;
        RegisterClassExW(&c);
    }
    // The fonts of the system DPI now; those of other DPIs when a window needs them.
    normalFont(dpiOf(nullptr));
    boldFont(dpiOf(nullptr));
    sRegistered = true;
}

void unregisterClasses()
{
    if (!sRegistered)
        return;
    for (const ClassRow& row : kClasses)
        UnregisterClassW(row.name, ownModule());
    deleteFonts();
    sRegistered = false;
}

bool classesRegistered() { return sRegistered; }

} // namespace wintk
