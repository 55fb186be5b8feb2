// The substitute host's headless window system, and the scripted user's
// driver for the headless toolkit: the user is a script (or a test) of
// actions. The plug-in reports its dialogs and its pane; the host keeps what
// they show, answers each request for the next user action with the script's
// next step, answers message boxes and the folder chooser, and runs its own
// print dialog and output-style editor around the pane.
#pragma once

#include "subhost/scriptuser.h"
#include "xthost.h"
#include "xtheadless.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace subhost {

class Host;

class Headless : public ToolkitDriver {
public:
    explicit Headless(Host& host);
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    // ---- the user ----
    void setScript(std::vector<ScriptStep> steps) { mUser.setScript(std::move(steps)); }
    // Appends script lines (as in a script file).
    void add(const std::string& lines) { mUser.add(lines); }
    bool scriptDone() const { return mUser.done(); }
    // Script faults met while running (see ScriptUser::errors).
    const std::vector<std::string>& errors() const { return mUser.errors(); }
    // Narration of everything that happens, for the command line (null: none).
    void setLog(std::ostream* out) { mUser.setLog(out); }

    // ---- what the user saw ----
    // Every window the plug-in reported, by id.
    const std::map<int32_t, WindowView>& windows() const { return mWindows; }
    const WindowView* window(int32_t id) const override;
    // The dialogs in the order they opened.
    const std::vector<int32_t>& dialogsOpened() const { return mDialogOrder; }
    // The latest dialog of that description name, or null.
    const WindowView* lastDialog(const std::string& name) const;
    // The pane in the host's open dialog, as last reported; null when there is none.
    const WindowView* pane() const override;
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
    bool actOnPane(const ScriptStep& step) { return mUser.actOnPane(step); }

    // ---- the scripted user's hands (ToolkitDriver) ----
    bool click(int32_t window, int control) override;
    bool type(int32_t window, int control, const std::string& text) override;
    bool choose(int32_t window, int control, int item) override;
    bool press(int32_t window, Key key) override;
    bool close(int32_t window) override;
    bool hasOutputStyle(const std::string& name) const override;
    void chooseOutputStyle(const std::string& name) override;

    // ---- called by the headless group's entries ----
    int32_t show(const xtwinreport* report);
    int32_t nextAction(int32_t window, xtuseraction* out);
    void closed(int32_t window, int32_t result);
    int32_t addPane(xtdialogref dialog, const xtpanedesc* pane);
    int32_t chooseFolder(const char* start, const char** chosen);
    int32_t messageBox(const char* title, const char* primary, const char* secondary, int32_t buttons);

private:
    // One action of the user: to the dialog waiting in nextAction, or to the pane.
    bool act(int32_t window, int32_t action, int control, int value, const std::string& text);

    Host& mHost;
    ScriptUser mUser{*this};
    std::map<int32_t, WindowView> mWindows;
    std::vector<int32_t> mDialogOrder;
    std::vector<std::string> mFolderRequests;
    std::string mActionText;  // the text of the last action, valid until the next call
    std::string mChosenFolder; // the last chosen folder, valid until the next call
    // The dialog waiting in nextAction and the action it is handed.
    int32_t mWaiting = 0;
    xtuseraction* mPending = nullptr;

    // The host's open dialog and the pane in it.
    enum class HostDialog { None, Print, StyleEditor };
    HostDialog mOpen = HostDialog::None;
    xtdialogref mDialog = 0;
    xtdialogref mNextDialog = 1;
    xtstyleref mEditedStyle = 0;
    bool mPaneAdded = false;
    xtpanedesc mPane{};
};

} // namespace subhost
