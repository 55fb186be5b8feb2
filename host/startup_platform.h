// The steps of start-up in which the Windows build and the macOS-style builds
// (macOS, Linux) differ.
#pragma once

#include "xthost.h"

// The function registered second: Windows asks the host for the two callback
// codes of its option panes; elsewhere it does nothing.
int32_t platformRequestCodes(xtsetuprec* rec);
// Windows: the plug-in's module path into gXTPath. Elsewhere: find the
// plug-in's resources, with a message when they are missing.
void platformSetupPaths();
// Interface resources (macOS nib) or dialog window classes (Windows).
void platformSetupInterface();
// The options pane's callbacks.
void platformSetupController();
// At quit: release the interface resources.
void platformQuit();
