#include "subhost/headless.h"

#include "subhost/host.h"

namespace subhost {

static_assert(kViewDialog == XT_WIN_DIALOG && kViewPane == XT_WIN_PANE, "window kinds as the reports give them");
static_assert(kViewDefault == XT_CTL_DEFAULT, "control flags as the reports give them");

Headless::Headless(Host& host) : mHost(host) {}

const WindowView* Headless::window(int32_t id) const
{
    auto it = mWindows.find(id);
    return it == mWindows.end() ? nullptr : &it->second;
}

const WindowView* Headless::lastDialog(const std::string& name) const
{
    for (auto it = mDialogOrder.rbegin(); it != mDialogOrder.rend(); ++it) {
        const WindowView* w = window(*it);
        if (w != nullptr && w->name == name)
            return w;
    }
    return nullptr;
}

const WindowView* Headless::pane() const
{
    if (mOpen == HostDialog::None || !mPaneAdded)
        return nullptr;
    return window(mPane.window);
}

// ---- the plug-in's windows ----

int32_t Headless::show(const xtwinreport* report)
{
    if (report == nullptr || report->version != XT_HEADLESS_VERSION || report->size < sizeof(xtwinreport))
        return -1;
    bool fresh = mWindows.find(report->window) == mWindows.end();
    WindowView& w = mWindows[report->window];
    w.window = report->window;
    w.kind = report->kind;
    w.name = report->name != nullptr ? report->name : "";
    w.title = report->title != nullptr ? report->title : "";
    w.left = report->left;
    w.top = report->top;
    w.width = report->width;
    w.height = report->height;
    w.controls.clear();
    for (int32_t i = 0; i < report->count && report->controls != nullptr; ++i) {
        const xtctlreport& c = report->controls[i];
        ControlView v;
        v.kind = c.kind;
        v.type = c.type;
        v.id = c.id;
        v.cmd = c.cmd;
        v.value = c.value;
        v.x = c.x;
        v.y = c.y;
        v.w = c.w;
        v.h = c.h;
        v.parent = c.parent;
        v.enabled = c.enabled != 0;
        v.visible = c.visible != 0;
        v.focused = c.focused != 0;
        v.flags = c.flags;
        v.selStart = c.selStart;
        v.selLength = c.selLength;
        v.text = c.text != nullptr ? c.text : "";
        for (int32_t k = 0; k < c.itemCount && c.items != nullptr; ++k)
            v.items.push_back(c.items[k] != nullptr ? c.items[k] : "");
        w.controls.push_back(v);
    }
    ++w.reports;
    if (fresh && w.kind == XT_WIN_DIALOG) {
        w.open = true;
        mDialogOrder.push_back(w.window);
        mUser.say("opened " + describeWindow(w));
    }
    mHost.record("window-report", w.window, w.kind);
    return 0;
}

int32_t Headless::nextAction(int32_t id, xtuseraction* out)
{
    if (out == nullptr)
        return -1;
    // Without an action from the user the dialog is closed.
    mActionText.clear();
    out->action = XT_ACT_NONE;
    out->control = 0;
    out->value = 0;
    out->text = mActionText.c_str();
    mWaiting = id;
    mPending = out;
    mUser.dialogWaits(id);
    mWaiting = 0;
    mPending = nullptr;
    return 0;
}

void Headless::closed(int32_t id, int32_t result)
{
    auto it = mWindows.find(id);
    if (it == mWindows.end())
        return;
    it->second.open = false;
    it->second.result = result;
    mUser.say(dialogEndedText(it->second.name, result));
    mHost.record("window-closed", id, result);
}

int32_t Headless::addPane(xtdialogref dialog, const xtpanedesc* pane)
{
    if (mOpen == HostDialog::None || dialog != mDialog || pane == nullptr || pane->version != XT_HEADLESS_VERSION ||
        pane->size < sizeof(xtpanedesc) || pane->proc == nullptr)
        return -1;
    mPane = *pane;
    mPane.title = nullptr; // the plug-in's text; the report carries the title
    mPaneAdded = true;
    mHost.record("pane-added", dialog, pane->window);
    return 0;
}

int32_t Headless::chooseFolder(const char* start, const char** chosen)
{
    if (chosen == nullptr)
        return 2;
    *chosen = nullptr;
    mFolderRequests.push_back(start != nullptr ? start : "");
    int32_t answer = mUser.chooseFolder(mChosenFolder);
    if (answer == 1)
        *chosen = mChosenFolder.c_str();
    return answer;
}

int32_t Headless::messageBox(const char* title, const char* primary, const char* secondary, int32_t buttons)
{
    int32_t answer = mUser.messageBoxAnswer();
    if (answer != 0) {
        MessageBoxRecord m{title ? title : "", primary ? primary : "", secondary ? secondary : "", buttons, answer};
        mHost.messages().push_back(m);
        mHost.record("msgbox", 0, buttons, answer);
    } else {
        answer = mHost.answerMessageBox(title, primary, secondary, buttons);
    }
    mUser.say(messageBoxText(title ? title : "", primary ? primary : "", secondary ? secondary : "", answer));
    return answer;
}

// ---- the host's dialogs ----

xtdialogref Headless::openPrintDialog()
{
    mDialog = mNextDialog++;
    mOpen = HostDialog::Print;
    mPaneAdded = false;
    xtprintdlgrec rec{};
    rec.hdr = xtcbheader{XT_CB_PRINTDIALOG, sizeof rec};
    rec.dialog = mDialog;
    mUser.hostDialogOpened(true, std::string());
    mHost.call(XT_CB_PRINTDIALOG, &rec.hdr);
    mUser.hostDialogShowsPane(true);
    return mDialog;
}

void Headless::closePrintDialog(bool confirmed)
{
    if (mOpen != HostDialog::Print)
        return;
    xtprintdlgcloserec rec{};
    rec.hdr = xtcbheader{XT_CB_PRINTDIALOGCLOSE, sizeof rec};
    rec.dialog = mDialog;
    rec.result = confirmed ? XT_PRINTDLG_CONFIRMED : XT_PRINTDLG_CANCELLED;
    mHost.call(XT_CB_PRINTDIALOGCLOSE, &rec.hdr);
    mOpen = HostDialog::None;
    mPaneAdded = false;
    mUser.hostDialogClosed(true, confirmed);
}

xtdialogref Headless::openStyleEditor(xtstyleref style)
{
    mDialog = mNextDialog++;
    mOpen = HostDialog::StyleEditor;
    mEditedStyle = style;
    mPaneAdded = false;
    xtstyleeditrec rec{};
    rec.hdr = xtcbheader{XT_CB_STYLEEDITOR, sizeof rec};
    rec.style = style;
    rec.dialog = mDialog;
    const OutputStyle* s = mHost.style(style);
    mUser.hostDialogOpened(false, s ? s->name : std::string("?"));
    mHost.call(XT_CB_STYLEEDITOR, &rec.hdr);
    mUser.hostDialogShowsPane(false);
    return mDialog;
}

void Headless::closeStyleEditor(bool confirmed)
{
    if (mOpen != HostDialog::StyleEditor)
        return;
    xtstyleeditcloserec rec{};
    rec.hdr = xtcbheader{XT_CB_STYLEEDITORCLOSE, sizeof rec};
    rec.style = mEditedStyle;
    rec.dialog = mDialog;
    rec.cancelled = confirmed ? 0 : 1;
    mHost.call(XT_CB_STYLEEDITORCLOSE, &rec.hdr);
    mOpen = HostDialog::None;
    mPaneAdded = false;
    mUser.hostDialogClosed(false, confirmed);
}

// ---- the scripted user's hands ----

bool Headless::act(int32_t window, int32_t action, int control, int value, const std::string& text)
{
    if (mPending != nullptr && window == mWaiting) {
        // The dialog that waits takes the action as its answer.
        mActionText = text;
        mPending->action = action;
        mPending->control = control;
        mPending->value = value;
        mPending->text = mActionText.c_str();
        mHost.record("user-action", window, action, control);
        return true;
    }
    if (pane() == nullptr || window != mPane.window || action == XT_ACT_RETURN || action == XT_ACT_ESCAPE ||
        action == XT_ACT_CLOSE)
        return false;
    xtuseraction a{};
    a.version = XT_HEADLESS_VERSION;
    a.size = sizeof a;
    a.action = action;
    a.control = control;
    a.value = value;
    mActionText = text;
    a.text = mActionText.c_str();
    mHost.record("user-action", mPane.window, a.action, a.control);
    return mPane.proc(mPane.paneData, &a) == 1;
}

bool Headless::click(int32_t window, int control) { return act(window, XT_ACT_CLICK, control, 0, std::string()); }

bool Headless::type(int32_t window, int control, const std::string& text)
{
    return act(window, XT_ACT_TYPE, control, 0, text);
}

bool Headless::choose(int32_t window, int control, int item)
{
    return act(window, XT_ACT_CHOOSE, control, item, std::string());
}

bool Headless::press(int32_t window, Key key)
{
    switch (key) {
    case Key::Return: return act(window, XT_ACT_RETURN, 0, 0, std::string());
    case Key::Escape: return act(window, XT_ACT_ESCAPE, 0, 0, std::string());
    case Key::Tab: return act(window, XT_ACT_TAB, 0, 1, std::string());
    case Key::BackTab: return act(window, XT_ACT_TAB, 0, -1, std::string());
    }
    return false;
}

bool Headless::close(int32_t window) { return act(window, XT_ACT_CLOSE, 0, 0, std::string()); }

bool Headless::hasOutputStyle(const std::string& name) const
{
    for (const OutputStyle& s : mHost.styles())
        if (s.name == name)
            return true;
    return false;
}

void Headless::chooseOutputStyle(const std::string& name)
{
    // The last style of that name, as the host's menu finds it.
    xtstyleref ref = 0;
    for (std::size_t i = 0; i < mHost.styles().size(); ++i)
        if (mHost.styles()[i].name == name)
            ref = static_cast<xtstyleref>(i + 1);
    if (ref != 0)
        mHost.chooseStyle(ref);
}

bool Headless::runPrintDialog()
{
    openPrintDialog();
    bool confirmed = mUser.runHostDialog("print dialog", true);
    closePrintDialog(confirmed);
    return confirmed;
}

bool Headless::runStyleEditor(xtstyleref style)
{
    openStyleEditor(style);
    bool confirmed = mUser.runHostDialog("style editor", false);
    closeStyleEditor(confirmed);
    return confirmed;
}

} // namespace subhost
