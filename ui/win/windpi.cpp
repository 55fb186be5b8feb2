#include "ui/win/windpi.h"

#include <map>
#include <utility>

namespace wintk {
namespace {

// The calls of Windows 8.1 (shcore) and Windows 10, looked up once.
struct DpiCalls {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* dpiForSystem)() = nullptr;
    int(WINAPI* metricForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* adjustForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* dialogDpiBehavior)(HWND, int, int) = nullptr;
    HANDLE(WINAPI* windowContext)(HWND) = nullptr;
    HANDLE(WINAPI* threadContext)() = nullptr;
    HANDLE(WINAPI* setThreadContext)(HANDLE) = nullptr;
    BOOL(WINAPI* sameContext)(HANDLE, HANDLE) = nullptr;
    HRESULT(WINAPI* processAwareness)(HANDLE, int*) = nullptr;
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

template <class F> void lookUp(F& f, HMODULE module, const char* name)
{
    f = module != nullptr ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const DpiCalls& calls()
{
    static const DpiCalls c = [] {
        DpiCalls d;
        HMODULE user = GetModuleHandleW(L"user32.dll");
        lookUp(d.dpiForWindow, user, "GetDpiForWindow");
        lookUp(d.dpiForSystem, user, "GetDpiForSystem");
        lookUp(d.metricForDpi, user, "GetSystemMetricsForDpi");
        lookUp(d.adjustForDpi, user, "AdjustWindowRectExForDpi");
        lookUp(d.dialogDpiBehavior, user, "SetDialogDpiChangeBehavior");
        lookUp(d.windowContext, user, "GetWindowDpiAwarenessContext");
        lookUp(d.threadContext, user, "GetThreadDpiAwarenessContext");
        lookUp(d.setThreadContext, user, "SetThreadDpiAwarenessContext");
        lookUp(d.sameContext, user, "AreDpiAwarenessContextsEqual");
        // shcore stays loaded with the plug-in once looked up.
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        lookUp(d.processAwareness, shcore, "GetProcessDpiAwareness");
        lookUp(d.dpiForMonitor, shcore, "GetDpiForMonitor");
        return d;
    }();
    return c;
}

constexpr int kPerMonitorAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
constexpr int kEffectiveDpi = 0;     // MDT_EFFECTIVE_DPI
constexpr int kDialogDisableAll = 1; // DDC_DISABLE_ALL

UINT screenDpi(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc != nullptr)
        ReleaseDC(hwnd, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

std::map<std::pair<int, int>, HFONT>& fonts()
{
    static std::map<std::pair<int, int>, HFONT> made;
    return made;
}

} // namespace

UINT dpiOf(HWND hwnd)
{
    const DpiCalls& c = calls();
    if (hwnd == nullptr)
        return c.dpiForSystem != nullptr ? c.dpiForSystem() : screenDpi(nullptr);
    if (c.dpiForWindow != nullptr) {
        UINT dpi = c.dpiForWindow(hwnd);
        if (dpi != 0)
            return dpi;
    }
    int awareness = 0;
    if (c.processAwareness != nullptr && c.dpiForMonitor != nullptr &&
        SUCCEEDED(c.processAwareness(nullptr, &awareness)) && awareness == kPerMonitorAware) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(c.dpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
            y != 0)
            return y;
    }
    return screenDpi(hwnd);
}

int metricFor(int index, UINT dpi)
{
    const DpiCalls& c = calls();
    if (c.metricForDpi != nullptr)
        return c.metricForDpi(index, dpi);
    // Older Windows: the metrics are the system DPI's.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(dpiOf(nullptr)));
}

RECT frameFor(DWORD style, DWORD exStyle, UINT dpi)
{
    RECT r{0, 0, 0, 0};
    const DpiCalls& c = calls();
    if (c.adjustForDpi != nullptr && c.adjustForDpi(&r, style, FALSE, exStyle, dpi))
        return RECT{-r.left, -r.top, r.right, r.bottom};
    r = RECT{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    UINT system = dpiOf(nullptr);
    auto at = [&](LONG v) { return MulDiv(static_cast<int>(v), static_cast<int>(dpi), static_cast<int>(system)); };
    return RECT{at(-r.left), at(-r.top), at(r.right), at(r.bottom)};
}

void takeOverDpiChanges(HWND dialog)
{
    if (calls().dialogDpiBehavior != nullptr)
        calls().dialogDpiBehavior(dialog, kDialogDisableAll, kDialogDisableAll);
}

HFONT shellFont(int height, int weight)
{
    HFONT& f = fonts()[{height, weight}];
    if (f == nullptr)
        f = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
    return f;
}

void deleteFonts()
{
    for (auto& entry : fonts())
        DeleteObject(entry.second);
    fonts().clear();
}

ThreadDpiScope::ThreadDpiScope(HWND owner)
{
    const DpiCalls& c = calls();
    if (owner == nullptr || c.windowContext == nullptr || c.threadContext == nullptr ||
        c.setThreadContext == nullptr || c.sameContext == nullptr)
        return;
    HANDLE wanted = c.windowContext(owner);
    HANDLE current = c.threadContext();
    if (wanted == nullptr || current == nullptr || c.sameContext(wanted, current))
        return;
    mOld = c.setThreadContext(wanted);
    mChanged = mOld != nullptr;
}

ThreadDpiScope::~ThreadDpiScope()
{
    if (mChanged)
        calls().setThreadContext(mOld);
}

} // namespace wintk
