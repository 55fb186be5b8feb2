#include "win/windriver.h"

#include "subhost/win/winread.h"

#include <chrono>
#include <thread>

namespace windriver {
namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

using subhost::win::ours;
using subhost::win::settle;

} // namespace

// Finding and reading windows is the Windows host's (subhost/win/winread.h).
HWND descendant(HWND root, int id) { return subhost::win::descendant(root, id); }

std::vector<HWND> descendants(HWND root) { return subhost::win::descendants(root); }

HWND waitForDialog(const std::wstring& title, int childId, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        HWND prev = nullptr;
        while (HWND h = FindWindowExW(nullptr, prev, L"#32770", nullptr)) {
            prev = h;
            if (!ours(h) || !IsWindowVisible(h) || !IsWindowEnabled(h))
                continue;
            if (!title.empty() && text(h) != title)
                continue;
            if (childId != 0 && descendant(h, childId) == nullptr)
                continue;
            settle(h, 2000);
            return h;
        }
        pause(20);
    }
    return nullptr;
}

RECT rectIn(HWND dialog, HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring className(HWND hwnd) { return subhost::win::classOf(hwnd); }

std::wstring text(HWND hwnd) { return subhost::win::textOf(hwnd); }

std::wstring fontFace(HWND hwnd, int* height)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font == nullptr || GetObjectW(font, sizeof lf, &lf) == 0)
        return L"";
    if (height != nullptr)
        *height = lf.lfHeight;
    return lf.lfFaceName;
}

int textWidth(HWND hwnd)
{
    std::wstring t = text(hwnd);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size.cx;
}

int clientWidth(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    return r.right - r.left;
}

void click(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
    pause(50);
}

void type(HWND edit, const std::wstring& t)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
}

void key(HWND control, UINT vk)
{
    PostMessageW(control, WM_KEYDOWN, vk, 1);
    PostMessageW(control, WM_KEYUP, vk, 0xC0000001);
    pause(50);
}

bool waitGone(HWND hwnd, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (!IsWindow(hwnd) || !IsWindowVisible(hwnd))
            return true;
        pause(20);
    }
    return false;
}

void closeAll()
{
    for (int round = 0; round < 5; ++round) {
        HWND prev = nullptr;
        bool any = false;
        while (HWND h = FindWindowExW(nullptr, prev, L"#32770", nullptr)) {
            prev = h;
            if (ours(h) && IsWindowVisible(h)) {
                PostMessageW(h, WM_CLOSE, 0, 0);
                any = true;
            }
        }
        if (!any)
            return;
        pause(100);
    }
}

int run(const std::function<int()>& modal, const std::function<void()>& driver)
{
    std::thread t([&] {
        try {
            driver();
        } catch (...) {
        }
        // Whatever the driver left open ends now.
        pause(100);
        closeAll();
    });
    int r = modal();
    t.join();
    return r;
}

} // namespace windriver
