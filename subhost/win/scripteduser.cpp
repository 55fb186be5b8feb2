// The scripted user on Windows: ScriptUser decides each step and narrates;
// this driver reads the real windows into the views it narrates and acts on
// them from a second thread while the host's thread runs the modal loops
// (the host's dialog, the plug-in's dialogs, message boxes, the shell's
// folder browser). Clicks are button clicks, typing is character input into
// the focused field, Return, Escape and Tab are keys. After each action the
// driver waits until the host's thread has handled it, then serves the
// windows the action opened before it hands control back, so the steps nest
// as they do on the headless toolkit.
#include "subhost/win/winhost.h"
#include "subhost/win/winread.h"

#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace subhost::win {

namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A marker posted to the host's main window after an action: once the host's
// thread takes it from its queue, it has handled everything posted before.
constexpr UINT kMarker = WM_APP + 0x3F1;
std::atomic<long> sMarkerTaken{0};
std::atomic<ScriptedUser::Driver*> sDriver{nullptr};

// The window the user looks at: the visible, enabled dialog of this process.
HWND current()
{
    HWND prev = nullptr;
    while (HWND h = FindWindowExW(nullptr, prev, L"#32770", nullptr)) {
        prev = h;
        if (ours(h) && IsWindowVisible(h) && IsWindowEnabled(h))
            return h;
    }
    return nullptr;
}

HWND hostDialog() { return static_cast<HWND>(openHostDialog().dialog); }

std::string dialogName(HWND h)
{
    auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(h, L"FolantraDialog")));
    wchar_t name[256] = {};
    if (atom == 0 || GlobalGetAtomNameW(atom, name, 256) == 0)
        return std::string();
    return narrow(name);
}

bool isPluginDialog(HWND h) { return GetPropW(h, L"FolantraDialog") != nullptr; }

bool isMessageBox(HWND h)
{
    HWND text = GetDlgItem(h, 10);
    return !isPluginDialog(h) && h != hostDialog() && text != nullptr && classOf(text) == L"Static" &&
           GetDlgItem(h, IDOK) != nullptr;
}

bool isFolderBrowser(HWND h)
{
    for (HWND c : descendants(h))
        if (classOf(c) == L"SysTreeView32")
            return true;
    return false;
}

