#include "subhost/win/winhost.h"

#include "subhost/host_private.h"
#include "subhost/win/winread.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace subhost::win {
namespace {

// ---- the host's state on Windows (one host per process) ----
struct State {
    Host* host = nullptr;
    HWND main = nullptr;
    xtgroup group{};
    Table<XT_WINDLG_ENTRIES> table; // every entry runs in the host's guard
    std::map<xtdialogref, int32_t> paneCodes; // dialog -> the pane code the plug-in added
    std::vector<std::string> calls;
    xtdialogref nextDialog = 1;
    ScriptUser* narrator = nullptr;
    OpenHostDialog open; // under sOpenLock
};
State sState;

template <class F> xtproc proc(F f) { return reinterpret_cast<xtproc>(f); }

std::mutex sCallsLock; // the scripted user reads the calls from its thread
std::mutex sOpenLock;  // ... and the open dialog

void publish(const OpenHostDialog& open)
{
    std::lock_guard<std::mutex> lock(sOpenLock);
    sState.open = open;
}

void note(const std::string& what)
{
    std::lock_guard<std::mutex> lock(sCallsLock);
    sState.calls.push_back(what);
}

int32_t XTAPI mainWindow(const xtgroup*, void** out)
{
    *out = sState.main;
    return sState.main ? 0 : -1;
}

int32_t XTAPI addPane(const xtgroup*, xtdialogref dialog, int32_t code)
{
    note("addpane " + std::to_string(code));
    sState.paneCodes[dialog] = code;
    return 0;
}

int32_t XTAPI announceCheckBox(const xtgroup*, void*, int32_t id, int32_t value)
{
    note("checkbox " + std::to_string(id) + " " + std::to_string(value));
    return 0;
}
int32_t XTAPI announceButton(const xtgroup*, void*, int32_t id, int32_t value)
{
    note("button " + std::to_string(id) + " " + std::to_string(value));
    return 0;
}
int32_t XTAPI announceText(const xtgroup*, void*, int32_t id, int32_t value)
{
    note("text " + std::to_string(id) + " " + std::to_string(value));
    return 0;
}
int32_t XTAPI announceNumField(const xtgroup*, void*, int32_t id, int32_t a, int32_t min, int32_t max, int32_t b,
                               int32_t c, int32_t d)
{
    note("numfield " + std::to_string(id) + " " + std::to_string(a) + " " + std::to_string(min) + " " +
         std::to_string(max) + " " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d));
    return 0;
}
int32_t XTAPI controlState(const xtgroup*, void* pane, int32_t id, int32_t state)
{
    note("state " + std::to_string(id) + " " + std::to_string(state));
    HWND control = GetDlgItem(static_cast<HWND>(pane), id);
    if (control == nullptr)
        return -1;
    if (state == XT_CTLSTATE_ENABLED || state == XT_CTLSTATE_DISABLED)
        EnableWindow(control, state == XT_CTLSTATE_ENABLED);
    else
        InvalidateRect(control, nullptr, TRUE);
    return 0;
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(hwnd, message, wp, lp);
}

// ---- the host's dialogs ----
enum HostControl { kStyleLabel = 101, kStylePopup = 102, kTitle = 103 };

// An in-memory dialog template: a caption, a font and a few controls.
class Template {
public:
    Template(const wchar_t* caption, short cx, short cy)
    {
        DLGTEMPLATE t{};
        t.style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
        t.cx = cx;
        t.cy = cy;
        add(&t, sizeof t);
        word(0); // no menu
        word(0); // standard class
        text(caption);
        word(8);
        text(L"MS Shell Dlg");
        mCountAt = offsetof(DLGTEMPLATE, cdit);
    }
    void control(const wchar_t* cls, const wchar_t* caption, WORD id, short x, short y, short cx, short cy,
                 DWORD style)
    {
        align();
        DLGITEMTEMPLATE i{};
        i.style = style | WS_CHILD | WS_VISIBLE;
        i.x = x;
        i.y = y;
        i.cx = cx;
        i.cy = cy;
        i.id = id;
        add(&i, sizeof i);
        text(cls);
        text(caption);
        word(0);
        ++*reinterpret_cast<WORD*>(&mBytes[mCountAt]);
    }
    const DLGTEMPLATE* get()
    {
        align();
        return reinterpret_cast<const DLGTEMPLATE*>(mBytes.data());
    }

private:
    void add(const void* p, std::size_t n)
    {
        const char* c = static_cast<const char*>(p);
        mBytes.insert(mBytes.end(), c, c + n);
    }
    void word(WORD w) { add(&w, sizeof w); }
    void text(const wchar_t* s) { add(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
    void align()
    {
        while (mBytes.size() % 4 != 0)
            mBytes.push_back(0);
    }
    std::vector<char> mBytes;
    std::size_t mCountAt = 0;
};

struct HostDialog {
    Host* host;
    bool printDialog;
    xtstyleref style;
    xtdialogref ref;
    int32_t paneCode = 0;
    HWND pane = nullptr;
    HWND hwnd = nullptr;
    int paneWidth = 0, paneHeight = 0; // the pane's template size in dialog units
};

// The size of a dialog template in dialog units (DIALOG or DIALOGEX).
bool templateSize(HMODULE module, int resource, int& width, int& height)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(5)); // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded != nullptr ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr || SizeofResource(module, found) < 26)
        return false;
    auto word = [bytes](std::size_t at) {
        short v;
        std::memcpy(&v, bytes + at, sizeof v);
        return static_cast<int>(v);
    };
    bool extended = word(0) == 1 && static_cast<unsigned short>(word(2)) == 0xFFFF;
    width = word(extended ? 22 : 14);
    height = word(extended ? 24 : 16);
    return true;
}

