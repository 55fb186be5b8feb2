// The options pane: the plug-in's options in the host's print dialog (where
// they apply to the current document and the next job) and in the editor of
// print output styles (where they are stored into the style). The pane edits
// the document record as its working copy.
#pragma once

#include "job/folantrarec.h"
#include "ui/dialogs.h"
#include "xthost.h"

#include <string>

// Registers the callbacks the pane needs with the host.
void registerPaneCallbacks();
// The print dialog's output style changed: load that style's record (into
// the pane when one exists, else into the system record). Runs through
// guardEntry, like every handler of the pane: an exception answers the host 0.
int32_t XTAPI paneStyleChanged(xtcbheader* rec) noexcept;

// A scale factor as the pane shows it: factor x 100 with two decimals ("50.00").
std::string formatScale(float factor);
// A field's text read as a percentage: its leading decimal number (a ','
// counts as the decimal point) divided by 100; text that does not start with
// a number reads as 0.
float parseScale(const char* text);
// Whether a factor read from a field lies in the field's range of 0 to 1000 %
// (finite, 0 to 10). A field outside it is refused with the message
// "scaleOutOfRange" (the field's text below it) and the record keeps its value.
bool scaleInPaneRange(float factor);
// What the pane takes from a scale field's text: the factor parseScale reads,
// a negative zero as 0; false and `factor` unchanged when it lies outside the
// field's range.
bool acceptScale(const char* text, float* factor);

// ---- the pane's life cycle, the same on every toolkit ----

// The print dialog is being built (164): a pane for no style, loaded from the
// current document.
DialogRef openPrintPane();
// An output-style editor is being built (728): a pane for the style when it
// is a print style ('RTPX'); null, and no pane, for a style of another kind.
DialogRef openStylePane(xtstyleref style);
// The host's dialog closes. Confirmed: the toolkit's controls are read into
// the pane and saved (the print dialog's pane with savePaneSettings, a
// style's with savePaneToStyle). The pane is released either way.
void closePane(bool confirmed);
// The host's callbacks for the end of the print dialog (768: confirmed when
// the result field holds 2) and of the style editor (771: confirmed when its
// flag byte is 0), for the toolkits whose host reports them so.
int32_t XTAPI panePrintDialogClosed(xtcbheader* rec) noexcept;
int32_t XTAPI paneStyleEditorClosed(xtcbheader* rec) noexcept;

// ---- the pane's parts (the life cycle above uses them) ----

// Creates the pane for a style (0 in the print dialog) of the given kind,
// loads the working record from the style or, without one, from the current
// document, and fills the controls. An older pane is destroyed first.
// A pane that cannot be filled (out of memory) is destroyed again.
DialogRef createPane(xtstyleref style, uint32_t kind);
// Loads the working record from the current document's block. When the block
// cannot be read (no memory) the record is cleared and the pane remembers it:
// confirming the print dialog then leaves the block as it is.
void loadPaneFromDocument();
// The pane that exists, or null.
DialogRef currentPane();
xtstyleref paneStyle();
// Releases the pane; the process-wide reference is cleared.
void destroyPane();

// Fills the controls from a record, then applies the enabling rule.
void setPaneControls(const FolantraRec* rec);
// Controls 5, 8 and 9 are enabled exactly when check box 3 is on, the fields
// 12 and 15 exactly when check box 6 is on.
void adjustPaneControls();
// Reads the check boxes and the scale fields into the record.
void getPaneSettings(FolantraRec* rec);
// Print dialog confirmed: read the controls; when the working record differs
// from the document's block, store it and mark the document changed (level
// 3), unless the block could not be read when the pane was loaded; copy it
// into the system record in any case.
void savePaneSettings();
// Output-style editor confirmed: read the controls and store the working
// record into the remembered style only.
void savePaneToStyle();

// Choose folder (button 8): the folder chooser, starting in the current
// folder. A chosen path longer than 511 bytes does not fit the record and is
// refused with the message "folderTooLong" (the path below it).
void chooseFolderForPane();

// ---- toolkit side (ui/headless/optionspane_headless.cpp: the pane in the host's
// dialogs of the headless toolkit; ui/mac/optionspane_mac.mm; ui/win/optionspane_win.cpp) ----
// The registrations of the toolkit, in the order the host is told of them:
// the print dialog and style editor callbacks and the style change (765).
void registerPanePlatformCallbacks();
namespace pane_toolkit {
// Before a confirmed pane is saved: what the user changed in the toolkit's
// own controls into the pane's window.
void pullControls(DlgWindow& pane);
// Before the pane is destroyed: the toolkit's controls let go of it.
void release(DlgWindow& pane);
} // namespace pane_toolkit
