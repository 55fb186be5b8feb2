#include "ui/optionspane.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "job/jobstorage.h"
#include "postscript/metadata.h"
#include "ui/msgbox.h"
#include "ui/panetable.h"
#include "ui/toolkit.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The one pane there can be: its window and what it was opened for.
struct PaneState {
    DlgWindow window;
    xtstyleref style = 0;
    uint32_t kind = 0;
    // The document's block could not be read when the pane was loaded (no
    // memory): the pane shows a cleared record, so confirming keeps the block.
    bool blockUnread = false;
};
std::unique_ptr<PaneState> sPane;

constexpr int32_t kChangeLevel = 3;
constexpr std::size_t kFolderMax = sizeof(FolantraRec::folder) - 1;

ControlRef paneControl(int id) { return sPane ? getControl(&sPane->window, id) : nullptr; }

void setPathLabel() { setControlText(paneControl(kPaneFolder), getDocRec()->folder); }

void setScale(int id, float factor) { setControlText(paneControl(id), formatScale(factor).c_str()); }

// The field's factor, or `current` when the field holds a percentage outside
// the field's range of 0 to 1000 (or no finite number at all): the user is
// told, and the value that was there stays.
float getScale(int id, float current)
{
    char text[256] = {};
    getControlText(paneControl(id), text);
    float factor = current;
    if (!acceptScale(text, &factor)) {
        setMsg2("%s", text);
        msgBox("scaleOutOfRange");
    }
    return factor;
}

uint8_t paneControlProc(ControlRef control, DialogRef, void*)
{
    switch (getControlItem(control)) {
    case flagControl(kFlagPrintToFile):
        adjustPaneControls();
        return 1;
    case flagControl(kFlagScale):
        adjustPaneControls();
        if (getControlValue(control) == 1)
            setControlFocus(paneControl(kPaneScaleX));
        return 1;
    case kPaneChooseFolder:
        chooseFolderForPane();
        return 1;
    case kPaneReset:
        std::memset(getDocRec()->folder, 0, sizeof getDocRec()->folder);
        setPathLabel();
        return 1;
    case kPaneMetaData:
        getMetaData(&getDocRec()->metaData);
        return 1;
    default:
        return 0;
    }
}

} // namespace

std::string formatScale(float factor)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(factor) * 100.0);
    // Whatever the C library's locale says, the pane writes a point.
    for (char* p = text; *p != '\0'; ++p)
        if (*p == ',')
            *p = '.';
    return text;
}

float parseScale(const char* text)
{
    if (text == nullptr)
        return 0.0f;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // The digits as one integer and the power of ten to divide it by, so the
    // value is rounded once ("75,5" is 755 / 1000).
    double mantissa = 0;
    int decimals = 2; // percent
    int significant = 0;
    bool digits = false;
    for (; *p >= '0' && *p <= '9'; ++p, digits = true) {
        if (significant < 17) {
            mantissa = mantissa * 10 + (*p - '0');
            significant += mantissa > 0 ? 1 : 0;
        } else {
            --decimals; // beyond the precision a double holds
        }
    }
    if (*p == '.' || *p == ',') {
        for (++p; *p >= '0' && *p <= '9'; ++p, digits = true)
            if (significant < 17) {
                mantissa = mantissa * 10 + (*p - '0');
                significant += mantissa > 0 ? 1 : 0;
                ++decimals;
            }
    }
    if (!digits)
        return 0.0f;
    double value = decimals >= 0 ? mantissa / std::pow(10.0, decimals) : mantissa * std::pow(10.0, -decimals);
    return static_cast<float>(negative ? -value : value);
}

bool scaleInPaneRange(float factor) { return std::isfinite(factor) && factor >= 0.0f && factor <= 10.0f; }

bool acceptScale(const char* text, float* factor)
{
    float read = parseScale(text);
    if (!scaleInPaneRange(read))
        return false;
    *factor = read == 0.0f ? 0.0f : read; // no negative zero
    return true;
}

DialogRef createPane(xtstyleref style, uint32_t kind)
{
    destroyPane();
    // A pane that could not be made whole (out of memory) is not offered: it
    // could be confirmed with controls or a record half made.
    try {
        sPane = std::make_unique<PaneState>();
        sPane->style = style;
        sPane->kind = kind;
        buildPaneWindow(&sPane->window);
        sPane->window.window = newWindowId();
        forEachPaneControl([](const OptionRow& row) {
            if (row.action != nullptr)
                setControlHandler(&sPane->window, row.paneId, paneControlProc, nullptr);
        });
        if (style != 0)
            getFolantraRecByStyle(style, getDocRec());
        else
            loadPaneFromDocument();
        setPaneControls(getDocRec());
    } catch (...) {
        destroyPane();
        throw;
    }
    return &sPane->window;
}

void loadPaneFromDocument()
{
    bool read = getJobHandle(getDocRec());
    if (sPane)
        sPane->blockUnread = !read;
}

DialogRef currentPane() { return sPane ? &sPane->window : nullptr; }

