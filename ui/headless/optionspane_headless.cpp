// The options pane in the headless toolkit: the pane is made when the host
// builds its print dialog (164) or a print style's editor (728), is added to
// that dialog through the toolkit, and is saved and released when the dialog
// closes (768, 771).
#include "ui/optionspane.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "ui/toolkit.h"

namespace {

constexpr int32_t kPriority = 200;

void addToHostDialog(xtdialogref dialog)
{
    DialogRef pane = currentPane();
    if (pane != nullptr && !dialog_toolkit::addPane(dialog, *pane))
        destroyPane(); // the host has no place for it
}

int32_t XTAPI doPrintDlg(xtcbheader* rec) noexcept
{
    return guardEntry("doPrintDlg", int32_t{0}, [rec] {
        if (rec == nullptr)
            return int32_t{0};
        createPane(0, 0);
        addToHostDialog(reinterpret_cast<xtprintdlgrec*>(rec)->dialog);
        return int32_t{0};
    });
}

int32_t XTAPI doOutputStyles(xtcbheader* rec) noexcept
{
    return guardEntry("doOutputStyles", int32_t{0}, [rec] {
        if (rec == nullptr)
            return int32_t{0};
        auto* r = reinterpret_cast<xtstyleeditrec*>(rec);
        uint32_t kind = 0;
        if (!xtStyleKind(r->style, &kind) || kind != XT_STYLE_KIND_PRINT)
            return int32_t{0};
        createPane(r->style, kind);
        addToHostDialog(r->dialog);
        return int32_t{0};
    });
}

// The print dialog closes: the result field holds 2 when it was confirmed.
int32_t XTAPI doPrintDlgClose(xtcbheader* rec) noexcept
{
    return guardEntry("doPrintDlgClose", int32_t{0}, [rec] {
        if (currentPane() == nullptr)
            return int32_t{0};
        if (rec != nullptr && reinterpret_cast<xtprintdlgcloserec*>(rec)->result == XT_PRINTDLG_CONFIRMED)
            savePaneSettings();
        destroyPane();
        return int32_t{0};
    });
}

// The style editor closes: its flag byte is 0 when it was confirmed.
int32_t XTAPI doStyleEditorClose(xtcbheader* rec) noexcept
{
    return guardEntry("doStyleEditorClose", int32_t{0}, [rec] {
        if (currentPane() == nullptr)
            return int32_t{0};
        if (rec != nullptr && reinterpret_cast<xtstyleeditcloserec*>(rec)->cancelled == 0)
            savePaneToStyle();
        destroyPane();
        return int32_t{0};
    });
}

} // namespace

void registerPanePlatformCallbacks()
{
    xtRegisterCallback(XT_CB_PRINTDIALOG, doPrintDlg, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITOR, doOutputStyles, kPriority);
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, kPriority);
    xtRegisterCallback(XT_CB_PRINTDIALOGCLOSE, doPrintDlgClose, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITORCLOSE, doStyleEditorClose, kPriority);
}
