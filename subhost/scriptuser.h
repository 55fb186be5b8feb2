// The scripted user of the substitute host: a script of user actions (the
// format is described in docs/ui-script.md), the user who carries it out on
// the plug-in's windows, and the narration of what the user sees. The user
// acts through a ToolkitDriver, one per toolkit the plug-in is built for
// (the headless window system, the real windows of the Windows host, and
// AppKit in the GNUstep host); the narration depends on no toolkit, so the
// same script gives the same transcript with every driver.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace subhost {

// A script that cannot be read: what() names the file, the line and the fault.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ScriptStep {
    enum class Kind {
        Type,         // type ID TEXT: the control's text becomes TEXT
        Click,        // click ID
        Choose,       // choose ID N: item N of a popup, combo box, list or tab control
        Return,       // return: Return key (in the host's dialog: confirm)
        Escape,       // escape: Escape key (in the host's dialog: cancel)
        Close,        // close: the window's close box (in the host's dialog: cancel)
        Tab,          // tab
        BackTab,      // backtab: Shift-Tab
        Folder,       // folder PATH: the folder chooser picks PATH
        FolderCancel, // folder-cancel
        MsgOk,        // msgbox ok: the next message box is answered with its first button
        MsgClose,     // msgbox close: ... closed another way
        Ok,           // ok: the host's dialog is confirmed
        Cancel,       // cancel: the host's dialog is cancelled
        Style,        // style NAME: the print dialog's output style becomes NAME
        Show,         // show: describe the window the user looks at
    };
    Kind kind = Kind::Show;
    int control = 0;
    std::string label; // the control named by its label instead of its id ("" when by id)
    int value = 0;
    std::string text;
    int line = 0; // in the script, for messages
};

// Reads a script; throws ScriptError naming `fileName` and the line.
std::vector<ScriptStep> parseScript(const std::string& text, const std::string& fileName);
std::vector<ScriptStep> loadScript(const std::string& file);
// The step as a script line.
std::string stepText(const ScriptStep& step);
// A text in double quotes, with " and \ escaped.
std::string quoted(const std::string& text);

// Window kinds of WindowView (the values of the headless group's reports).
inline constexpr std::int32_t kViewDialog = 1;
inline constexpr std::int32_t kViewPane = 2;

// The flag of the default button in ControlView::flags.
inline constexpr std::uint8_t kViewDefault = 0x01;

// A control of the plug-in as the user last saw it.
struct ControlView {
    std::uint32_t kind = 0, type = 0;
    int id = -1;
    std::uint32_t cmd = 0;
    int value = 0;
    int x = 0, y = 0, w = 0, h = 0;
    int parent = -1;
    bool enabled = true, visible = true, focused = false;
    std::uint8_t flags = 0; // kViewDefault and the other bits of the headless group's XT_CTL_*
    int selStart = 0, selLength = 0;
    std::string text;
    std::vector<std::string> items;

    // The selected part of the text.
    std::string selectedText() const;
};

// A window of the plug-in (a dialog or the pane) as last seen.
struct WindowView {
    std::int32_t window = 0;
    std::int32_t kind = 0; // kViewDialog or kViewPane
    std::string name, title;
    int left = 0, top = 0, width = 0, height = 0;
    std::string sizeUnit = "dialog units"; // of the pane's size (AppKit measures in points)
    std::vector<ControlView> controls;
    int reports = 0;  // how often it was reported
    bool open = true; // a dialog until it has ended
    int result = 0;   // a dialog's result once ended

    // The first control with this id, or null.
    const ControlView* control(int id) const;
};

// Text of a window for people: title, size and every control.
std::string describeWindow(const WindowView& w);
// The narration of a dialog's end, and of a message box and its answer.
std::string dialogEndedText(const std::string& name, int result);
std::string messageBoxText(const std::string& title, const std::string& primary, const std::string& secondary,
                           int answer);

// What the scripted user needs of a toolkit: the plug-in's windows as they
// show, and hands that do to them what a user does. The actions go to a
// window of the plug-in that waits for the user (a dialog, while the driver
// has asked ScriptUser::dialogWaits for its next action) or to the pane in
// the host's open dialog; each answers false when it does not apply.
class ToolkitDriver {
public:
    enum class Key { Return, Escape, Tab, BackTab };

    virtual ~ToolkitDriver() = default;

    // A window of the plug-in as it shows now, or null.
    virtual const WindowView* window(std::int32_t id) const = 0;
    // The pane in the host's open dialog, or null.
    virtual const WindowView* pane() const = 0;

    virtual bool click(std::int32_t window, int control) = 0;
    virtual bool type(std::int32_t window, int control, const std::string& text) = 0;
    virtual bool choose(std::int32_t window, int control, int item) = 0;
    virtual bool press(std::int32_t window, Key key) = 0;
    // The window's close box.
    virtual bool close(std::int32_t window) = 0;

    // The output-style menu of the host's print dialog.
    virtual bool hasOutputStyle(const std::string& name) const = 0;
    virtual void chooseOutputStyle(const std::string& name) = 0;

    // The user has just looked at the window ("show"); a driver may take a
    // picture of it.
    virtual void looked(std::int32_t window) { (void)window; }
};

class ScriptUser {
public:
    explicit ScriptUser(ToolkitDriver& driver) : mDriver(driver) {}
    ScriptUser(const ScriptUser&) = delete;
    ScriptUser& operator=(const ScriptUser&) = delete;

    void setScript(std::vector<ScriptStep> steps);
    // Appends script lines (as in a script file).
    void add(const std::string& lines);
    bool done() const { return mSteps.empty(); }
    // Script faults met while running (an action that does not apply, a step
    // for a window that is not open ...). After the first, the rest of the
    // script is dropped: open dialogs close and the host's dialog is cancelled.
    const std::vector<std::string>& errors() const { return mErrors; }
    // Narration of everything that happens (null: none).
    void setLog(std::ostream* out) { mLog = out; }
    // Adds a line to the narration (any thread: one line at a time).
    void say(const std::string& text);
    // The host's own dialog: opened (before the plug-in is asked for its
    // pane), the pane it shows once the plug-in has added it, and closed.
    void hostDialogOpened(bool printDialog, const std::string& styleName);
    void hostDialogShowsPane(bool printDialog);
    void hostDialogClosed(bool printDialog, bool confirmed);

    // A dialog of the plug-in waits for the user: "show" steps describe it,
    // and the next action goes to the driver. False when the user hands no
    // action (the script ended, or its step does not apply): the dialog is
    // closed.
    bool dialogWaits(std::int32_t window);
    // The host's dialog with the pane (`what` names it for people): the steps
    // act on the pane until one confirms (true) or cancels it; the script's
    // end cancels. Only the print dialog takes "style".
    bool runHostDialog(const char* what, bool printDialog);
    // One step on the pane; false (and an error) when it does not apply.
    bool actOnPane(const ScriptStep& step);
    // The folder chooser is open: 1 and the chosen path, or 2 when cancelled.
    std::int32_t chooseFolder(std::string& chosen);
    // A message box: the script's answer (1 OK, 2 closed), or 0 when the
    // script's next step gives none.
    std::int32_t messageBoxAnswer();

private:
    void fail(const ScriptStep* step, const std::string& message);
    bool controlUsable(const WindowView& w, ScriptStep& step);
    // A step that acts on a window; false when the driver refused it.
    bool handOver(std::int32_t window, const ScriptStep& step);

    ToolkitDriver& mDriver;
    std::deque<ScriptStep> mSteps;
    std::vector<std::string> mErrors;
    std::ostream* mLog = nullptr;
    std::mutex mLogLock;
};

} // namespace subhost
