// The headless toolkit (Linux): the host's headless window system. Every
// window is reported to the host when it opens and after each action; the
// host answers with the user's next action. Its controls are no native ones:
// applyUserAction plays their part and hands a changed control to
// controlChanged, as a native toolkit does.
#include "ui/dialogs.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "ui/toolkit.h"

#include <string>
#include <vector>

namespace {

constexpr int kScreenWidth = 1280, kScreenHeight = 1024;

template <class F> F headlessEntry(uint32_t n)
{
    const xtgroup* g = xtHeadlessGroup();
    if (g == nullptr || g->entries == nullptr || n >= g->count)
        return nullptr;
    return reinterpret_cast<F>(g->entries[n]);
}

// The report of one window; what it points to lives as long as this object.
struct Report {
    std::vector<xtctlreport> controls;
    std::vector<std::vector<const char*>> items;
    std::vector<std::string> texts;
    xtwinreport rec{};
};

void fillReport(const DlgWindow& w, Report& r)
{
    std::size_t n = w.controls.size();
    r.controls.assign(n, xtctlreport{});
    r.items.assign(n, {});
    r.texts.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        const DlgControl& c = w.controls[i];
        xtctlreport& o = r.controls[i];
        o.kind = c.kind;
        o.type = c.type;
        o.id = c.id;
        o.cmd = c.cmd;
        o.value = c.value;
        // Positions are in the window's client area: add the containers'.
        DlgRect at = c.rect;
        for (int p = c.parent; p >= 0; p = w.controls[static_cast<std::size_t>(p)].parent) {
            at.x += w.controls[static_cast<std::size_t>(p)].rect.x;
            at.y += w.controls[static_cast<std::size_t>(p)].rect.y;
        }
        o.x = at.x;
        o.y = at.y;
        o.w = at.w;
        o.h = at.h;
        o.parent = c.parent;
        o.enabled = c.enabled ? 1 : 0;
        o.visible = c.visible ? 1 : 0;
        o.focused = static_cast<int>(i) == w.focus ? 1 : 0;
        o.flags = static_cast<uint8_t>((c.isDefault ? XT_CTL_DEFAULT : 0) | (c.tabStop ? XT_CTL_TABSTOP : 0) |
                                       (c.password ? XT_CTL_PASSWORD : 0) | (c.multiLine ? XT_CTL_MULTILINE : 0) |
                                       (c.readOnly ? XT_CTL_READONLY : 0));
        o.selStart = c.selStart;
        o.selLength = c.selLength;
        // A popup shows its selected item.
        if (c.kind == kKindPopup)
            r.texts[i] = c.value > 0 && static_cast<std::size_t>(c.value) <= c.items.size()
                             ? c.items[static_cast<std::size_t>(c.value - 1)]
                             : std::string();
        else
            r.texts[i] = c.text;
        o.text = r.texts[i].c_str();
        for (const std::string& item : c.items)
            r.items[i].push_back(item.c_str());
        o.itemCount = static_cast<int32_t>(c.items.size());
        o.items = c.items.empty() ? nullptr : r.items[i].data();
    }
    r.rec.version = XT_HEADLESS_VERSION;
    r.rec.size = sizeof r.rec;
    r.rec.window = w.window;
    r.rec.kind = w.pane ? XT_WIN_PANE : XT_WIN_DIALOG;
    r.rec.name = w.name.c_str();
    r.rec.title = w.title.c_str();
    r.rec.left = w.pane ? 0 : w.frame.x;
    r.rec.top = w.pane ? 0 : w.frame.y;
    r.rec.width = w.clientWidth;
    r.rec.height = w.clientHeight;
    r.rec.count = static_cast<int32_t>(n);
    r.rec.controls = r.controls.empty() ? nullptr : r.controls.data();
}

void report(const DlgWindow& w)
{
    auto show = headlessEntry<xt_headless_show_fn>(XT_HEADLESS_SHOW);
    if (show == nullptr)
        return;
    Report r;
    fillReport(w, r);
    show(xtHeadlessGroup(), &r.rec);
}

