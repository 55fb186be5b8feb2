// Distilling a job with Ghostscript and reading the PDF back with qpdf: used
// by the end-to-end tests.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pdfcheck {

using Rect = std::array<double, 4>; // x1 y1 x2 y2 as written in the page dictionary

struct PdfPage {
    std::map<std::string, Rect> boxes; // "/MediaBox", "/TrimBox", "/CropBox", "/BleedBox", "/Folantra"
    bool has(const std::string& key) const { return boxes.count(key) != 0; }
};

// Runs a shell command and returns its standard output; throws
// std::runtime_error when it cannot run or exits with a failure.
std::string run(const std::string& command);
std::string shellQuote(const std::string& s);

struct PdfFacts {
    std::vector<PdfPage> pages;
    std::map<std::string, std::string> info; // "/Title" etc., decoded to UTF-8
};

// Writes `ps` into `folder`/name.ps and distils it into name.pdf; the PDF's path.
std::string distill(const std::string& ps, const std::string& folder, const std::string& name);
// Distils a PostScript file into a PDF file.
void distillFile(const std::string& psPath, const std::string& pdfPath);
PdfFacts readPdf(const std::string& pdf);
// The bounding box of everything marked on one page (Ghostscript's bbox device).
Rect markedArea(const std::string& pdf, int page);
// The fraction of dark pixels along a vertical line x = `x` points between
// y0 and y1, rendered at 4 pixels per point.
double darkAlongVertical(const std::string& pdf, int page, double x, double y0, double y1);

} // namespace pdfcheck
