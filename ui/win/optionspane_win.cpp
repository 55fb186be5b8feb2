// The options pane in the Windows build: dialog resource 28050 driven by two
// pane callbacks under the codes the host hands out at start-up
// (ui/win/winpane.cpp).
#include "ui/optionspane.h"

#include "ui/win/winpane.h"

void registerPanePlatformCallbacks() { wintk::registerPaneCallbacks(); }
