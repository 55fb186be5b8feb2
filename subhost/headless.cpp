#include "subhost/headless.h"

#include "subhost/host.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

namespace subhost {

namespace {

std::string codeText(uint32_t code)
{
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((code >> shift) & 0xFF);
        s += (c >= 0x20 && c < 0x7F) ? c : '.';
    }
    return s;
}

// A control's kind as the user calls it.
std::string kindWord(uint32_t type)
{
    static const std::pair<uint32_t, const char*> words[] = {
        {XT_FOURCC('p', 'u', 's', 'h'), "button"},      {XT_FOURCC('c', 'b', 'o', 'x'), "check box"},
        {XT_FOURCC('r', 'd', 'i', 'o'), "radio button"}, {XT_FOURCC('e', 'u', 't', 'x'), "field"},
        {XT_FOURCC('s', 't', 'x', 't'), "label"},        {XT_FOURCC('p', 'o', 'p', 'b'), "popup menu"},
        {XT_FOURCC('c', 'o', 'm', 'b'), "combo box"},    {XT_FOURCC('l', 'b', 'o', 'x'), "list"},
        {XT_FOURCC('t', 'a', 'b', 's'), "tabs"},         {XT_FOURCC('g', 'r', 'p', 'b'), "group box"},
        {XT_FOURCC('r', 'a', 'd', 'g'), "radio group"},  {XT_FOURCC('p', 'r', 'g', 'b'), "progress bar"},
    };
    for (const auto& [code, word] : words)
        if (code == type)
            return word;
    return codeText(type);
}

// A label as the user reads it: without the "&" of a keyboard shortcut, a
// trailing ":" or ellipsis, surrounding blanks and case.
std::string labelKey(const std::string& text)
{
    std::string s;
    for (char c : text)
        if (c != '&')
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const char* tail : {":", "\xE2\x80\xA6", "...", " ", "\t"}) {
            std::size_t n = std::strlen(tail);
            if (s.size() >= n && s.compare(s.size() - n, n, tail) == 0) {
                s.resize(s.size() - n);
                trimmed = true;
            }
        }
    }
    std::size_t first = s.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// The control as the script names it: its id, or its label in quotes.
std::string target(const ScriptStep& s) { return s.label.empty() ? std::to_string(s.control) : quoted(s.label); }

std::string stepText(const ScriptStep& s)
{
    using K = ScriptStep::Kind;
    switch (s.kind) {
    case K::Type: return "type " + target(s) + " " + quoted(s.text);
    case K::Click: return "click " + target(s);
    case K::Choose: return "choose " + target(s) + " " + std::to_string(s.value);
    case K::Return: return "return";
    case K::Escape: return "escape";
    case K::Close: return "close";
    case K::Tab: return "tab";
    case K::BackTab: return "backtab";
    case K::Folder: return "folder " + quoted(s.text);
    case K::FolderCancel: return "folder-cancel";
    case K::MsgOk: return "msgbox ok";
    case K::MsgClose: return "msgbox close";
    case K::Ok: return "ok";
    case K::Cancel: return "cancel";
    case K::Style: return "style " + quoted(s.text);
    case K::Show: return "show";
    }
    return "?";
}

// ---- reading scripts ----

struct LineReader {
    const std::string& file;
    int line;
    std::string rest;

    [[noreturn]] void fault(const std::string& what) const
    {
        throw ScriptError(file + ":" + std::to_string(line) + ": " + what);
    }

    void skipBlanks()
    {
        std::size_t i = rest.find_first_not_of(" \t");
        rest = i == std::string::npos ? std::string() : rest.substr(i);
    }

    std::string word()
    {
        skipBlanks();
        std::size_t end = rest.find_first_of(" \t");
        std::string w = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : rest.substr(end);
        return w;
    }

    // A control: its id, or its label as a "quoted" text.
    void control(ScriptStep& s)
    {
        skipBlanks();
        if (!rest.empty() && rest[0] == '"') {
            s.label = quotedText();
            if (s.label.empty())
                fault("expected a control's id or label, not an empty label");
        } else {
            s.control = number("a control id or a \"label\"");
        }
    }

    int number(const char* what)
    {
        std::string w = word();
        if (w.empty())
            fault(std::string("expected ") + what);
        try {
            std::size_t used = 0;
            int v = std::stoi(w, &used);
            if (used != w.size())
                throw std::invalid_argument(w);
            return v;
        } catch (const std::exception&) {
            fault(std::string("expected ") + what + ", not " + w);
        }
    }

