#include "ui/optionspane.h"

#include "host/xtcalls.h"
#include "job/folantrarec.h"
#include "job/jobstorage.h"

namespace {
// Set while an options pane exists.
bool sPaneOpen = false;
} // namespace

int32_t XTAPI paneStyleChanged(xtcbheader* rec)
{
    if (rec == nullptr)
        return 0;
    xtstyleref style = reinterpret_cast<xtstylerec*>(rec)->style;
    uint32_t kind = 0;
    if (!xtStyleKind(style, &kind) || kind != XT_STYLE_KIND_PRINT)
        return 0;
    // Without a pane the style's settings apply to the next job at once.
    getFolantraRecByStyle(style, sPaneOpen ? getDocRec() : getSysRec());
    return 0;
}

void registerPaneCallbacks()
{
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, 200);
}