UserAction toAction(const xtuseraction& a)
{
    UserAction u;
    switch (a.action) {
    case XT_ACT_TYPE: u.kind = UserActionKind::Type; break;
    case XT_ACT_CLICK: u.kind = UserActionKind::Click; break;
    case XT_ACT_CHOOSE: u.kind = UserActionKind::Choose; break;
    case XT_ACT_RETURN: u.kind = UserActionKind::Return; break;
    case XT_ACT_ESCAPE: u.kind = UserActionKind::Escape; break;
    case XT_ACT_CLOSE: u.kind = UserActionKind::Close; break;
    case XT_ACT_TAB: u.kind = UserActionKind::Tab; break;
    default: u.kind = UserActionKind::None; break;
    }
    u.control = a.control;
    u.value = a.value;
    if (a.text != nullptr)
        u.text = a.text;
    return u;
}

// The host hands the pane each action of the user on its controls. An
// exception inside answers 0, as for an action that does not apply.
int32_t XTAPI paneProc(void* paneData, const xtuseraction* action) noexcept
{
    return guardEntry("paneProc", int32_t{0}, [paneData, action] {
        if (paneData == nullptr || action == nullptr)
            return int32_t{0};
        DlgWindow& pane = *static_cast<DlgWindow*>(paneData);
        bool done = applyUserAction(pane, toAction(*action));
        report(pane);
        return int32_t{done ? 1 : 0};
    });
}

} // namespace

namespace dialog_toolkit {

bool available()
{
    return headlessEntry<xt_headless_show_fn>(XT_HEADLESS_SHOW) != nullptr &&
           headlessEntry<xt_headless_nextaction_fn>(XT_HEADLESS_NEXTACTION) != nullptr &&
           headlessEntry<xt_headless_closed_fn>(XT_HEADLESS_CLOSED) != nullptr;
}

void screenSize(int* width, int* height)
{
    *width = kScreenWidth;
    *height = kScreenHeight;
}

FrameInsets frameInsets() { return FrameInsets{}; }

int runModal(DlgWindow& w)
{
    auto next = headlessEntry<xt_headless_nextaction_fn>(XT_HEADLESS_NEXTACTION);
    auto closed = headlessEntry<xt_headless_closed_fn>(XT_HEADLESS_CLOSED);
    if (!available())
        return 0;
    report(w);
    while (!w.done) {
        xtuseraction a{};
        a.version = XT_HEADLESS_VERSION;
        a.size = sizeof a;
        UserAction u;
        if (next(xtHeadlessGroup(), w.window, &a) == 0)
            u = toAction(a);
        // The user is gone: the window is closed.
        if (u.kind == UserActionKind::None)
            u.kind = UserActionKind::Close;
        applyUserAction(w, u);
        if (!w.done)
            report(w);
    }
    closed(xtHeadlessGroup(), w.window, w.result);
    return w.result;
}

void update(DlgWindow& window) { report(window); }

bool addPane(std::int32_t hostDialog, DlgWindow& pane)
{
    auto add = headlessEntry<xt_headless_addpane_fn>(XT_HEADLESS_ADDPANE);
    if (add == nullptr)
        return false;
    xtpanedesc d{};
    d.version = XT_HEADLESS_VERSION;
    d.size = sizeof d;
    d.window = pane.window;
    d.title = pane.title.c_str();
    d.proc = paneProc;
    d.paneData = &pane;
    if (add(xtHeadlessGroup(), hostDialog, &d) != 0)
        return false;
    report(pane);
    return true;
}

int chooseFolder(const char* start, std::string& chosen)
{
    auto choose = headlessEntry<xt_headless_choosefolder_fn>(XT_HEADLESS_CHOOSEFOLDER);
    if (choose == nullptr)
        return 0;
    const char* path = nullptr;
    int32_t r = choose(xtHeadlessGroup(), start, &path);
    if (r == 1 && path != nullptr) {
        chosen = path;
        return 1;
    }
    return 2;
}

} // namespace dialog_toolkit
