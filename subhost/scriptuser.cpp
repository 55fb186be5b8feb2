#include "subhost/scriptuser.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace subhost {

namespace {

constexpr std::uint32_t fourCC(char a, char b, char c, char d)
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}

std::string codeText(std::uint32_t code)
{
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((code >> shift) & 0xFF);
        s += (c >= 0x20 && c < 0x7F) ? c : '.';
    }
    return s;
}

// A control's kind as the user calls it.
std::string kindWord(std::uint32_t type)
{
    static const std::pair<std::uint32_t, const char*> words[] = {
        {fourCC('p', 'u', 's', 'h'), "button"},      {fourCC('c', 'b', 'o', 'x'), "check box"},
        {fourCC('r', 'd', 'i', 'o'), "radio button"}, {fourCC('e', 'u', 't', 'x'), "field"},
        {fourCC('s', 't', 'x', 't'), "label"},        {fourCC('p', 'o', 'p', 'b'), "popup menu"},
        {fourCC('c', 'o', 'm', 'b'), "combo box"},    {fourCC('l', 'b', 'o', 'x'), "list"},
        {fourCC('t', 'a', 'b', 's'), "tabs"},         {fourCC('g', 'r', 'p', 'b'), "group box"},
        {fourCC('r', 'a', 'd', 'g'), "radio group"},  {fourCC('p', 'r', 'g', 'b'), "progress bar"},
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

} // namespace

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

namespace {
// The control as the script names it: its id, or its label in quotes.
std::string target(const ScriptStep& s) { return s.label.empty() ? std::to_string(s.control) : subhost::quoted(s.label); }
} // namespace

std::string stepText(const ScriptStep& s)
{
    using K = ScriptStep::Kind;
    switch (s.kind) {
    case K::Type: return "type " + target(s) + " " + subhost::quoted(s.text);
    case K::Click: return "click " + target(s);
    case K::Choose: return "choose " + target(s) + " " + std::to_string(s.value);
    case K::Return: return "return";
    case K::Escape: return "escape";
    case K::Close: return "close";
    case K::Tab: return "tab";
    case K::BackTab: return "backtab";
    case K::Folder: return "folder " + subhost::quoted(s.text);
    case K::FolderCancel: return "folder-cancel";
    case K::MsgOk: return "msgbox ok";
    case K::MsgClose: return "msgbox close";
    case K::Ok: return "ok";
    case K::Cancel: return "cancel";
    case K::Style: return "style " + subhost::quoted(s.text);
    case K::Show: return "show";
    }
    return "?";
}

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
    std::ifstream in(std::filesystem::u8path(file), std::ios::binary);
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
    if (w.kind == kViewPane)
        out << "pane \"" << w.title << "\", " << w.width << " x " << w.height << " " << w.sizeUnit << "\n";
    else
        out << "dialog \"" << w.name << "\" titled \"" << w.title << "\", " << w.width << " x " << w.height
            << " at " << w.left << "," << w.top << "\n";
    for (const ControlView& c : w.controls) {
        if (c.kind == fourCC('u', 'p', 'a', 'n') || c.kind == fourCC('s', 'e', 'p', 'a'))
            continue;
        out << "  " << kindWord(c.type) << " " << (c.id > 0 ? std::to_string(c.id) : std::string("-"));
        out << "\t" << subhost::quoted(c.text);
        if (c.type == fourCC('c', 'b', 'o', 'x') || c.type == fourCC('r', 'd', 'i', 'o'))
            out << (c.value == 1 ? " [on]" : " [off]");
        if (!c.enabled)
            out << " [disabled]";
        if (!c.visible)
            out << " [hidden]";
        if (c.flags & kViewDefault)
            out << " [default]";
        if (c.focused)
            out << " [focus]";
        if (c.selLength > 0)
            out << " [selected " << subhost::quoted(c.selectedText()) << "]";
        out << "\n";
    }
    return out.str();
}

