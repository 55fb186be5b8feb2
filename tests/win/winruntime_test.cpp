// The dialog runtime's Windows side where the window system is stricter
// than Wine lets on: COM around the folder browser, folders past MAX_PATH
// from the shell, '&' in texts that show data, and a dialog's timer, list
// draw hook and drop target.
#include "win/windriver.h"

#include "output/psname.h"
#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/panetable.h"
#include "ui/win/winhandles.h"
#include "ui/win/wintoolkit.h"
#include "util/mystr.h"
#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <thread>
#include <vector>

using namespace windriver;

namespace {

// ---- COM ----

// Runs `body` on a thread of its own that entered COM in `mode` first (or
// not at all for -1), as a host's thread may have.
template <typename F>
void onComThread(int mode, F body)
{
    std::thread t([&] {
        HRESULT before = mode >= 0 ? CoInitializeEx(nullptr, static_cast<DWORD>(mode)) : S_OK;
        EXPECT_EQ(before, S_OK);
        body();
        if (mode >= 0)
            CoUninitialize();
    });
    t.join();
}

// Whether the thread is still in COM with `mode`: entering it again answers
// S_FALSE (balanced here) when it is, S_OK when it was not.
HRESULT enterAgain(DWORD mode)
{
    HRESULT hr = CoInitializeEx(nullptr, mode);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr;
}

TEST(WinRuntime, TheFolderBrowserLeavesAHostThreadsApartmentAsItWas)
{
    // A multithreaded host thread: the browser's single-threaded entry is
    // refused (RPC_E_CHANGED_MODE) and must not be undone.
    onComThread(COINIT_MULTITHREADED, [] {
        {
            wintk::ComApartment com;
            EXPECT_EQ(com.result(), RPC_E_CHANGED_MODE);
        }
        EXPECT_EQ(enterAgain(COINIT_MULTITHREADED), S_FALSE) << "the host's own COM was taken away";
        // Through the folder browser itself (closed at once, if Wine shows it there).
        std::string chosen;
        int r = run(
            [&] { return wintk::chooseFolder("", chosen); },
            [] {
                if (HWND d = waitForDialog(L"", 0, 3000)) {
                    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                    waitGone(d);
                }
            });
        EXPECT_EQ(r, 2);
        EXPECT_EQ(enterAgain(COINIT_MULTITHREADED), S_FALSE) << "the folder browser took the host's COM away";
    });
    // A single-threaded host thread (S_FALSE) and one without COM (S_OK):
    // each entry is balanced by one exit.
    onComThread(COINIT_APARTMENTTHREADED, [] {
        {
            wintk::ComApartment com;
            EXPECT_EQ(com.result(), S_FALSE);
        }
        EXPECT_EQ(enterAgain(COINIT_APARTMENTTHREADED), S_FALSE);
    });
    onComThread(-1, [] {
        {
            wintk::ComApartment com;
            EXPECT_EQ(com.result(), S_OK);
        }
        EXPECT_EQ(enterAgain(COINIT_MULTITHREADED), S_OK) << "COM was left entered";
    });
}

// ---- long folders from the shell ----

TEST(WinRuntime, AFolderPastMaxPathComesBackFromTheShellWhole)
{
    testing_util::ScratchDir dir;
    std::wstring shortFolder = utf8ToWide(dir.str().c_str());
    PIDLIST_ABSOLUTE list = ILCreateFromPathW(shortFolder.c_str());
    ASSERT_NE(list, nullptr);
    std::string got;
    EXPECT_TRUE(wintk::folderOfIdList(list, got));
    ILFree(list);
    EXPECT_EQ(got, dir.str());

    std::wstring folder = shortFolder;
    for (wchar_t& c : folder)
        if (c == L'/')
            c = L'\\';
    for (int i = 0; folder.size() <= 300; ++i) {
        folder += L"\\" + std::wstring(47, static_cast<wchar_t>(L'a' + i)) + L"0";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << GetLastError();
    }
    list = ILCreateFromPathW(folder.c_str());
    if (list == nullptr)
        GTEST_SKIP() << "the shell here makes no item list of a folder of " << folder.size()
                     << " characters (Wine 8 does not): only the short folder was checked";
    bool ok = wintk::folderOfIdList(list, got);
    ILFree(list);
    ASSERT_TRUE(ok);
    EXPECT_EQ(utf8ToWide(got.c_str()), folder);
}

// ---- '&' in texts ----

INT_PTR CALLBACK plainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

bool noPrefix(HWND h) { return h != nullptr && (GetWindowLongW(h, GWL_STYLE) & SS_NOPREFIX) != 0; }

TEST(WinRuntime, AnAmpersandShowsAsItselfInThePathLabelMessagesAndLabels)
{
    setupLanguage(2);
    setupMyStrings();
    // The pane's path label and its other texts.
    HWND host = CreateWindowExW(0, L"#32770", L"Print", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    HWND pane = CreateDialogParamW(wintk::ownModule(), MAKEINTRESOURCEW(kPaneDialogResource), host, plainProc, 0);
    ASSERT_NE(pane, nullptr);
    for (int id : {kPaneFolder, kPaneXLabel, kPaneXPercent, kPaneYLabel, kPaneYPercent})
        EXPECT_TRUE(noPrefix(GetDlgItem(pane, id))) << "pane control " << id;
    DestroyWindow(host);

    // The message box: its text control draws as it was measured.
    bool boxNoPrefix = false;
    std::wstring shown;
    run(
        [] {
            setMsg2("%s", "C:\\Jobs\\Smith & Sons");
            return msgBox("invalidFolder");
        },
        [&] {
            HWND d = waitForDialog(L"Folantra", 10);
            if (d == nullptr)
                return;
            boxNoPrefix = noPrefix(descendant(d, 10));
            shown = text(descendant(d, 10));
            click(descendant(d, 1));
            waitGone(d);
        });
    EXPECT_TRUE(boxNoPrefix);
    EXPECT_NE(shown.find(L"Smith & Sons"), std::wstring::npos);

    // A described label (the second label of "PSName" shows data).
    std::vector<bool> labels;
    char name[256] = "A&B.ps";
    run([&] { return getPSName("C:\\out", name); },
        [&] {
            HWND d = waitForDialog(L"Folantra", 4);
            if (d == nullptr)
                return;
            for (HWND h : descendants(d))
                if (className(h) == L"Static")
                    labels.push_back(noPrefix(h));
            click(descendant(d, 1));
            waitGone(d);
        });
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_TRUE(labels[0]);
    EXPECT_TRUE(labels[1]);
}

// ---- a dialog's timer, list draw hook and drop target ----

// A drop target that counts its references.
class CountedDropTarget : public IDropTarget {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
};

struct Drawn {
    int item;
    DlgRect rect;
    void* user;
};

struct Timed {
    int ticks = 0;
    void* tickUser = nullptr;
    HRESULT registered = E_FAIL;
    CountedDropTarget target;
    int listUser = 0;
    std::vector<Drawn> drawn;
};

// The visible dialog of this thread.
HWND ownDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM out) -> BOOL {
            if (IsWindowVisible(h) && className(h) == L"#32770") {
                *reinterpret_cast<HWND*>(out) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void tick(DialogRef dialog, void* user)
{
    auto* t = static_cast<Timed*>(user);
    t->tickUser = user;
    if (++t->ticks == 1) {
        if (HWND d = ownDialog())
            t->registered = RegisterDragDrop(d, &t->target);
    }
    if (t->ticks == 3)
        quitModalDialog(dialog, 7);
}

void drawListItem(void* device, ControlRef, int item, const DlgRect& rect, void* user)
{
    static_cast<std::vector<Drawn>*>(user)->push_back(Drawn{item, rect, user});
    RECT r{rect.x + 1, rect.y + 1, rect.x + 5, rect.y + 5};
    FillRect(static_cast<HDC>(device), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

std::uint8_t setUpTimedList(DialogRef dialog, void* user)
{
    auto* t = static_cast<Timed*>(user);
    ControlRef list = getControl(dialog, 7);
    list->items = {"alpha", "beta", "gamma"};
    setControlHandler(list, nullptr, &t->drawn);
    setListDrawHook(list, drawListItem);
    setDialogTimer(dialog, tick, 100);
    return 0;
}

TEST(WinRuntime, TheTimerTicksUntilTheDialogEndsTheListDrawsThroughItsHookAndTheDropTargetGoes)
{
    HRESULT ole = OleInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(ole));
    Timed t;
    bool seen = false;
    int r = run([&] { return doModalDialog("TimedList", setUpTimedList, &t); },
                [&] {
                    HWND d = waitForDialog(L"Timed list", 7);
                    seen = d != nullptr;
                    if (d != nullptr)
                        waitGone(d, 10000);
                });
    EXPECT_TRUE(seen);
    EXPECT_EQ(r, 7);     // ended by the timer proc
    EXPECT_EQ(t.ticks, 3); // and ticking no more
    EXPECT_EQ(t.tickUser, &t);
    EXPECT_EQ(t.registered, S_OK);
    EXPECT_EQ(t.target.refs, 1u) << "the drop target outlived its window";
    // Every item came through the hook with its rectangle and the list's user data.
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    std::vector<bool> items(3, false);
    for (const Drawn& d : t.drawn) {
        EXPECT_EQ(d.user, &t.drawn);
        EXPECT_GT(d.rect.w, 150);
        EXPECT_EQ(d.rect.h, MulDiv(16, dpi, 96)); // the list's item height at the screen's DPI
        if (d.item >= 0 && d.item < 3)
            items[static_cast<std::size_t>(d.item)] = true;
    }
    EXPECT_TRUE(items[0] && items[1] && items[2]) << t.drawn.size() << " items drawn";
    OleUninitialize();
}

} // namespace
