#include "ui/win/winpane.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "job/jobstorage.h"
#include "ui/optionspane.h"
#include "ui/panetable.h"
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"
#include "ui/win/wintoolkit.h"

#include <string>
#include <vector>

namespace wintk {

int32_t gPaneCodes[2] = {0, 0};

namespace {

constexpr int32_t kPriority = 200;
enum PaneOf { kPrintPane = 0, kStylePane = 1 };

HWND sPrintPane = nullptr;    // the print dialog's pane window while it is shown
bool sLoaded = false;         // the pane was made (and loaded) since the last load message
xtstyleref sEditedStyle = 0;  // the style the style-editor pane was made for

template <class F> F windlg(uint32_t n)
{
    const xtgroup* g = xtWinDialogGroup();
    if (g == nullptr || g->entries == nullptr || n >= g->count)
        return nullptr;
    return reinterpret_cast<F>(g->entries[n]);
}

void announce(uint32_t entry, void* pane, int id, int32_t value)
{
    if (auto f = windlg<xt_windlg_control_fn>(entry))
        f(xtWinDialogGroup(), pane, id, value);
}

void controlState(void* pane, int id, int32_t state) { announce(XT_WINDLG_CONTROLSTATE, pane, id, state); }

bool addPaneToHost(xtdialogref dialog, int32_t code)
{
    auto f = windlg<xt_windlg_addpane_fn>(XT_WINDLG_ADDPANE);
    return f != nullptr && code != 0 && f(xtWinDialogGroup(), dialog, code) == 0;
}

// Announces every control to the host's dialog handling, kind by kind.
void setUpControls(void* pane)
{
    auto numField = windlg<xt_windlg_numfield_fn>(XT_WINDLG_NUMFIELD);
    for (PaneKind kind : {PaneKind::CheckBox, PaneKind::PushButton, PaneKind::StaticText, PaneKind::ValueText,
                          PaneKind::EditField})
        forEachPaneControl([&](const OptionRow& row) {
            if (row.kind != kind)
                return;
            switch (kind) {
            case PaneKind::CheckBox: announce(XT_WINDLG_CHECKBOX, pane, row.paneId, 2); break;
            case PaneKind::PushButton: announce(XT_WINDLG_BUTTON, pane, row.paneId, 2); break;
            case PaneKind::StaticText:
            case PaneKind::ValueText: announce(XT_WINDLG_TEXT, pane, row.paneId, 1); break;
            case PaneKind::EditField:
                if (numField)
                    numField(xtWinDialogGroup(), pane, row.paneId, 1, 0, 1000, 0, 0, 24);
                break;
            case PaneKind::None: break;
            }
        });
}

} // namespace

// The pane's state into its windows; the enabling through the host.
void showPane(DlgWindow& window)
{
    View* view = viewOf(&window);
    if (view == nullptr)
        return;
    pushAll(*view);
    HWND hwnd = view->hwnd;
    forEachPaneControl([&](const OptionRow& row) {
        if (row.enabledBy == 0)
            return;
        ControlRef c = getControl(&window, row.paneId);
        controlState(hwnd, row.paneId, c != nullptr && c->enabled ? XT_CTLSTATE_ENABLED : XT_CTLSTATE_DISABLED);
    });
    forEachPaneControl([&](const OptionRow& row) {
        if (row.refreshed)
            controlState(hwnd, row.paneId, XT_CTLSTATE_REFRESH);
    });
}

namespace {

// A check box whose translated label does not fit its rectangle grows to the
// right, up to the next control on its row (the German "scale:" is much
// longer than the English one).
void fitCheckBoxes(HWND pane)
{
    std::vector<HWND> all;
    for (HWND c = GetWindow(pane, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        all.push_back(c);
    RECT client{};
    GetClientRect(pane, &client);
    // The dialog manager has scaled the pane to its DPI; the margins here
    // are 96 DPI pixels.
    const UINT dpi = dpiOf(pane);
    const int gap = scaled(4, dpi);
    for (HWND box : all) {
        if ((GetWindowLongW(box, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX)
            continue;
        RECT r{};
        GetWindowRect(box, &r);
        MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
        std::string label = windowText(box);
        std::wstring wide(label.size() + 1, L'\0');
        int n = MultiByteToWideChar(CP_UTF8, 0, label.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), n > 0 ? n - 1 : 0, &size);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        int needed = size.cx + metricFor(SM_CXMENUCHECK, dpi) + scaled(8, dpi);
        if (needed <= r.right - r.left)
            continue;
        int limit = client.right - gap;
        for (HWND other : all) {
            RECT o{};
            GetWindowRect(other, &o);
            MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&o), 2);
            if (other != box && o.left >= r.right && o.top < r.bottom && o.bottom > r.top && o.left - gap < limit)
                limit = o.left - gap;
        }
        int width = needed < limit - r.left ? needed : limit - r.left;
        if (width > r.right - r.left)
            SetWindowPos(box, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void forget(PaneOf which, bool confirmed)
{
    closePane(confirmed);
    if (which == kPrintPane)
        sPrintPane = nullptr;
}

int32_t paneMessage(xtpanemsgrec* m, PaneOf which)
{
    DialogRef pane = currentPane();
    switch (m->message) {
    case XT_PANE_RESOURCE:
        m->module = ownModule();
        m->resource = kPaneDialogResource;
        break;
    case XT_PANE_SETUP:
        if (pane != nullptr && m->pane != nullptr) {
            bindPane(*pane, static_cast<HWND>(m->pane));
            if (which == kPrintPane)
                sPrintPane = static_cast<HWND>(m->pane);
        }
        setUpControls(m->pane);
        m->answer = 1;
        break;
    case XT_PANE_LOAD:
        if (pane == nullptr)
            break;
        // Making the pane loaded it already; later load messages load again.
        if (sLoaded)
            sLoaded = false;
        else if (which == kStylePane)
            getFolantraRecByStyle(sEditedStyle, getDocRec());
        else
            loadPaneFromDocument();
        setPaneControls(getDocRec());
        showPane(*pane);
        if (View* view = viewOf(pane))
            fitCheckBoxes(view->hwnd);
        break;
    case XT_PANE_CONTROL: {
        m->answer = 0;
        ControlRef c = getControl(pane, m->control);
        View* view = viewOf(pane);
        if (c == nullptr || view == nullptr)
            break;
        controlChanged(*pane, *c, BN_CLICKED);
        if (currentPane() == pane)
            showPane(*pane);
        const OptionRow* row = paneRow(m->control);
        m->answer = row != nullptr && row->action != nullptr ? 1 : 0;
        break;
    }
    case XT_PANE_CONFIRMED:
        forget(which, pane != nullptr);
        break;
    case XT_PANE_FORGET:
        forget(which, false);
        break;
    default:
        m->answer = 0;
        break;
    }
    return 0;
}

int32_t XTAPI doPrintDlg(xtcbheader* rec)
{
    return guardEntry("doPrintDlg", int32_t{0}, [rec] {
        if (rec == nullptr)
            return 0;
        sLoaded = openPrintPane() != nullptr;
        if (!addPaneToHost(reinterpret_cast<xtprintdlgrec*>(rec)->dialog, gPaneCodes[kPrintPane]))
            destroyPane();
        return 0;
    });
}

int32_t XTAPI doOutputStyles(xtcbheader* rec)
{
    return guardEntry("doOutputStyles", int32_t{0}, [rec] {
        if (rec == nullptr)
            return 0;
        auto* r = reinterpret_cast<xtstyleeditrec*>(rec);
        if (openStylePane(r->style) == nullptr)
            return 0;
        sEditedStyle = r->style;
        sLoaded = true;
        if (!addPaneToHost(r->dialog, gPaneCodes[kStylePane]))
            destroyPane();
        return 0;
    });
}

} // namespace

// No exception leaves a callback: the host gets 0 and the pane goes on.
int32_t XTAPI printPaneProc(xtcbheader* rec)
{
    return guardEntry("printPaneProc", int32_t{0}, [rec] {
        return rec != nullptr ? paneMessage(reinterpret_cast<xtpanemsgrec*>(rec), kPrintPane) : 0;
    });
}

int32_t XTAPI stylePaneProc(xtcbheader* rec)
{
    return guardEntry("stylePaneProc", int32_t{0}, [rec] {
        return rec != nullptr ? paneMessage(reinterpret_cast<xtpanemsgrec*>(rec), kStylePane) : 0;
    });
}

void* printPaneWindow() { return sPrintPane; }

void registerPaneCallbacks()
{
    xtRegisterCallback(XT_CB_PRINTDIALOG, doPrintDlg, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITOR, doOutputStyles, kPriority);
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, kPriority);
    if (gPaneCodes[kPrintPane] != 0)
        xtRegisterCallback(gPaneCodes[kPrintPane], printPaneProc, kPriority);
    if (gPaneCodes[kStylePane] != 0)
        xtRegisterCallback(gPaneCodes[kStylePane], stylePaneProc, kPriority);
}

} // namespace wintk

// Every check box and field into the pane's object.
void pane_toolkit::pullControls(DlgWindow& window)
{
    wintk::View* view = wintk::viewOf(&window);
    if (view == nullptr)
        return;
    for (std::size_t i = 0; i < window.controls.size(); ++i)
        wintk::pullControl(*view, i);
}

void pane_toolkit::release(DlgWindow& window) { wintk::unbind(&window); }
