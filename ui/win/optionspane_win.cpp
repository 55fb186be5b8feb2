// The options pane in the Windows build. The pane there is the dialog
// resource 28050 driven by two pane callbacks under the codes the host hands
// out at start-up; they come with the Win32 toolkit (this folder). Until then the
// print dialog shows no pane, and a style picked in it still loads its
// settings (765).
#include "ui/optionspane.h"

#include "host/xtcalls.h"

void registerPanePlatformCallbacks()
{
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, 200);
}
