// The scripted user on Windows: each step acts on the real window the user
// looks at (the plug-in's dialog or message box when one is up, else the
// host's dialog with the pane): clicks are button clicks, typing is key input
// into the field, Return and Escape are keys.
#include "subhost/win/winhost.h"

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace subhost::win {
namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::wstring wide(const std::string& s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
    return w;
}

std::string narrow(const std::wstring& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring textOf(HWND h)
{
    int n = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
    std::wstring t(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(h, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(&t[0]));
    t.resize(static_cast<std::size_t>(n));
    return t;
}

std::wstring classOf(HWND h)
{
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

BOOL CALLBACK collect(HWND h, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(h);
    return TRUE;
}

std::vector<HWND> descendants(HWND root)
{
    std::vector<HWND> out;
    EnumChildWindows(root, collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND descendant(HWND root, int id)
{
    for (HWND h : descendants(root))
        if (GetDlgCtrlID(h) == id)
            return h;
    return nullptr;
}

enum class Kind { None, Host, MsgBox, Folder, Dialog };

bool isHostDialog(HWND h) { return GetDlgItem(h, IDOK) != nullptr && GetDlgItem(h, 103) != nullptr; }

Kind kindOf(HWND h)
{
    if (h == nullptr)
        return Kind::None;
    if (isHostDialog(h))
        return Kind::Host;
    if (GetDlgItem(h, 10) != nullptr && GetDlgItem(h, 1) != nullptr && GetDlgItem(h, 2) != nullptr &&
        classOf(GetDlgItem(h, 10)) == L"Static")
        return Kind::MsgBox;
    for (HWND c : descendants(h))
        if (classOf(c) == L"SysTreeView32")
            return Kind::Folder;
    return Kind::Dialog;
}

// The window the user looks at: the visible, enabled dialog of this process.
HWND current()
{
    HWND prev = nullptr;
    while (HWND h = FindWindowExW(nullptr, prev, L"#32770", nullptr)) {
        prev = h;
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(h) && IsWindowEnabled(h))
            return h;
    }
    return nullptr;
}

HWND waitCurrent(int ms)
{
    for (int waited = 0; waited <= ms; waited += 20) {
        if (HWND h = current())
            return h;
        pause(20);
    }
    return nullptr;
}

// Lets the window's thread handle what was posted to it.
void settle(HWND h)
{
    pause(60);
    DWORD_PTR r = 0;
    if (h != nullptr)
        SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &r);
    pause(20);
}

HWND paneOf(HWND host)
{
    for (HWND c = GetWindow(host, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (classOf(c) == L"#32770")
            return c;
    return nullptr;
}

void pressKey(HWND target, UINT vk)
{
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

HWND focusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(window, nullptr);
    if (GetGUIThreadInfo(tid, &info) && info.hwndFocus != nullptr)
        return info.hwndFocus;
    return window;
}

std::string describe(HWND w)
{
    std::string out = "window \"" + narrow(textOf(w)) + "\"";
    RECT r{};
    GetClientRect(w, &r);
    out += " " + std::to_string(r.right) + "x" + std::to_string(r.bottom) + "\n";
    for (HWND c : descendants(w)) {
        std::wstring cls = classOf(c);
        if (cls == L"UserPane" || cls == L"#32770")
            continue;
        RECT cr{};
        GetWindowRect(c, &cr);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&cr), 2);
        out += "  " + std::to_string(GetDlgCtrlID(c)) + " " + narrow(cls) + " \"" + narrow(textOf(c)) + "\" at " +
               std::to_string(cr.left) + "," + std::to_string(cr.top) + " " + std::to_string(cr.right - cr.left) +
               "x" + std::to_string(cr.bottom - cr.top);
        if (!IsWindowEnabled(c))
            out += " disabled";
        if (cls == L"Button" && (GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
            out += SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? " [x]" : " [ ]";
        out += "\n";
    }
    return out;
}

const char* kindName(Kind k, HWND h)
{
    switch (k) {
    case Kind::Host: return GetDlgItem(h, 102) != nullptr ? "print-dialog" : "style-editor";
    case Kind::MsgBox: return "msgbox";
    case Kind::Folder: return "folder";
    case Kind::Dialog: return descendant(h, 5) != nullptr ? "metadata" : "psname";
    default: return "window";
    }
}

} // namespace

ScriptedUser::ScriptedUser(std::vector<ScriptStep> steps, std::ostream* log, std::string shotDir)
    : mSteps(std::move(steps)), mLog(log), mShotDir(std::move(shotDir))
{
}

ScriptedUser::~ScriptedUser()
{
    if (mThread.joinable()) {
        mStop = true;
        mThread.join();
    }
}

void ScriptedUser::start() { mThread = std::thread([this] { run(); }); }

void ScriptedUser::finish()
{
    mStop = true;
    if (mThread.joinable())
        mThread.join();
}

void ScriptedUser::shoot(void* window)
{
    HWND w = static_cast<HWND>(window);
    if (mShotDir.empty() || w == nullptr)
        return;
    pause(300); // painted
    RECT r{};
    GetWindowRect(w, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    std::size_t size = stride * static_cast<std::size_t>(height);
    char name[64];
    std::snprintf(name, sizeof name, "%02d-%s.bmp", ++mShots, kindName(kindOf(w), w));
    std::ofstream f(mShotDir + "\\" + name, std::ios::binary);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + size);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    f.write(static_cast<const char*>(bits), static_cast<std::streamsize>(size));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

bool ScriptedUser::step(const ScriptStep& s)
{
    using K = ScriptStep::Kind;
    auto fault = [&](const std::string& what) {
        mErrors.push_back("line " + std::to_string(s.line) + ": " + what);
        return false;
    };
    HWND w = waitCurrent(8000);
    if (w == nullptr)
        return fault("no window is open");
    Kind kind = kindOf(w);
    // A message box the script does not answer is answered with OK.
    // ("show" looks at the box itself.)
    for (int boxes = 0; boxes < 20 && kind == Kind::MsgBox && s.kind != K::MsgOk && s.kind != K::MsgClose &&
                        s.kind != K::Show;
         ++boxes) {
        if (mLog)
            *mLog << "message box: " << narrow(textOf(GetDlgItem(w, 10))) << "  -> OK\n";
        PostMessageW(GetDlgItem(w, 1), BM_CLICK, 0, 0);
        settle(w);
        w = waitCurrent(8000);
        if (w == nullptr)
            return fault("no window is open");
        kind = kindOf(w);
    }
    HWND root = kind == Kind::Host ? paneOf(w) : w;
    auto control = [&](int id) -> HWND {
        HWND c = root != nullptr ? descendant(root, id) : nullptr;
        if (c == nullptr || !IsWindowVisible(c) || !IsWindowEnabled(c))
            return nullptr;
        return c;
    };
    switch (s.kind) {
    case K::Click: {
        HWND c = control(s.control);
        if (c == nullptr)
            return fault("no usable control " + std::to_string(s.control));
        PostMessageW(c, BM_CLICK, 0, 0);
        break;
    }
    case K::Type: {
        HWND c = control(s.control);
        if (c == nullptr || classOf(c) != L"Edit")
            return fault("no field " + std::to_string(s.control) + " to type into");
        // The field gets the focus and its text selected, then the keys.
        SendMessageW(GetAncestor(c, GA_ROOT), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
        SendMessageW(c, EM_SETSEL, 0, -1);
        SendMessageW(c, WM_CLEAR, 0, 0);
        for (wchar_t ch : wide(s.text))
            PostMessageW(c, WM_CHAR, ch, 1);
        break;
    }
    case K::Choose: {
        HWND c = control(s.control);
        if (c == nullptr || classOf(c) != L"ComboBox")
            return fault("no menu " + std::to_string(s.control));
        SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(s.value - 1), 0);
        PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(s.control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        break;
    }
    case K::Return:
        pressKey(focusOf(w), VK_RETURN);
        break;
    case K::Escape:
        pressKey(focusOf(w), VK_ESCAPE);
        break;
    case K::Tab:
        pressKey(focusOf(w), VK_TAB);
        break;
    case K::BackTab:
        return fault("backtab is not offered on Windows");
    case K::Close:
        PostMessageW(w, WM_CLOSE, 0, 0);
        break;
    case K::Ok:
    case K::Cancel:
        if (kind != Kind::Host)
            return fault("ok or cancel while a dialog of the plug-in is open");
        PostMessageW(GetDlgItem(w, s.kind == K::Ok ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        break;
    case K::Style: {
        if (kind != Kind::Host || GetDlgItem(w, 102) == nullptr)
            return fault("no print dialog to choose a style in");
        HWND popup = GetDlgItem(w, 102);
        LRESULT i = SendMessageW(popup, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(wide(s.text).c_str()));
        if (i == CB_ERR)
            return fault("no output style " + s.text);
        SendMessageW(popup, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(102, CBN_SELCHANGE), reinterpret_cast<LPARAM>(popup));
        break;
    }
    case K::Folder:
    case K::FolderCancel:
        if (kind != Kind::Folder)
            return fault("no folder chooser is open");
        if (s.kind == K::Folder) {
            std::wstring path = wide(s.text);
            SendMessageW(w, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            settle(w);
        }
        PostMessageW(GetDlgItem(w, s.kind == K::Folder ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        break;
    case K::MsgOk:
    case K::MsgClose:
        if (kind != Kind::MsgBox)
            return fault("no message box is open");
        if (mLog)
            *mLog << "message box: " << narrow(textOf(GetDlgItem(w, 10)))
                  << (s.kind == K::MsgOk ? "  -> OK\n" : "  -> closed\n");
        if (s.kind == K::MsgOk)
            PostMessageW(GetDlgItem(w, 1), BM_CLICK, 0, 0);
        else
            PostMessageW(w, WM_CLOSE, 0, 0);
        break;
    case K::Show:
        if (mLog && kind == Kind::MsgBox)
            *mLog << "message box: " << narrow(textOf(GetDlgItem(w, 10))) << "\n";
        else if (mLog)
            *mLog << describe(w);
        if (mLog && kind == Kind::Host) {
            // What the pane told the host's dialog handling since the last look.
            *mLog << "pane calls:";
            for (const std::string& call : takePaneCalls())
                *mLog << " " << call << ";";
            *mLog << "\n";
        }
        shoot(w);
        break;
    }
    settle(w);
    return true;
}

void ScriptedUser::answerLeftovers()
{
    HWND w = current();
    if (w == nullptr)
        return;
    switch (kindOf(w)) {
    case Kind::MsgBox:
        if (mLog)
            *mLog << "message box: " << narrow(textOf(GetDlgItem(w, 10))) << "  -> OK\n";
        PostMessageW(GetDlgItem(w, 1), BM_CLICK, 0, 0);
        break;
    case Kind::Host:
        PostMessageW(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case Kind::Folder:
        PostMessageW(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0);
        break;
    default:
        PostMessageW(w, WM_CLOSE, 0, 0);
        break;
    }
    settle(w);
}

void ScriptedUser::run()
{
    while (mNext < mSteps.size() && !mStop) {
        const ScriptStep& s = mSteps[mNext++];
        if (mLog)
            *mLog << "> step at line " << s.line << "\n";
        if (!step(s))
            mNext = mSteps.size(); // the rest is dropped
    }
    // The script has run out: what opens now is answered or closed.
    while (!mStop) {
        answerLeftovers();
        pause(50);
    }
    for (int i = 0; i < 20 && current() != nullptr; ++i)
        answerLeftovers();
}

} // namespace subhost::win