void paneMessage(HostDialog& d, uint32_t message, int32_t control, xtpanemsgrec* out = nullptr)
{
    xtpanemsgrec m{};
    m.hdr.code = d.paneCode;
    m.hdr.size = sizeof m;
    m.message = message;
    m.control = control;
    m.pane = d.pane;
    m.dialog = d.ref;
    d.host->call(d.paneCode, &m.hdr);
    if (out != nullptr)
        *out = m;
}

INT_PTR CALLBACK hostPaneProc(HWND pane, UINT message, WPARAM wp, LPARAM)
{
    auto* d = reinterpret_cast<HostDialog*>(GetWindowLongPtrW(pane, GWLP_USERDATA));
    if (message == WM_COMMAND && d != nullptr && HIWORD(wp) == BN_CLICKED) {
        paneMessage(*d, XT_PANE_CONTROL, LOWORD(wp));
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

void embedPane(HWND dialog, HostDialog& d)
{
    auto it = sState.paneCodes.find(d.ref);
    if (it == sState.paneCodes.end())
        return;
    d.paneCode = it->second;
    xtpanemsgrec answer{};
    paneMessage(d, XT_PANE_RESOURCE, 0, &answer);
    if (answer.module == nullptr || answer.resource == 0)
        return;
    d.pane = CreateDialogParamW(static_cast<HMODULE>(answer.module), MAKEINTRESOURCEW(answer.resource), dialog,
                                hostPaneProc, 0);
    if (d.pane == nullptr)
        return;
    SetWindowLongPtrW(d.pane, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&d));
    templateSize(static_cast<HMODULE>(answer.module), answer.resource, d.paneWidth, d.paneHeight);
    // The pane sits below the host's own controls.
    RECT at{7, 36, 0, 0};
    MapDialogRect(dialog, &at);
    SetWindowPos(d.pane, HWND_TOP, at.left, at.top, 0, 0, SWP_NOSIZE);
    SetWindowLongPtrW(d.pane, GWL_EXSTYLE, GetWindowLongPtrW(d.pane, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    paneMessage(d, XT_PANE_SETUP, 0);
    paneMessage(d, XT_PANE_LOAD, 0);
    ShowWindow(d.pane, SW_SHOW);
}

void closeDialog(HWND dialog, HostDialog& d, bool confirmed)
{
    if (d.pane != nullptr)
        paneMessage(d, confirmed ? XT_PANE_CONFIRMED : XT_PANE_FORGET, 0);
    sState.paneCodes.erase(d.ref);
    publish(OpenHostDialog{});
    if (sState.narrator != nullptr)
        sState.narrator->hostDialogClosed(d.printDialog, confirmed);
    EndDialog(dialog, confirmed ? IDOK : IDCANCEL);
}

INT_PTR CALLBACK hostDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp)
{
    auto* d = reinterpret_cast<HostDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        d = reinterpret_cast<HostDialog*>(lp);
        d->hwnd = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        Host& h = *d->host;
        if (sState.narrator != nullptr) {
            const OutputStyle* s = d->printDialog ? nullptr : h.style(d->style);
            sState.narrator->hostDialogOpened(d->printDialog, s ? s->name : std::string("?"));
        }
        if (d->printDialog) {
            Document* doc = h.currentDocument();
            SetDlgItemTextW(dialog, kTitle, wide("Document: " + (doc ? doc->name : std::string())).c_str());
            HWND popup = GetDlgItem(dialog, kStylePopup);
            SendMessageW(popup, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"(Default)"));
            for (const OutputStyle& s : h.styles())
                SendMessageW(popup, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(s.name).c_str()));
            SendMessageW(popup, CB_SETCURSEL, 0, 0);
            xtprintdlgrec rec{};
            rec.hdr = xtcbheader{XT_CB_PRINTDIALOG, sizeof rec};
            rec.dialog = d->ref;
            h.call(XT_CB_PRINTDIALOG, &rec.hdr);
        } else {
            const OutputStyle* s = h.style(d->style);
            SetDlgItemTextW(dialog, kTitle, wide("Output style: " + (s ? s->name : std::string())).c_str());
            xtstyleeditrec rec{};
            rec.hdr = xtcbheader{XT_CB_STYLEEDITOR, sizeof rec};
            rec.style = d->style;
            rec.dialog = d->ref;
            h.call(XT_CB_STYLEEDITOR, &rec.hdr);
        }
        embedPane(dialog, *d);
        publish(OpenHostDialog{dialog, d->pane, d->printDialog, d->paneWidth, d->paneHeight});
        // The focus starts on the host's own controls, not in the pane.
        SetFocus(GetDlgItem(dialog, d->printDialog ? kStylePopup : IDOK));
        if (sState.narrator != nullptr)
            sState.narrator->hostDialogShowsPane(d->printDialog);
        return FALSE;
    }
    case WM_COMMAND:
        if (d == nullptr)
            return FALSE;
        if (LOWORD(wp) == IDOK) {
            closeDialog(dialog, *d, true);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            closeDialog(dialog, *d, false);
            return TRUE;
        }
        if (LOWORD(wp) == kStylePopup && HIWORD(wp) == CBN_SELCHANGE) {
            int sel = static_cast<int>(SendMessageW(GetDlgItem(dialog, kStylePopup), CB_GETCURSEL, 0, 0));
            if (sel > 0)
                d->host->chooseStyle(static_cast<xtstyleref>(sel));
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        if (d != nullptr)
            closeDialog(dialog, *d, false);
        return TRUE;
    default:
        return FALSE;
    }
}

