// The substitute host's headless window system: the user is a script (or a
// test) of actions. The plug-in reports its dialogs and its pane; the host
// keeps what they show, answers each request for the next user action with
// the script's next step, answers message boxes and the folder chooser, and
// runs its own print dialog and output-style editor around the pane.
// The script format is described in docs/ui-script.md.
#pragma once

#include "xthost.h"

#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace subhost {

class Host;

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

// A control as the plug-in last reported it.
struct ControlView {
    uint32_t kind = 0, type = 0;
    int id = -1;
    uint32_t cmd = 0;
    int value = 0;
    int x = 0, y = 0, w = 0, h = 0;
    int parent = -1;
    bool enabled = true, visible = true, focused = false;
    uint8_t flags = 0;
    int selStart = 0, selLength = 0;
    std::string text;
    std::vector<std::string> items;

    // The selected part of the text.
    std::string selectedText() const;
};

// A window of the plug-in (a dialog or the pane) as last reported.
struct WindowView {
    int32_t window = 0;
    int32_t kind = 0; // XT_WIN_DIALOG or XT_WIN_PANE
    std::string name, title;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<ControlView> controls;
    int reports = 0;  // how often it was reported
    bool open = true; // a dialog until it has ended
    int result = 0;   // a dialog's result once ended

    // The first control with this id, or null.
    const ControlView* control(int id) const;
};

// Text of a window for people: title, size and every control.
std::string describeWindow(const WindowView& w);

class Headless {
public:
    explicit Headless(Host& host);
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    // ---- the user ----
    void setScript(std::vector<ScriptStep> steps);
    // Appends script lines (as in a script file).
    void add(const std::string& lines);
    bool scriptDone() const { return mSteps.empty(); }
    // Script faults met while running (an action that does not apply, a step
    // for a window that is not open ...). After the first, the rest of the
    // script is dropped: open dialogs close and the host's dialog is cancelled.
    const std::vector<std::string>& errors() const { return mErrors; }
    // Narration of everything that happens, for the command line (null: none).
    void setLog(std::ostream* out) { mLog = out; }

    // ---- what the user saw ----
    // Every window the plug-in reported, by id.
    const std::map<int32_t, WindowView>& windows() const { return mWindows; }
    const WindowView* window(int32_t id) const;
    // The dialogs in the order they opened.
    const std::vector<int32_t>& dialogsOpened() const { return mDialogOrder; }
    // The latest dialog of that description name, or null.
    const WindowView* lastDialog(const std::string& name) const;
    // The pane in the host's open dialog, as last reported; null when there is none.
    const WindowView* pane() const;
    // Whether a pane was added to the last host dialog.
    bool paneAdded() const { return mPaneAdded; }
    // The start folders the folder chooser was opened on ("" for none).
    const std::vector<std::string>& folderRequests() const { return mFolderRequests; }

    // ---- the host's dialogs ----
    // The print dialog of the current document: 164, then the script's steps
    // on the pane (and on the plug-in's dialogs they open) until "ok" or
    // "cancel" (the script's end cancels), then 768. True when confirmed.
    bool runPrintDialog();
    // The output-style editor of a style: 728, the steps, 771. True when confirmed.
    bool runStyleEditor(xtstyleref style);
    // The steps one by one, for tests that drive the dialogs themselves.
    xtdialogref openPrintDialog();
    void closePrintDialog(bool confirmed);
    xtdialogref openStyleEditor(xtstyleref style);
    void closeStyleEditor(bool confirmed);
    // Hands one action to the pane; false (and an error) when it does not apply.
    bool actOnPane(const ScriptStep& step);

    // ---- called by the headless group's entries ----
    int32_t show(const xtwinreport* report);
    int32_t nextAction(int32_t window, xtuseraction* out);
    void closed(int32_t window, int32_t result);
    int32_t addPane(xtdialogref dialog, const xtpanedesc* pane);
    int32_t chooseFolder(const char* start, const char** chosen);
    int32_t messageBox(const char* title, const char* primary, const char* secondary, int32_t buttons);

private:
    bool runHostDialog(const char* what);
    void fail(const ScriptStep* step, const std::string& message);
    void say(const std::string& text);
    bool controlUsable(const WindowView& w, ScriptStep& step);

    Host& mHost;
    std::deque<ScriptStep> mSteps;
    std::vector<std::string> mErrors;
    std::ostream* mLog = nullptr;
    std::map<int32_t, WindowView> mWindows;
    std::vector<int32_t> mDialogOrder;
    std::vector<std::string> mFolderRequests;
    std::string mActionText;  // the text of the last action, valid until the next call
    std::string mChosenFolder; // the last chosen folder, valid until the next call

    // The host's open dialog and the pane in it.
    enum class HostDialog { None, Print, StyleEditor };
    HostDialog mOpen = HostDialog::None;
    xtdialogref mDialog = 0;
    xtdialogref mNextDialog = 1;
    xtstyleref mEditedStyle = 0;
    bool mPaneAdded = false;
    xtpanedesc mPane{};
};

// Fills the headless group's table with the entries of the headless window
// system (all but entry 0). The message box entry answers from the script
// first, then as Host::answerMessageBox does.
void installHeadlessEntries(xtproc* entries, std::size_t count);

} // namespace subhost
