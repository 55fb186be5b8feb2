// The substitute host's Windows side: its main window, the Windows dialog
// interface it offers the plug-in (pane registration, control
// announcements), its print dialog and output-style editor as real windows
// that embed the plug-in's pane, and the scripted user that drives the real
// windows (docs/ui-script.md) from a second thread.
#pragma once

#include "subhost/headless.h"
#include "subhost/host.h"

#include <ostream>
#include <string>
#include <vector>

namespace subhost::win {

// The program's arguments in UTF-8, read from the wide command line: the
// narrow argv that main() gets is in the ANSI code page and loses every
// letter it cannot hold. Replaces argc and argv for as long as it lives.
class Utf8Arguments {
public:
    Utf8Arguments(int& argc, char**& argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

private:
    std::vector<std::string> mArgs;
    std::vector<char*> mPointers;
};

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

// The host's dialog that is open now (print dialog or style editor), for
// the scripted user; all null when none is (any thread).
struct OpenHostDialog {
    void* dialog = nullptr; // HWND
    void* pane = nullptr;   // HWND of the plug-in's pane in it, null when there is none
    bool printDialog = false;
    int paneWidth = 0, paneHeight = 0; // the pane's template size in dialog units
};
OpenHostDialog openHostDialog();
// The host's main window (HWND).
void* hostMainWindow();
// Where the host's dialogs narrate their opening and closing (null: nowhere).
void setNarrator(ScriptUser* user);

// The scripted user (docs/ui-script.md) on the real windows: ScriptUser
// decides the steps and narrates, a driver of its own reads the windows the
// plug-in and the host show and acts on them from a second thread, as a
// user does, while the host's thread runs the modal loops. start() before
// the dialog, finish() after everything the script is for (until then it
// answers what opens: message boxes with OK, dialogs closed, the host's
// dialog cancelled once the script has run out).
class ScriptedUser {
public:
    // With `shotDir`, a picture of each dialog and message box of the
    // plug-in as it first shows, and of the window at each "show", is saved
    // there (NN-what.bmp).
    ScriptedUser(std::vector<ScriptStep> steps, std::ostream* log, std::string shotDir = {});
    ~ScriptedUser();
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;
    void start();
    void finish();
    const std::vector<std::string>& errors() const;
    bool scriptDone() const;

    class Driver;

private:
    Driver* mDriver;
};

} // namespace subhost::win
