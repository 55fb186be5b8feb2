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
};

// Writes the box block and the border for one page through psPrintf.
void writePageSnippet(const PageBoxGeometry& g, const PageBoxOptions& o);
// Writes the scale snippet for the two factors through psPrintf.
void writeScaleSnippet(float scaleX, float scaleY);

// The page handlers, as the host calls them (through guardEntry, like every
// handler: an exception inside answers the host 0).
int32_t XTAPI psPageSetup(xtcbheader* rec) noexcept; // code 155
int32_t XTAPI psPageScale(xtcbheader* rec) noexcept; // code 150
