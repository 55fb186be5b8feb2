// The options pane in the headless toolkit: the pane is made when the host
// builds its print dialog (164) or a print style's editor (728), is added to
// that dialog through the toolkit, and is saved and released when the dialog
// closes (768, 771). The pane's window is the toolkit's only view of it.
#include "ui/optionspane.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "ui/toolkit.h"

namespace {

constexpr int32_t kPriority = 200;

void addToHostDialog(DialogRef pane, xtdialogref dialog)
{
    if (pane != nullptr && !dialog_toolkit::addPane(dialog, *pane))
        destroyPane(); // the host has no place for it
}

int32_t XTAPI doPrintDlg(xtcbheader* rec) noexcept
{
    return guardEntry("doPrintDlg", int32_t{0}, [rec] {
        if (rec != nullptr)
            addToHostDialog(openPrintPane(), reinterpret_cast<xtprintdlgrec*>(rec)->dialog);
        return int32_t{0};
    });
}

int32_t XTAPI doOutputStyles(xtcbheader* rec) noexcept
{
    return guardEntry("doOutputStyles", int32_t{0}, [rec] {
        if (rec == nullptr)
            return int32_t{0};
        auto* r = reinterpret_cast<xtstyleeditrec*>(rec);
        addToHostDialog(openStylePane(r->style), r->dialog);
        return int32_t{0};
    });
}

} // namespace

void registerPanePlatformCallbacks()
{
    xtRegisterCallback(XT_CB_PRINTDIALOG, doPrintDlg, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITOR, doOutputStyles, kPriority);
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, kPriority);
    xtRegisterCallback(XT_CB_PRINTDIALOGCLOSE, panePrintDialogClosed, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITORCLOSE, paneStyleEditorClosed, kPriority);
}

void pane_toolkit::pullControls(DlgWindow&) {}
void pane_toolkit::release(DlgWindow&) {}