std::string dialogEndedText(const std::string& name, int result)
{
    return "dialog \"" + name + "\" ended with " + std::to_string(result) +
           (result == 1 ? " (OK)" : result == 2 ? " (Cancel or closed)" : "");
}

std::string messageBoxText(const std::string& title, const std::string& primary, const std::string& secondary,
                           int answer)
{
    std::string text = "message box [" + title + "]: " + primary;
    if (!secondary.empty())
        text += " / " + secondary;
    return text + "  -> " + (answer == 1 ? "OK" : "closed");
}

// ---- the user ----

void ScriptUser::setScript(std::vector<ScriptStep> steps) { mSteps.assign(steps.begin(), steps.end()); }

void ScriptUser::add(const std::string& lines)
{
    for (const ScriptStep& s : parseScript(lines, "script"))
        mSteps.push_back(s);
}

void ScriptUser::say(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mLogLock);
    if (mLog != nullptr)
        *mLog << text << (text.empty() || text.back() != '\n' ? "\n" : "") << std::flush;
}

void ScriptUser::hostDialogOpened(bool printDialog, const std::string& styleName)
{
    say(printDialog ? std::string("print dialog opened") : "output-style editor opened on \"" + styleName + "\"");
}

void ScriptUser::hostDialogShowsPane(bool printDialog)
{
    if (const WindowView* p = mDriver.pane())
        say("with " + describeWindow(*p));
    else
        say(printDialog ? "(no pane in the print dialog)" : "(no pane in the style editor)");
}

void ScriptUser::hostDialogClosed(bool printDialog, bool confirmed)
{
    if (printDialog)
        say(confirmed ? "print dialog confirmed" : "print dialog cancelled");
    else
        say(confirmed ? "output-style editor confirmed" : "output-style editor cancelled");
}

void ScriptUser::fail(const ScriptStep* step, const std::string& message)
{
    std::string text = step != nullptr ? "script line " + std::to_string(step->line) + ": " + message : message;
    mErrors.push_back(text);
    say("error: " + text + "; the rest of the script is dropped");
    mSteps.clear();
}