    // The rest of the line: a "quoted" text (with \" and \\) or the words as
    // they stand, trailing blanks dropped.
    std::string text(const char* what)
    {
        skipBlanks();
        if (rest.empty())
            fault(std::string("expected ") + what);
        if (rest[0] != '"') {
            std::size_t end = rest.find_last_not_of(" \t");
            return rest.substr(0, end + 1);
        }
        std::string out = quotedText();
        end();
        return out;
    }

    // A "quoted" text at the start of the rest, which moves past it.
    std::string quotedText()
    {
        std::string out;
        std::size_t i = 1;
        for (; i < rest.size() && rest[i] != '"'; ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size())
                ++i;
            out += rest[i];
        }
        if (i >= rest.size())
            fault("the quoted text has no closing quote");
        rest = rest.substr(i + 1);
        return out;
    }

    void end()
    {
        skipBlanks();
        if (!rest.empty())
            fault("unexpected \"" + rest + "\" at the end of the line");
    }
};

Headless& headlessOf(const xtgroup* g) { return static_cast<Host*>(g->host)->headless(); }

int32_t XTAPI entryMsgBox(const xtgroup* g, const char* title, const char* primary, const char* secondary,
                          int32_t buttons)
{
    return headlessOf(g).messageBox(title, primary, secondary, buttons);
}

int32_t XTAPI entryShow(const xtgroup* g, const xtwinreport* report) { return headlessOf(g).show(report); }

int32_t XTAPI entryNextAction(const xtgroup* g, int32_t window, xtuseraction* out)
{
    return headlessOf(g).nextAction(window, out);
}

void XTAPI entryClosed(const xtgroup* g, int32_t window, int32_t result) { headlessOf(g).closed(window, result); }

int32_t XTAPI entryAddPane(const xtgroup* g, xtdialogref dialog, const xtpanedesc* pane)
{
    return headlessOf(g).addPane(dialog, pane);
}

int32_t XTAPI entryChooseFolder(const xtgroup* g, const char* start, const char** chosen)
{
    return headlessOf(g).chooseFolder(start, chosen);
}

template <class F> xtproc asProc(F f) { return reinterpret_cast<xtproc>(f); }

} // namespace

std::vector<ScriptStep> parseScript(const std::string& text, const std::string& fileName)
{
    using K = ScriptStep::Kind;
    std::vector<ScriptStep> steps;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        LineReader r{fileName, line, raw};
        r.skipBlanks();
        if (r.rest.empty() || r.rest[0] == '#')
            continue;
        ScriptStep s;
        s.line = line;
        std::string command = r.word();
        if (command == "type") {
            s.kind = K::Type;
            r.control(s);
            s.text = r.text("a text (\"\" for none)");
        } else if (command == "click") {
            s.kind = K::Click;
            r.control(s);
            r.end();
        } else if (command == "choose") {
            s.kind = K::Choose;
            r.control(s);
            s.value = r.number("an item number");
            r.end();
        } else if (command == "folder") {
            s.kind = K::Folder;
            s.text = r.text("a folder path");
        } else if (command == "style") {
            s.kind = K::Style;
            s.text = r.text("an output style's name");
        } else if (command == "msgbox") {
            std::string answer = r.word();
            if (answer == "ok")
                s.kind = K::MsgOk;
            else if (answer == "close")
                s.kind = K::MsgClose;
            else
                r.fault("msgbox: expected ok or close");
            r.end();
        } else {
            const std::pair<const char*, K> plain[] = {
                {"return", K::Return}, {"escape", K::Escape}, {"close", K::Close},
                {"tab", K::Tab},       {"backtab", K::BackTab}, {"folder-cancel", K::FolderCancel},
                {"ok", K::Ok},         {"cancel", K::Cancel}, {"show", K::Show}};
            bool known = false;
            for (const auto& [name, kind] : plain)
                if (command == name) {
                    s.kind = kind;
                    known = true;
                }
            if (!known)
                r.fault("unknown step \"" + command + "\"");
            r.end();
        }
        steps.push_back(s);
    }
    return steps;
}

std::vector<ScriptStep> loadScript(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw ScriptError(file + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return parseScript(text.str(), file);
}

std::string ControlView::selectedText() const
{
    if (selStart < 0 || selLength <= 0 || static_cast<std::size_t>(selStart) > text.size())
        return std::string();
    return text.substr(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selLength));
}

