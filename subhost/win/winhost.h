// The substitute host's Windows side: its main window, the Windows dialog
// interface it offers the plug-in (pane registration, control
// announcements), its print dialog and output-style editor as real windows
// that embed the plug-in's pane, and a scripted user that drives the real
// windows (docs/ui-script.md) from a second thread.
#pragma once

#include "subhost/headless.h"
#include "subhost/host.h"

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace subhost::win {

// Offers the "windialog" group to the plug-in and makes the host's main
// window. Call before Host::load.
void install(Host& host);

// What the pane did through the Windows dialog interface since the last
// call, for the narration: "checkbox 1 2", "state 5 4", ... (any thread).
std::vector<std::string> takePaneCalls();

// The print dialog of the current document (164, the pane, confirm or
// cancel) and the style editor of a style (728). True when confirmed.
bool runPrintDialog(Host& host);
bool runStyleEditor(Host& host, xtstyleref style);

// The scripted user: acts on the real windows from a second thread while the
// host's thread shows them. start() before the dialog, finish() after
// everything the script is for (it answers what is left: message boxes with
// OK, dialogs closed).
class ScriptedUser {
public:
    // With `shotDir`, every "show" step also saves a picture of the window
    // the user looks at there (NN-what.bmp).
    ScriptedUser(std::vector<ScriptStep> steps, std::ostream* log, std::string shotDir = {});
    ~ScriptedUser();
    void start();
    void finish();
    const std::vector<std::string>& errors() const { return mErrors; }
    bool scriptDone() const { return mNext >= mSteps.size(); }

private:
    void run();
    bool step(const ScriptStep& s);
    void answerLeftovers();
    void shoot(void* window);
    std::vector<ScriptStep> mSteps;
    std::size_t mNext = 0;
    std::ostream* mLog;
    std::string mShotDir;
    std::vector<std::string> mErrors;
    std::thread mThread;
    std::atomic<bool> mStop{false};
    int mShots = 0;
};

} // namespace subhost::win