bool ScriptUser::controlUsable(const WindowView& w, ScriptStep& step)
{
    std::string where = w.kind == kViewPane ? "the pane" : "the dialog \"" + w.name + "\"";
    if (!step.label.empty()) {
        // The control whose text is the label; a label of its own (a static
        // text) names the control that follows it, as "Title:" names its field.
        // A label matches in full, or as the unique beginning of one (up to a
        // blank): "Start Acrobat Distiller" for the whole check box text.
        const std::string key = labelKey(step.label);
        std::vector<const ControlView*> exact, starts;
        for (std::size_t i = 0; i < w.controls.size(); ++i) {
            const ControlView& c = w.controls[i];
            if (c.kind == fourCC('e', 'u', 't', 'x') || key.empty())
                continue;
            const std::string text = labelKey(c.text);
            bool full = text == key;
            bool start = !full && text.size() > key.size() && text.compare(0, key.size(), key) == 0 &&
                         text[key.size()] == ' ';
            if (!full && !start)
                continue;
            const ControlView* target = &c;
            if (c.kind == fourCC('s', 't', 'x', 't')) {
                target = nullptr;
                for (std::size_t k = i + 1; k < w.controls.size() && target == nullptr; ++k)
                    if (w.controls[k].kind != fourCC('s', 't', 'x', 't') && w.controls[k].id > 0)
                        target = &w.controls[k];
            }
            if (target != nullptr && target->id > 0)
                (full ? exact : starts).push_back(target);
        }
        const std::vector<const ControlView*>& found = exact.empty() ? starts : exact;
        if (found.empty()) {
            fail(&step, stepText(step) + ": " + where + " has no control labelled " + subhost::quoted(step.label));
            return false;
        }
        if (found.size() > 1) {
            fail(&step, stepText(step) + ": " + subhost::quoted(step.label) + " names several controls of " + where +
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

bool ScriptUser::handOver(std::int32_t window, const ScriptStep& step)
{
    using K = ScriptStep::Kind;
    switch (step.kind) {
    case K::Type: return mDriver.type(window, step.control, step.text);
    case K::Click: return mDriver.click(window, step.control);
    case K::Choose: return mDriver.choose(window, step.control, step.value);
    case K::Return: return mDriver.press(window, ToolkitDriver::Key::Return);
    case K::Escape: return mDriver.press(window, ToolkitDriver::Key::Escape);
    case K::Tab: return mDriver.press(window, ToolkitDriver::Key::Tab);
    case K::BackTab: return mDriver.press(window, ToolkitDriver::Key::BackTab);
    case K::Close: return mDriver.close(window);
    default: return false;
    }
}

bool ScriptUser::dialogWaits(std::int32_t id)
{
    using K = ScriptStep::Kind;
    const WindowView* w = mDriver.window(id);
    std::string name = w != nullptr ? w->name : "?";
    for (;;) {
        if (mSteps.empty()) {
            say("(no more steps: the dialog \"" + name + "\" is closed)");
            return false;
        }
        ScriptStep s = mSteps.front();
        switch (s.kind) {
        case K::Show:
            mSteps.pop_front();
            if (w != nullptr) {
                say(describeWindow(*w));
                mDriver.looked(id);
            }
            continue;
        case K::Type:
        case K::Click:
        case K::Choose:
            if (w == nullptr || !controlUsable(*w, s))
                return false;
            break;
        case K::Return:
        case K::Escape:
        case K::Close:
        case K::Tab:
        case K::BackTab:
            break;
        default:
            fail(&s, "\"" + stepText(s) + "\" while the dialog \"" + name + "\" is open");
            return false;
        }
        mSteps.pop_front();
        say("> " + stepText(s));
        return handOver(id, s);
    }
}

bool ScriptUser::actOnPane(const ScriptStep& given)
{
    ScriptStep step = given; // a label is resolved into the control's id
    using K = ScriptStep::Kind;
    const WindowView* p = mDriver.pane();
    if (p == nullptr) {
        fail(&step, "\"" + stepText(step) + "\": the host's dialog shows no pane");
        return false;
    }
    switch (step.kind) {
    case K::Type:
    case K::Click:
    case K::Choose:
        if (!controlUsable(*p, step))
            return false;
        break;
    case K::Tab:
    case K::BackTab:
        break;
    default:
        fail(&step, "\"" + stepText(step) + "\" is no action on the pane");
        return false;
    }
    say("> " + stepText(step));
    if (!handOver(p->window, step)) {
        fail(&step, "\"" + stepText(step) + "\" does not apply to the pane");
        return false;
    }
    return true;
}

std::int32_t ScriptUser::chooseFolder(std::string& chosen)
{
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
    chosen = s.text;
    say("> " + stepText(s));
    return 1;
}

std::int32_t ScriptUser::messageBoxAnswer()
{
    if (mSteps.empty())
        return 0;
    ScriptStep::Kind kind = mSteps.front().kind;
    if (kind != ScriptStep::Kind::MsgOk && kind != ScriptStep::Kind::MsgClose)
        return 0;
    mSteps.pop_front();
    return kind == ScriptStep::Kind::MsgOk ? 1 : 2;
}

bool ScriptUser::runHostDialog(const char* what, bool printDialog)
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
        case K::Style:
            if (!printDialog) {
                fail(&s, "\"" + stepText(s) + "\": only the print dialog chooses an output style");
                return false;
            }
            if (!mDriver.hasOutputStyle(s.text)) {
                fail(&s, "there is no output style named " + subhost::quoted(s.text));
                return false;
            }
            say("> " + stepText(s));
            mDriver.chooseOutputStyle(s.text);
            continue;
        case K::Show:
            if (const WindowView* p = mDriver.pane()) {
                say(describeWindow(*p));
                mDriver.looked(p->window);
            } else
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

} // namespace subhost
