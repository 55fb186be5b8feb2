// Reading a distilled PDF's page boxes and document info (with the qpdf
// library), checking them as prepress does, and drawing each page with its
// boxes (Ghostscript renders the page, cairo draws the boxes).
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace preflight {

using Rect = std::array<double, 4>; // x1 y1 x2 y2 as written in the page dictionary

// The boxes a preflight shows, in the order it shows them. "Folantra" is the
// plug-in's own box.
inline const char* const kBoxNames[] = {"MediaBox", "CropBox", "BleedBox", "TrimBox", "Folantra"};

struct Page {
    // Every page-dictionary entry that is an array of four numbers, by name
    // without the slash; MediaBox and CropBox as inherited from the page tree.
    std::map<std::string, Rect> boxes;
    // How far a viewer turns the page clockwise: 0, 90, 180 or 270 (the
    // page's /Rotate, as inherited from the page tree).
    int rotate = 0;
    bool has(const std::string& name) const { return boxes.count(name) != 0; }
    const Rect* box(const std::string& name) const
    {
        auto it = boxes.find(name);
        return it == boxes.end() ? nullptr : &it->second;
    }
};

struct Pdf {
    std::string file;
    std::vector<Page> pages;
    bool hasInfo = false;                     // the trailer names a document info dictionary
    std::map<std::string, std::string> info;  // its text entries ("Title", ...), UTF-8
};

// Reads a PDF; throws std::runtime_error naming the file and the fault.
Pdf read(const std::string& file);

// Pages (1-based) whose five boxes are the same, in the order of their first
// page.
struct PageGroup {
    std::vector<int> pages;
    const Page* page = nullptr;
};
std::vector<PageGroup> groupPages(const Pdf& pdf);
// "1", "1-3", "1, 4-2000": ascending page numbers as ranges.
std::string rangesText(const std::vector<int>& pages);

struct Options {
    std::optional<double> bleed; // the job's bleed in points: BleedBox = TrimBox grown by this on every side
    bool expectCropBox = true;   // a CropBox on every page with a BleedBox (the plug-in writes them together)
    double tolerance = 0.001;    // points
};

struct Fault {
    std::vector<int> pages;
    std::string text;
};

struct Check {
    std::string name;
    std::vector<Fault> faults; // none: passed
    bool passed() const { return faults.empty(); }
};

std::vector<Check> check(const Pdf& pdf, const Options& options);
bool allPassed(const std::vector<Check>& checks);

// The report for people: boxes of each group of identical pages, the
// document info, each check and the verdict.
std::string report(const Pdf& pdf, const std::vector<Check>& checks);
nlohmann::ordered_json reportJson(const Pdf& pdf, const std::vector<Check>& checks);

// A program's exit status and everything it wrote on its standard output and
// error. Runs it without a shell; throws std::runtime_error when it cannot be
// started.
struct RunResult {
    int status = -1; // exit status; -1 when a signal ended it
    std::string output;
};
RunResult runProgram(const std::vector<std::string>& argv);

// The preview colours: red, green, blue in 0..1.
struct Colour {
    double r, g, b;
};
Colour boxColour(const std::string& name);

// Writes DIR/page-N.png for every page: the page as Ghostscript renders it,
// its MediaBox, CropBox, BleedBox, TrimBox (and Folantra box) outlined in
// their colours, and a legend. Creates DIR. Returns the files written; throws
// std::runtime_error.
std::vector<std::string> writePreviews(const Pdf& pdf, const std::string& dir);

} // namespace preflight