xtstyleref paneStyle() { return sPane ? sPane->style : 0; }

void destroyPane() { sPane.reset(); }

void setPaneControls(const FolantraRec* rec)
{
    if (!sPane)
        return;
    forEachPaneControl([rec](const OptionRow& row) {
        if (row.stored == Stored::Flag)
            setControlValue(paneControl(row.paneId), rec->flags[row.flag] == 1 ? 1 : 0);
        else if (row.stored == Stored::Text)
            setControlText(paneControl(row.paneId), recTextOf(rec, row.field));
        else if (row.stored == Stored::Scale)
            setScale(row.paneId, recScaleOf(rec, row.field));
    });
    adjustPaneControls();
}

void adjustPaneControls()
{
    if (!sPane)
        return;
    forEachPaneControl([](const OptionRow& row) {
        if (row.enabledBy != 0)
            enableControl(paneControl(row.paneId), getControlValue(paneControl(row.enabledBy)) == 1);
    });
}

void getPaneSettings(FolantraRec* rec)
{
    if (!sPane)
        return;
    forEachPaneControl([rec](const OptionRow& row) {
        if (row.stored == Stored::Flag)
            rec->flags[row.flag] = getControlValue(paneControl(row.paneId)) == 1 ? 1 : 0;
        else if (row.stored == Stored::Scale && row.kind == PaneKind::EditField) {
            float* factor = recScale(rec, row.field);
            *factor = getScale(row.paneId, *factor);
        }
    });
}

void savePaneSettings()
{
    FolantraRec* rec = getDocRec();
    getPaneSettings(rec);
    if (!(sPane && sPane->blockUnread) && isJobModified(rec)) {
        setJobHandle(rec);
        xtMarkDocChanged(xtCurrentDoc(), kChangeLevel);
    }
    setSysRec(rec);
}

void savePaneToStyle()
{
    if (!sPane)
        return;
    FolantraRec* rec = getDocRec();
    getPaneSettings(rec);
    setFolantraRec(sPane->style, rec);
}

void chooseFolderForPane()
{
    FolantraRec* rec = getDocRec();
    std::string chosen;
    if (dialog_toolkit::chooseFolder(rec->folder[0] != '\0' ? rec->folder : nullptr, chosen) != 1 || chosen.empty())
        return;
    if (chosen.size() > kFolderMax) {
        setMsg2("%s", chosen.c_str());
        msgBox("folderTooLong");
        return;
    }
    std::memset(rec->folder, 0, sizeof rec->folder);
    std::memcpy(rec->folder, chosen.data(), chosen.size());
    setPathLabel();
}

DialogRef openPrintPane() { return createPane(0, 0); }

DialogRef openStylePane(xtstyleref style)
{
    uint32_t kind = 0;
    if (!xtStyleKind(style, &kind) || kind != XT_STYLE_KIND_PRINT)
        return nullptr;
    return createPane(style, kind);
}

void closePane(bool confirmed)
{
    DialogRef pane = currentPane();
    if (pane == nullptr)
        return;
    if (confirmed) {
        pane_toolkit::pullControls(*pane);
        if (sPane->style != 0)
            savePaneToStyle();
        else
            savePaneSettings();
    }
    if (DialogRef still = currentPane())
        pane_toolkit::release(*still);
    destroyPane();
}

int32_t XTAPI panePrintDialogClosed(xtcbheader* rec) noexcept
{
    return guardEntry("panePrintDialogClosed", int32_t{0}, [rec] {
        closePane(rec != nullptr && reinterpret_cast<xtprintdlgcloserec*>(rec)->result == XT_PRINTDLG_CONFIRMED);
        return int32_t{0};
    });
}

int32_t XTAPI paneStyleEditorClosed(xtcbheader* rec) noexcept
{
    return guardEntry("paneStyleEditorClosed", int32_t{0}, [rec] {
        closePane(rec != nullptr && reinterpret_cast<xtstyleeditcloserec*>(rec)->cancelled == 0);
        return int32_t{0};
    });
}

int32_t XTAPI paneStyleChanged(xtcbheader* rec) noexcept
{
    return guardEntry("paneStyleChanged", int32_t{0}, [rec] {
        if (rec == nullptr)
            return int32_t{0};
        xtstyleref style = reinterpret_cast<xtstylerec*>(rec)->style;
        uint32_t kind = 0;
        if (!xtStyleKind(style, &kind) || kind != XT_STYLE_KIND_PRINT)
            return int32_t{0};
        if (sPane) {
            getFolantraRecByStyle(style, getDocRec());
            sPane->blockUnread = false; // the style's settings replace what the pane showed
            setPaneControls(getDocRec());
            dialog_toolkit::update(sPane->window);
        } else {
            // Without a pane the style's settings apply to the next job at once.
            getFolantraRecByStyle(style, getSysRec());
        }
        return int32_t{0};
    });
}

void registerPaneCallbacks() { registerPanePlatformCallbacks(); }