// The name of the folder selected in the folder browser's tree.
std::wstring selectedFolder(HWND browser)
{
    HWND tree = nullptr;
    for (HWND c : descendants(browser))
        if (classOf(c) == L"SysTreeView32")
            tree = c;
    if (tree == nullptr)
        return std::wstring();
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    if (item == nullptr || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return std::wstring();
    return text;
}

// The native side of a window, for tests that look at the real controls:
// each control's id, class, text and pixel rectangle in the window, with
// "disabled" and a check box's state.
std::string nativeListing(HWND w)
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

void postKey(HWND target, UINT vk)
{
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

} // namespace

class ScriptedUser::Driver final : public ToolkitDriver {
public:
    Driver(std::vector<ScriptStep> steps, std::ostream* log, std::string shotDir)
        : mShotDir(std::move(shotDir))
    {
        mUser.setScript(std::move(steps));
        mUser.setLog(log);
    }

    ScriptUser mUser{*this};
    std::thread mThread;
    std::atomic<bool> mStop{false};
    HHOOK mCallHook = nullptr, mMessageHook = nullptr;

    void run()
    {
        while (!mStop) {
            HWND w = current();
            if (w == nullptr)
                pause(20);
            else
                handle(w);
        }
    }

    // ---- what the user sees ----

    const WindowView* window(std::int32_t id) const override
    {
        HWND h = handleOf(id);
        if (h == nullptr)
            return nullptr;
        if (!IsWindow(h))
            return cached(id);
        WindowView v;
        v.window = id;
        v.kind = kViewDialog;
        v.name = dialogName(h);
        v.title = narrow(textOf(h));
        RECT r{}, client{};
        GetWindowRect(h, &r);
        GetClientRect(h, &client);
        v.left = r.left;
        v.top = r.top;
        v.width = client.right;
        v.height = client.bottom;
        v.controls = readControls(h);
        return store(id, std::move(v));
    }

    const WindowView* pane() const override
    {
        OpenHostDialog open = openHostDialog();
        auto h = static_cast<HWND>(open.pane);
        if (h == nullptr || !IsWindow(h))
            return nullptr;
        std::int32_t id = idFor(h);
        WindowView v;
        v.window = id;
        v.kind = kViewPane;
        v.title = narrow(textOf(h));
        v.width = open.paneWidth;
        v.height = open.paneHeight;
        v.controls = readControls(h);
        return store(id, std::move(v));
    }

    // ---- the user's hands ----

    bool click(std::int32_t window, int control) override
    {
        HWND c = controlOf(window, control);
        if (c == nullptr || classOf(c) != L"Button")
            return false;
        PostMessageW(c, BM_CLICK, 0, 0);
        serveAfter(GetAncestor(c, GA_ROOT));
        return true;
    }

    bool type(std::int32_t window, int control, const std::string& text) override
    {
        HWND c = controlOf(window, control);
        if (c == nullptr)
            return false;
        HWND field = c;
        if (classOf(c) == L"ComboBox")
            field = FindWindowExW(c, nullptr, L"Edit", nullptr);
        if (field == nullptr || classOf(field) != L"Edit")
            return false;
        // The field gets the focus with its text selected; the characters
        // replace it.
        HWND root = GetAncestor(c, GA_ROOT);
        SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        SendMessageW(field, EM_SETSEL, 0, -1);
        std::wstring chars = wide(text);
        if (chars.empty())
            PostMessageW(field, WM_CHAR, VK_BACK, 1);
        for (wchar_t ch : chars)
            PostMessageW(field, WM_CHAR, ch, 1);
        serveAfter(root);
        return true;
    }

    bool choose(std::int32_t window, int control, int item) override
    {
        HWND c = controlOf(window, control);
        if (c == nullptr || item < 1)
            return false;
        const std::wstring cls = classOf(c);
        auto index = static_cast<WPARAM>(item - 1);
        if (cls == L"ComboBox") {
            if (item > SendMessageW(c, CB_GETCOUNT, 0, 0))
                return false;
            SendMessageW(c, CB_SETCURSEL, index, 0);
            PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        } else if (cls == L"ListBox") {
            if (item > SendMessageW(c, LB_GETCOUNT, 0, 0))
                return false;
            SendMessageW(c, LB_SETCURSEL, index, 0);
            PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(control, LBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        } else if (cls == WC_TABCONTROLW) {
            if (item > SendMessageW(c, TCM_GETITEMCOUNT, 0, 0))
                return false;
            SendMessageW(c, TCM_SETCURSEL, index, 0);
            NMHDR n{c, static_cast<UINT_PTR>(control), static_cast<UINT>(TCN_SELCHANGE)};
            DWORD_PTR r = 0;
            SendMessageTimeoutW(GetParent(c), WM_NOTIFY, static_cast<WPARAM>(control), reinterpret_cast<LPARAM>(&n),
                                SMTO_NORMAL, 5000, &r);
        } else {
            return false;
        }
        serveAfter(GetAncestor(c, GA_ROOT));
        return true;
    }

    bool press(std::int32_t window, Key key) override
    {
        HWND h = handleOf(window);
        if (h == nullptr || !IsWindow(h))
            return false;
        HWND root = GetAncestor(h, GA_ROOT);
        HWND target = focusOf(root);
        if (target == nullptr || GetAncestor(target, GA_ROOT) != root)
            target = root;
        switch (key) {
        case Key::Return: postKey(target, VK_RETURN); break;
        case Key::Escape: postKey(target, VK_ESCAPE); break;
        case Key::Tab: postKey(target, VK_TAB); break;
        case Key::BackTab: {
            // Shift held down while the host's thread takes the Tab key.
            DWORD self = GetCurrentThreadId(), gui = GetWindowThreadProcessId(root, nullptr);
            AttachThreadInput(self, gui, TRUE);
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            BYTE shift = keys[VK_SHIFT];
            keys[VK_SHIFT] = 0x80;
            SetKeyboardState(keys);
            postKey(target, VK_TAB);
            sync(root);
            keys[VK_SHIFT] = shift;
            SetKeyboardState(keys);
            AttachThreadInput(self, gui, FALSE);
            break;
        }
        }
        serveAfter(root);
        return true;
    }

    bool close(std::int32_t window) override
    {
        HWND h = handleOf(window);
        if (h == nullptr || !IsWindow(h) || h == static_cast<HWND>(openHostDialog().pane))
            return false;
        PostMessageW(h, WM_CLOSE, 0, 0);
        serveAfter(h);
        return true;
    }

    bool hasOutputStyle(const std::string& name) const override { return styleItem(name) > 0; }

    void chooseOutputStyle(const std::string& name) override
    {
        HWND dialog = hostDialog();
        int item = styleItem(name);
        if (dialog == nullptr || item <= 0)
            return;
        HWND popup = GetDlgItem(dialog, 102);
        SendMessageW(popup, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(102, CBN_SELCHANGE), reinterpret_cast<LPARAM>(popup));
        serveAfter(dialog);
    }

    void looked(std::int32_t window) override
    {
        HWND h = handleOf(window);
        if (h == nullptr || !IsWindow(h))
            return;
        HWND root = GetAncestor(h, GA_ROOT);
        if (mDetails) {
            mUser.say(nativeListing(root));
            if (root == hostDialog()) {
                // What the pane told the host's dialog handling since the last look.
                std::string calls = "pane calls:";
                for (const std::string& call : takePaneCalls())
                    calls += " " + call + ";";
                mUser.say(calls);
            }
        }
        shoot(root);
    }

    // ---- the host's thread (hooks) ----

    // A dialog of the plug-in ends: the narration says so before the host's
    // thread goes on.
    void destroying(HWND h)
    {
        if (!isPluginDialog(h))
            return;
        int result = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(h, L"FolantraResult")));
        mUser.say(dialogEndedText(dialogName(h), result));
    }

private:
    // ---- the windows ----

    void handle(HWND w)
    {
        if (w == hostDialog())
            serveHostDialog(w);
        else if (isPluginDialog(w))
            serveDialog(w);
        else if (isMessageBox(w))
            serveMessageBox(w);
        else if (isFolderBrowser(w))
            serveFolderBrowser(w);
        else
            pause(20);
    }

    void serveHostDialog(HWND dialog)
    {
        bool print = openHostDialog().printDialog;
        bool confirmed = mUser.runHostDialog(print ? "print dialog" : "style editor", print);
        if (!IsWindow(dialog))
            return;
        PostMessageW(GetDlgItem(dialog, confirmed ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        serveAfter(dialog);
    }

    void serveDialog(HWND dialog)
    {
        std::int32_t id = idFor(dialog);
        if (mSeen.insert(dialog).second) {
            settleOpened(dialog);
            if (const WindowView* v = window(id))
                mUser.say("opened " + describeWindow(*v));
            shoot(dialog);
        }
        while (!mStop && IsWindow(dialog)) {
            HWND now = current();
            if (now != dialog) {
                if (now != nullptr && now != hostDialog())
                    handle(now);
                else
                    pause(20);
                continue;
            }
            // Without an action from the user the dialog is closed.
            if (!mUser.dialogWaits(id)) {
                PostMessageW(dialog, WM_CLOSE, 0, 0);
                serveAfter(dialog);
            }
        }
    }

    // A dialog is visible before its thread has activated it and given the
    // focus to its control: the user looks at it once its loop runs idle and
    // the focus is inside it (or after two seconds without a focus).
    static void settleOpened(HWND dialog)
    {
        for (int waited = 0; waited < 2000; waited += 10) {
            settle(dialog);
            HWND focus = focusOf(dialog);
            if (!IsWindow(dialog) || (focus != nullptr && (focus == dialog || IsChild(dialog, focus))))
                return;
            pause(10);
        }
    }

    void serveMessageBox(HWND box)
    {
        shootFirst(box);
        std::int32_t answer = mUser.messageBoxAnswer();
        if (answer == 0)
            answer = 1; // not in the script: OK
        std::wstring text = textOf(GetDlgItem(box, 10));
        std::size_t split = text.find(L"\r\r");
        std::wstring primary = text.substr(0, split);
        std::wstring secondary = split == std::wstring::npos ? std::wstring() : text.substr(split + 2);
        mUser.say(messageBoxText(narrow(textOf(box)), narrow(primary), narrow(secondary), answer));
        if (answer == 1)
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        else
            PostMessageW(box, WM_CLOSE, 0, 0);
        serveAfter(box);
    }

    void serveFolderBrowser(HWND browser)
    {
        shootFirst(browser);
        std::string chosen;
        bool picked = mUser.chooseFolder(chosen) == 1;
        if (picked) {
            // The browser fills its tree as it goes: the path is selected
            // again until the tree shows its last folder selected.
            std::wstring path = wide(chosen);
            while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
                path.pop_back();
            std::wstring last = path.substr(path.find_last_of(L"\\/") + 1);
            for (int attempt = 0; attempt < 25; ++attempt) {
                SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
                settle(browser);
                if (lstrcmpiW(selectedFolder(browser).c_str(), last.c_str()) == 0)
                    break;
                pause(200);
            }
        }
        PostMessageW(GetDlgItem(browser, picked ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        serveAfter(browser);
    }

    // Waits until the host's thread has handled what was posted to it.
    void sync(HWND back)
    {
        auto main = static_cast<HWND>(hostMainWindow());
        long marker = ++mMarkers;
        PostMessageW(main, kMarker, 0, marker);
        for (int waited = 0; waited < 20000 && sMarkerTaken < marker; waited += 5) {
            if (mStop || (back != nullptr && !IsWindow(back)))
                return;
            pause(5);
        }
        // A dialog that just opened shows once its loop first runs idle.
        settle(main);
        pause(10);
        settle(main);
    }

    // After an action on `back`: the windows it opened are served until
    // `back` is the window the user looks at again, or gone.
    void serveAfter(HWND back)
    {
        sync(back);
        while (!mStop && IsWindow(back)) {
            HWND now = current();
            if (now == back)
                return;
            if (now == nullptr || now == hostDialog()) {
                pause(20);
                continue;
            }
            handle(now);
        }
    }

    // ---- ids of windows ----

    std::int32_t idFor(HWND h) const
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        auto it = mIds.find(h);
        if (it != mIds.end() && mHandles[it->second] == h)
            return it->second;
        std::int32_t id = mNextId++;
        mIds[h] = id;
        mHandles[id] = h;
        return id;
    }

    HWND handleOf(std::int32_t id) const
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        auto it = mHandles.find(id);
        return it == mHandles.end() ? nullptr : it->second;
    }

    HWND controlOf(std::int32_t window, int control) const
    {
        HWND h = handleOf(window);
        return h != nullptr && IsWindow(h) ? descendant(h, control) : nullptr;
    }

    const WindowView* cached(std::int32_t id) const
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        auto it = mViews.find(id);
        return it == mViews.end() ? nullptr : &it->second;
    }

    const WindowView* store(std::int32_t id, WindowView v) const
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        WindowView& slot = mViews[id];
        v.reports = slot.reports + 1;
        slot = std::move(v);
        return &slot;
    }

    // The item of the print dialog's style menu with this name (the last of
    // that name), 0 for none.
    int styleItem(const std::string& name) const
    {
        HWND dialog = hostDialog();
        HWND popup = dialog != nullptr ? GetDlgItem(dialog, 102) : nullptr;
        if (popup == nullptr)
            return 0;
        int found = 0;
        int n = static_cast<int>(SendMessageW(popup, CB_GETCOUNT, 0, 0));
        for (int i = 1; i < n; ++i) {
            int length = static_cast<int>(SendMessageW(popup, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
            std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
            SendMessageW(popup, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
            text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
            if (narrow(text) == name)
                found = i;
        }
        return found;
    }

    // ---- pictures ----

    void shootFirst(HWND w)
    {
        if (mShot.insert(w).second)
            shoot(w);
    }

    std::string shotName(HWND w) const
    {
        if (w == hostDialog())
            return openHostDialog().printDialog ? "print-dialog" : "style-editor";
        if (isPluginDialog(w)) {
            std::string name = dialogName(w);
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return name;
        }
        return isMessageBox(w) ? "msgbox" : isFolderBrowser(w) ? "folder" : "window";
    }

    void shoot(HWND w)
    {
        if (mShotDir.empty() || w == nullptr)
            return;
        mShot.insert(w);
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
        char name[96];
        std::snprintf(name, sizeof name, "%02d-%s.bmp", ++mShots, shotName(w).c_str());
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

    std::string mShotDir;
    // With FOLANTRA_WINDOW_DETAILS=1 each "show" also lists the native
    // controls and the pane's calls to the host (Windows only, so not in the
    // narration every toolkit shares).
    bool mDetails = std::getenv("FOLANTRA_WINDOW_DETAILS") != nullptr &&
                    std::string(std::getenv("FOLANTRA_WINDOW_DETAILS")) == "1";
    int mShots = 0;
    std::set<HWND> mShot;
    std::set<HWND> mSeen;
    long mMarkers = 0;
    mutable std::recursive_mutex mLock;
    mutable std::map<HWND, std::int32_t> mIds;
    mutable std::map<std::int32_t, HWND> mHandles;
    mutable std::map<std::int32_t, WindowView> mViews;
    mutable std::int32_t mNextId = 1;
};

namespace {

LRESULT CALLBACK callHook(int code, WPARAM wp, LPARAM lp)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m != nullptr && m->message == WM_DESTROY)
        if (ScriptedUser::Driver* d = sDriver)
            d->destroying(m->hwnd);
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK messageHook(int code, WPARAM wp, LPARAM lp)
{
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && m != nullptr && m->message == kMarker)
        sMarkerTaken = static_cast<long>(m->lParam);
    return CallNextHookEx(nullptr, code, wp, lp);
}

} // namespace

ScriptedUser::ScriptedUser(std::vector<ScriptStep> steps, std::ostream* log, std::string shotDir)
    : mDriver(new Driver(std::move(steps), log, std::move(shotDir)))
{
}

ScriptedUser::~ScriptedUser()
{
    finish();
    delete mDriver;
}

void ScriptedUser::start()
{
    // The hooks run on this thread, the one that shows the windows.
    sDriver = mDriver;
    setNarrator(&mDriver->mUser);
    mDriver->mCallHook = SetWindowsHookExW(WH_CALLWNDPROC, callHook, nullptr, GetCurrentThreadId());
    mDriver->mMessageHook = SetWindowsHookExW(WH_GETMESSAGE, messageHook, nullptr, GetCurrentThreadId());
    mDriver->mThread = std::thread([d = mDriver] { d->run(); });
}

void ScriptedUser::finish()
{
    mDriver->mStop = true;
    if (mDriver->mThread.joinable())
        mDriver->mThread.join();
    if (mDriver->mCallHook != nullptr)
        UnhookWindowsHookEx(mDriver->mCallHook);
    if (mDriver->mMessageHook != nullptr)
        UnhookWindowsHookEx(mDriver->mMessageHook);
    mDriver->mCallHook = mDriver->mMessageHook = nullptr;
    setNarrator(nullptr);
    sDriver = nullptr;
}

const std::vector<std::string>& ScriptedUser::errors() const { return mDriver->mUser.errors(); }

bool ScriptedUser::scriptDone() const { return mDriver->mUser.done(); }

} // namespace subhost::win