const ControlView* WindowView::control(int id) const
{
    for (const ControlView& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

std::string describeWindow(const WindowView& w)
{
    std::ostringstream out;
    if (w.kind == XT_WIN_PANE)
        out << "pane \"" << w.title << "\", " << w.width << " x " << w.height << " dialog units\n";
    else
        out << "dialog \"" << w.name << "\" titled \"" << w.title << "\", " << w.width << " x " << w.height
            << " at " << w.left << "," << w.top << "\n";
    for (const ControlView& c : w.controls) {
        if (c.kind == XT_FOURCC('u', 'p', 'a', 'n') || c.kind == XT_FOURCC('s', 'e', 'p', 'a'))
            continue;
        out << "  " << kindWord(c.type) << " " << (c.id > 0 ? std::to_string(c.id) : std::string("-"));
        out << "\t" << quoted(c.text);
        if (c.type == XT_FOURCC('c', 'b', 'o', 'x') || c.type == XT_FOURCC('r', 'd', 'i', 'o'))
            out << (c.value == 1 ? " [on]" : " [off]");
        if (!c.enabled)
            out << " [disabled]";
        if (!c.visible)
            out << " [hidden]";
        if (c.flags & XT_CTL_DEFAULT)
            out << " [default]";
        if (c.focused)
            out << " [focus]";
        if (c.selLength > 0)
            out << " [selected " << quoted(c.selectedText()) << "]";
        out << "\n";
    }
    return out.str();
}

Headless::Headless(Host& host) : mHost(host) {}

void Headless::setScript(std::vector<ScriptStep> steps) { mSteps.assign(steps.begin(), steps.end()); }

void Headless::add(const std::string& lines)
{
    for (const ScriptStep& s : parseScript(lines, "script"))
        mSteps.push_back(s);
}

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

void Headless::say(const std::string& text)
{
    if (mLog != nullptr)
        *mLog << text << (text.empty() || text.back() != '\n' ? "\n" : "");
}

void Headless::fail(const ScriptStep* step, const std::string& message)
{
    std::string text = step != nullptr ? "script line " + std::to_string(step->line) + ": " + message : message;
    mErrors.push_back(text);
    say("error: " + text + "; the rest of the script is dropped");
    mSteps.clear();
}

bool Headless::controlUsable(const WindowView& w, ScriptStep& step)
{
    std::string where = w.kind == XT_WIN_PANE ? "the pane" : "the dialog \"" + w.name + "\"";
    if (!step.label.empty()) {
        // The control whose text is the label; a label of its own (a static
        // text) names the control that follows it, as "Title:" names its field.
        // A label matches in full, or as the unique beginning of one (up to a
        // blank): "Start Acrobat Distiller" for the whole check box text.
        const std::string key = labelKey(step.label);
        std::vector<const ControlView*> exact, starts;
        for (std::size_t i = 0; i < w.controls.size(); ++i) {
            const ControlView& c = w.controls[i];
            if (c.kind == XT_FOURCC('e', 'u', 't', 'x') || key.empty())
                continue;
            const std::string text = labelKey(c.text);
            bool full = text == key;
            bool start = !full && text.size() > key.size() && text.compare(0, key.size(), key) == 0 &&
                         text[key.size()] == ' ';
            if (!full && !start)
                continue;
            const ControlView* target = &c;
            if (c.kind == XT_FOURCC('s', 't', 'x', 't')) {
                target = nullptr;
                for (std::size_t k = i + 1; k < w.controls.size() && target == nullptr; ++k)
                    if (w.controls[k].kind != XT_FOURCC('s', 't', 'x', 't') && w.controls[k].id > 0)
                        target = &w.controls[k];
            }
            if (target != nullptr && target->id > 0)
                (full ? exact : starts).push_back(target);
        }
        const std::vector<const ControlView*>& found = exact.empty() ? starts : exact;
        if (found.empty()) {
            fail(&step, stepText(step) + ": " + where + " has no control labelled " + quoted(step.label));
            return false;
        }
        if (found.size() > 1) {
            fail(&step, stepText(step) + ": " + quoted(step.label) + " names several controls of " + where +
                            " (" + std::to_string(found[0]->id) + " and " + std::to_string(found[1]->id) +
                            "): give more of the label or the id");
            return false;
        }
        step.control = found.front()->id;
    }
    const ControlView* c = w.control(step.control);
    if (c == nullptr) {
        fail(&step, stepText(step) + ": " + where + " has no control " + std::to_string(step.control));
        return false;
    }
    if (!c->enabled || !c->visible) {
        fail(&step, stepText(step) + ": control " + std::to_string(step.control) + " of " + where + " is " +
                        (c->visible ? "disabled" : "hidden"));
        return false;
    }
    return true;
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
        say("opened " + describeWindow(w));
    }
    mHost.record("window-report", w.window, w.kind);
    return 0;
}

int32_t Headless::nextAction(int32_t id, xtuseraction* out)
{
    if (out == nullptr)
        return -1;
    using K = ScriptStep::Kind;
    const WindowView* w = window(id);
    std::string name = w != nullptr ? w->name : "?";
    mActionText.clear();
    out->action = XT_ACT_NONE;
    out->control = 0;
    out->value = 0;
    out->text = mActionText.c_str();
    for (;;) {
        if (mSteps.empty()) {
            say("(no more steps: the dialog \"" + name + "\" is closed)");
            return 0;
        }
        ScriptStep s = mSteps.front();
        switch (s.kind) {
        case K::Show:
            mSteps.pop_front();
            if (w != nullptr)
                say(describeWindow(*w));
            continue;
        case K::Type:
        case K::Click:
        case K::Choose:
            if (w == nullptr || !controlUsable(*w, s))
                return 0;
            out->action = s.kind == K::Type ? XT_ACT_TYPE : s.kind == K::Click ? XT_ACT_CLICK : XT_ACT_CHOOSE;
            out->control = s.control;
            out->value = s.value;
            mActionText = s.text;
            out->text = mActionText.c_str();
            break;
        case K::Return: out->action = XT_ACT_RETURN; break;
        case K::Escape: out->action = XT_ACT_ESCAPE; break;
        case K::Close: out->action = XT_ACT_CLOSE; break;
        case K::Tab:
        case K::BackTab:
            out->action = XT_ACT_TAB;
            out->value = s.kind == K::Tab ? 1 : -1;
            break;
        default:
            fail(&s, "\"" + stepText(s) + "\" while the dialog \"" + name + "\" is open");
            return 0;
        }
        mSteps.pop_front();
        say("> " + stepText(s));
        mHost.record("user-action", id, out->action, out->control);
        return 0;
    }
}

void Headless::closed(int32_t id, int32_t result)
{
    auto it = mWindows.find(id);
    if (it == mWindows.end())
        return;
    it->second.open = false;
    it->second.result = result;
    say("dialog \"" + it->second.name + "\" ended with " + std::to_string(result) +
        (result == 1 ? " (OK)" : result == 2 ? " (Cancel or closed)" : ""));
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
    if (mSteps.empty()) {
        say("(no more steps: the folder chooser is cancelled)");
        return 2;
    }
    ScriptStep s = mSteps.front();
    if (s.kind == ScriptStep::Kind::FolderCancel) {
        mSteps.pop_front();
        say("> folder-cancel");
        return 2;
    }
    if (s.kind != ScriptStep::Kind::Folder) {
        fail(&s, "the folder chooser is open, but the script says \"" + stepText(s) + "\"");
        return 2;
    }
    mSteps.pop_front();
    mChosenFolder = s.text;
    *chosen = mChosenFolder.c_str();
    say("> " + stepText(s));
    return 1;
}

int32_t Headless::messageBox(const char* title, const char* primary, const char* secondary, int32_t buttons)
{
    int32_t answer = 0;
    if (!mSteps.empty() && (mSteps.front().kind == ScriptStep::Kind::MsgOk ||
                            mSteps.front().kind == ScriptStep::Kind::MsgClose)) {
        answer = mSteps.front().kind == ScriptStep::Kind::MsgOk ? 1 : 2;
        mSteps.pop_front();
        MessageBoxRecord m{title ? title : "", primary ? primary : "", secondary ? secondary : "", buttons, answer};
        mHost.messages().push_back(m);
        mHost.record("msgbox", 0, buttons, answer);
    } else {
        answer = mHost.answerMessageBox(title, primary, secondary, buttons);
    }
    std::string text = "message box [" + std::string(title ? title : "") + "]: " + (primary ? primary : "");
    if (secondary != nullptr && secondary[0] != '\0')
        text += " / " + std::string(secondary);
    say(text + "  -> " + (answer == 1 ? "OK" : "closed"));
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
    say("print dialog opened");
    mHost.call(XT_CB_PRINTDIALOG, &rec.hdr);
    if (const WindowView* p = pane())
        say("with " + describeWindow(*p));
    else
        say("(no pane in the print dialog)");
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
    say(confirmed ? "print dialog confirmed" : "print dialog cancelled");
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
    say("output-style editor opened on \"" + (s ? s->name : std::string("?")) + "\"");
    mHost.call(XT_CB_STYLEEDITOR, &rec.hdr);
    if (const WindowView* p = pane())
        say("with " + describeWindow(*p));
    else
        say("(no pane in the style editor)");
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
    say(confirmed ? "output-style editor confirmed" : "output-style editor cancelled");
}

bool Headless::actOnPane(const ScriptStep& given)
{
    ScriptStep step = given; // a label is resolved into the control's id
    using K = ScriptStep::Kind;
    const WindowView* p = pane();
    if (p == nullptr) {
        fail(&step, "\"" + stepText(step) + "\": the host's dialog shows no pane");
        return false;
    }
    xtuseraction a{};
    a.version = XT_HEADLESS_VERSION;
    a.size = sizeof a;
    switch (step.kind) {
    case K::Type:
    case K::Click:
    case K::Choose:
        if (!controlUsable(*p, step))
            return false;
        a.action = step.kind == K::Type ? XT_ACT_TYPE : step.kind == K::Click ? XT_ACT_CLICK : XT_ACT_CHOOSE;
        a.control = step.control;
        a.value = step.value;
        break;
    case K::Tab:
    case K::BackTab:
        a.action = XT_ACT_TAB;
        a.value = step.kind == K::Tab ? 1 : -1;
        break;
    default:
        fail(&step, "\"" + stepText(step) + "\" is no action on the pane");
        return false;
    }
    mActionText = step.text;
    a.text = mActionText.c_str();
    say("> " + stepText(step));
    mHost.record("user-action", mPane.window, a.action, a.control);
    if (mPane.proc(mPane.paneData, &a) != 1) {
        fail(&step, "\"" + stepText(step) + "\" does not apply to the pane");
        return false;
    }
    return true;
}

bool Headless::runHostDialog(const char* what)
{
    using K = ScriptStep::Kind;
    for (;;) {
        if (mSteps.empty()) {
            say(std::string("(the script ends: the ") + what + " is cancelled)");
            return false;
        }
        ScriptStep s = mSteps.front();
        mSteps.pop_front();
        switch (s.kind) {
        case K::Ok:
        case K::Return:
            say("> " + stepText(s));
            return true;
        case K::Cancel:
        case K::Escape:
        case K::Close:
            say("> " + stepText(s));
            return false;
        case K::Style: {
            if (mOpen != HostDialog::Print) {
                fail(&s, "\"" + stepText(s) + "\": only the print dialog chooses an output style");
                return false;
            }
            xtstyleref ref = 0;
            for (std::size_t i = 0; i < mHost.styles().size(); ++i)
                if (mHost.styles()[i].name == s.text)
                    ref = static_cast<xtstyleref>(i + 1);
            if (ref == 0) {
                fail(&s, "there is no output style named " + quoted(s.text));
                return false;
            }
            say("> " + stepText(s));
            mHost.chooseStyle(ref);
            continue;
        }
        case K::Show:
            if (const WindowView* p = pane())
                say(describeWindow(*p));
            else
                say(std::string("(the ") + what + " shows no pane)");
            continue;
        case K::Type:
        case K::Click:
        case K::Choose:
        case K::Tab:
        case K::BackTab:
            if (!actOnPane(s))
                return false;
            continue;
        default:
            fail(&s, "\"" + stepText(s) + "\": no folder chooser or message box is open");
            return false;
        }
    }
}

bool Headless::runPrintDialog()
{
    openPrintDialog();
    bool confirmed = runHostDialog("print dialog");
    closePrintDialog(confirmed);
    return confirmed;
}

bool Headless::runStyleEditor(xtstyleref style)
{
    openStyleEditor(style);
    bool confirmed = runHostDialog("style editor");
    closeStyleEditor(confirmed);
    return confirmed;
}

void installHeadlessEntries(xtproc* entries, std::size_t count)
{
    if (count < XT_HEADLESS_COUNT)
        return;
    entries[XT_HEADLESS_MSGBOX] = asProc(entryMsgBox);
    entries[XT_HEADLESS_SHOW] = asProc(entryShow);
    entries[XT_HEADLESS_NEXTACTION] = asProc(entryNextAction);
    entries[XT_HEADLESS_CLOSED] = asProc(entryClosed);
    entries[XT_HEADLESS_ADDPANE] = asProc(entryAddPane);
    entries[XT_HEADLESS_CHOOSEFOLDER] = asProc(entryChooseFolder);
}

} // namespace subhost