bool runHostDialog(Host& host, bool printDialog, xtstyleref style)
{
    HostDialog d{&host, printDialog, style, sState.nextDialog++};
    Template t(printDialog ? L"Print" : L"Edit Output Style", 344, 186);
    t.control(L"Static", L"", kTitle, 7, 7, 200, 8, SS_LEFTNOWORDWRAP);
    if (printDialog) {
        t.control(L"Static", L"Print Style:", kStyleLabel, 7, 21, 50, 8, SS_LEFT);
        t.control(L"ComboBox", L"", kStylePopup, 60, 19, 140, 100, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
    }
    t.control(L"Button", printDialog ? L"Print" : L"OK", IDOK, 233, 165, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
    t.control(L"Button", L"Cancel", IDCANCEL, 287, 165, 50, 14, BS_PUSHBUTTON | WS_TABSTOP);
    EnableWindow(sState.main, FALSE);
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), sState.main, hostDialogProc,
                                        reinterpret_cast<LPARAM>(&d));
    EnableWindow(sState.main, TRUE);
    return r == IDOK;
}

} // namespace

void install(Host& host)
{
    sState.host = &host;
    if (sState.main == nullptr) {
        WNDCLASSW c{};
        c.lpfnWndProc = mainProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"FolantraHostMain";
        RegisterClassW(&c);
        sState.main = CreateWindowExW(0, L"FolantraHostMain", L"folantra-host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    sState.table.set<XT_WINDLG_MAINWINDOW, mainWindow>();
    sState.table.set<XT_WINDLG_ADDPANE, addPane>();
    sState.table.set<XT_WINDLG_CHECKBOX, announceCheckBox>();
    sState.table.set<XT_WINDLG_BUTTON, announceButton>();
    sState.table.set<XT_WINDLG_TEXT, announceText>();
    sState.table.set<XT_WINDLG_NUMFIELD, announceNumField>();
    sState.table.set<XT_WINDLG_CONTROLSTATE, controlState>();
    initGroup(sState.group, &host, XT_GROUPID_WINDIALOG, sState.table);
    host.extraGroups[XT_GROUP_WINDIALOG] = &sState.group;
}

std::vector<std::string> takePaneCalls()
{
    std::lock_guard<std::mutex> lock(sCallsLock);
    std::vector<std::string> out;
    out.swap(sState.calls);
    return out;
}

OpenHostDialog openHostDialog()
{
    std::lock_guard<std::mutex> lock(sOpenLock);
    return sState.open;
}

void* hostMainWindow() { return sState.main; }

void setNarrator(ScriptUser* user) { sState.narrator = user; }

bool runPrintDialog(Host& host) { return runHostDialog(host, true, 0); }

bool runStyleEditor(Host& host, xtstyleref style) { return runHostDialog(host, false, style); }

Utf8Arguments::Utf8Arguments(int& argc, char**& argv)
{
    int n = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (wide == nullptr)
        return; // the narrow arguments stay
    for (int i = 0; i < n; ++i)
        mArgs.push_back(narrow(wide[i]));
    LocalFree(wide);
    for (std::string& a : mArgs)
        mPointers.push_back(&a[0]);
    mPointers.push_back(nullptr);
    argc = n;
    argv = mPointers.data();
}

} // namespace subhost::win
