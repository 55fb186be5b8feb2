// Per-page PostScript: page boxes, bleed, asymmetric scale and page border.
#pragma once

#include "xthost.h"

// The larger of the print settings' bleed and the Bleed module's, in points.
float getBleed();

// The page's geometry as the snippets use it, in points.
struct PageBoxGeometry {
    double left;   // L: the page's left edge in host user space
    double top;    // T
    double width;  // W: the page, or all pages of its spread printed whole
    double height; // H
    double bleed;  // d
};

// Which boxes the page snippet writes.
struct PageBoxOptions {
    bool boxBlock;   // write the box block at all (TrimBox option or "TB" = 1)
    bool grownBoxes; // TrimBox option on: CropBox, BleedBox, Folantra grown by d
    bool cropBox;    // preferences switches for the grown boxes
    bool bleedBox;
    bool folantraBox;
    bool border;     // PageBorder option
    bool compact;    // preferences "Compact": the form that costs the distiller little
};

// Writes the box block and the border for one page through psPrintf.
//
// The compact form gives the distiller the same boxes with less work: one
// PUT pdfmark carrying every box, the corners mapped to default user space by
// transform and itransform instead of an inverted matrix, each number rounded
// to 0.001 pt. Like the standard form it depends on nothing outside the page.
void writePageSnippet(const PageBoxGeometry& g, const PageBoxOptions& o);
// Writes the scale snippet for the two factors through psPrintf. The compact
// form takes the sheet's size from the clipping path after initclip instead
// of asking for the page device.
void writeScaleSnippet(float scaleX, float scaleY, bool compact = false);
// Whether a scale factor may reach the job: finite and in (0, 10]. A factor
// outside (from a style, a stored block or the pane) would make the job fail
// in the interpreter or shrink the page to nothing, so the snippet is left out.
bool scaleFactorUsable(float factor);

// The page handlers, as the host calls them (through guardEntry, like every
// handler: an exception inside answers the host 0).
int32_t XTAPI psPageSetup(xtcbheader* rec) noexcept; // code 155
int32_t XTAPI psPageScale(xtcbheader* rec) noexcept; // code 150
