// The options pane's host callbacks.
#pragma once

#include "xthost.h"

// Registers the callbacks the pane needs with the host.
void registerPaneCallbacks();
// The print dialog's output style changed: load that style's record.
int32_t XTAPI paneStyleChanged(xtcbheader* rec);
