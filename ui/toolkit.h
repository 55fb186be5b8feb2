// What a toolkit provides: everything its rooms implement (ui/<toolkit>/ and
// host/, output/, util/<toolkit>/). CMake picks the rooms of FOLANTRA_TOOLKIT
// (headless, win, mac); a new toolkit gets rooms of its own that define every
// function declared here, and the options pane's side (ui/optionspane.h). The
// operating system's side is in util/os.h.
//
// The desktop pieces at the end (the user's folders, the plug-in's resources,
// opening a document with an application) are answered by a toolkit with a
// desktop of its own (AppKit's standard folders, bundle and workspace; the
// Windows shell). A toolkit without one takes the operating system's plain
// ones instead: on macOS and Linux util/posix/folders_posix.cpp (XDG),
// util/posix/resources_posix.cpp (a folder beside the plug-in file) and
// output/posix/opendoc_posix.cpp (starting a program). A file
// <piece>_<toolkit>.* in a toolkit's room replaces the operating system
// room's <piece>_<os>.cpp beside it.
//
// Texts are UTF-8; path buffers hold 512 bytes. Nothing here includes a
// header of the plug-in, so that any file may include it.
#pragma once

#include <cstdint>
#include <string>

struct xtsetuprec;
struct DlgWindow;
struct FrameInsets;

// ---- start-up (host/<toolkit>/startup_<toolkit>.*), in the order called ----

// The function registered second: Windows asks the host for the two callback
// codes of its option panes; elsewhere it does nothing.
std::int32_t platformRequestCodes(xtsetuprec* rec);
// Windows: the plug-in's module path into gXTPath. Elsewhere: find the
// plug-in's resources, with a message when they are missing.
void platformSetupPaths();
// Interface resources (macOS nib) or dialog window classes (Windows).
void platformSetupInterface();
// The options pane's callbacks.
void platformSetupController();
// At quit: release the interface resources.
void platformQuit();

// ---- windows (ui/<toolkit>/dialogs_<toolkit>.*; ui/dialogs.h holds the
// model and the runtime that call them) ----
namespace dialog_toolkit {
// Whether dialogs can be shown at all.
bool available();
// The screen the dialogs are centred on, and the frame of a dialog window.
void screenSize(int* width, int* height);
FrameInsets frameInsets();
// Shows the built window, runs it until it is done and answers its result;
// the window is closed when it returns.
int runModal(DlgWindow& window);
// The window's controls changed outside an action (the pane refilled).
void update(DlgWindow& window);
// Adds the pane to the host's dialog that is being built; false when the
// toolkit has no place for it.
bool addPane(std::int32_t hostDialog, DlgWindow& pane);
// The folder chooser: 1 and the chosen path (UTF-8, any length), 2 when
// cancelled, 0 when there is none.
int chooseFolder(const char* start, std::string& chosen);
} // namespace dialog_toolkit

// ---- message boxes (ui/<toolkit>/msgbox_<toolkit>.*; ui/msgbox.h formats
// the texts) ----

// Shows one box and answers 1 (first button) or 2. `secondary` is empty when
// there is none; `buttons` counts the buttons.
int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons);

// ---- the desktop pieces ----

// The current user's folders into `out` (512 bytes); false and `out`
// untouched when the system cannot tell. Linux: Documents and Desktop from the
// XDG user-dirs settings ($XDG_CONFIG_HOME/user-dirs.dirs) with ~/Documents
// and ~/Desktop as fallback. The application-support folder is where the
// plug-in keeps its preferences: $XDG_CONFIG_HOME (default ~/.config) on
// Linux, the Documents folder on Windows. (folders_<toolkit>)
bool getDocumentsFolder(char* out);
bool getDesktopFolder(char* out);
bool getAppSupportFolder(char* out);

// Replaces an alias (macOS Finder alias) in place by its target's path. The
// plug-in's own paths are never aliases on Linux and Windows: nothing happens.
// (folders_<toolkit>; Windows: util/win/files_win.cpp)
void resolveAlias(char* path);

namespace mystr_platform {
// Canonical composition in place where the system offers it; elsewhere the
// text stays as it is. (folders_<toolkit>; Windows: util/win/mystr_win.cpp)
void composeNFC(std::u16string& text);
} // namespace mystr_platform

// The plug-in's own resource `name` of `type` (exact name, suffix included),
// copied as getResourceData (util/mystrings.h) describes, or null. macOS and
// Linux keep the resources as files in a folder beside the plug-in file,
// <dir>/<plug-in name>.resources/<name>.<type>, or in the bundle's resources
// folder; Windows in the module's resources, names and types compared
// without regard to case. (resources_<toolkit>)
char* copyPlatformResource(const char* name, const char* type);

// Starts `application` on the file at `path` without waiting for it; true
// when the start succeeded. (opendoc_<toolkit>)
bool openDoc(const char* path, const char* application);
