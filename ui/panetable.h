// The options pane's controls as a window of the dialog runtime, made from
// the option table (job/options.h). The headless pane is this window; the
// Windows dialog resource 28050 and the AppKit pane are generated from the
// same table (tools/panegen) and bound to this window by their ids.
#pragma once

#include "job/options.h"
#include "ui/dialogs.h"

// The pane as a window of the dialog runtime: the controls of the table with
// their labels translated (the folder label and the fields start empty).
void buildPaneWindow(DlgWindow* window);

// Every pane control of the table, in the pane's order.
template <class F> void forEachPaneControl(F&& f)
{
    for (const OptionRow& row : kOptions)
        if (row.kind != PaneKind::None)
            f(row);
}
