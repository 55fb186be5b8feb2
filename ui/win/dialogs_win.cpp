// The Windows side of the dialog toolkit. The described dialogs and the pane
// come with the Win32 toolkit in this folder; until then no dialog is shown
// (result 0, "not shown") and the pane has no place. The folder chooser is
// the shell's folder browser.
#include "ui/dialogs.h"

#include "host/guard.h"
#include "util/mystr.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

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

namespace dialog_toolkit {

bool available() { return false; }

void screenSize(int* width, int* height)
{
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

FrameInsets frameInsets()
{
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, FALSE, WS_EX_DLGMODALFRAME);
    return FrameInsets{-r.left, -r.top, r.right - 100, r.bottom - 100};
}

int runModal(DlgWindow&) { return 0; }

void update(DlgWindow&) {}

bool addPane(std::int32_t, DlgWindow&) { return false; }

int chooseFolder(const char* start, std::string& chosen)
{
    std::wstring startFolder = utf8ToWide(start);
    BROWSEINFOW info{};
    info.hwndOwner = GetActiveWindow();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseStart;
    info.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
    int result = 2;
    if (list != nullptr) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(list, path)) {
            std::size_t n = wcslen(path);
            chosen = utf16ToUtf8(reinterpret_cast<const char16_t*>(path), n);
            result = 1;
        }
        CoTaskMemFree(list);
    }
    CoUninitialize();
    return result;
}

} // namespace dialog_toolkit
