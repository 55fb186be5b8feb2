// The options pane on Windows: the host makes the pane's window from dialog
// resource 28050 and drives it through two pane callbacks, one for the print
// dialog and one for the output-style editor, under the codes it handed out
// at start-up.
#pragma once

#include "ui/dialogs.h"
#include "xthost.h"

namespace wintk {

// The codes the host handed out: print-dialog pane, style-editor pane.
extern int32_t gPaneCodes[2];

// Registers 164, 728 and 765 and the two pane callbacks.
void registerPaneCallbacks();
// The pane callbacks (exposed for the tests that drive them directly).
int32_t XTAPI printPaneProc(xtcbheader* rec);
int32_t XTAPI stylePaneProc(xtcbheader* rec);
// The pane's state into its windows, the enabling through the host.
void showPane(DlgWindow& pane);
// The window of the print dialog's pane while it is shown, else null.
void* printPaneWindow();

} // namespace wintk
