// The substitute host's documents: pages grouped in spreads, boxes per
// spread, XTension data blocks and the print settings a job uses. Read from
// and written to the JSON document file described in docs/document-format.md.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace subhost {

// A malformed or incomplete document file: what() names the file and the fault.
struct DocumentError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Box {
    uint32_t id = 0;
    double top = 0, left = 0, bottom = 0, right = 0; // spread coordinates, points, y down
    std::optional<std::vector<double>> fill;          // gray [g] or colour [r, g, b], 0..1
    double stroke = 0;                                // frame width in points, 0 = none
    std::string text;                                 // set in a standard font
    double fontSize = 12;
    bool temporary = false; // placed by an XTension during a job
};

struct Spread {
    int pages = 1;
    std::vector<Box> boxes;
};

struct PageRange {
    int first = 1;
    int last = 1;
};

struct PrintSettings {
    bool blankPages = false;   // prepare pages without items at job start
    bool wholeSpreads = false; // pages go out as whole spreads
    uint32_t bleedBits = 0;    // 0x200 symmetric, 0x400 asymmetric bleed
    double bleedAmount = 0;    // points
    double bleedOffset = 0;    // points
    int32_t output = 1;        // output kind; (output & 7) == 1 allows scaling
    std::optional<std::vector<PageRange>> ranges; // none = every page
    int32_t jobKind = 3;
};

struct Document {
    std::string name;                // the document's name
    std::optional<std::string> path; // full path on disk; none = never saved
    double pageWidth = 0, pageHeight = 0;
    std::vector<Spread> spreads;
    std::map<uint32_t, std::vector<uint8_t>> xtData; // XTension data blocks by four-character code
    PrintSettings print;
    bool changed = false;
    // Top-level keys of the file that the host does not know; they are not
    // saved, and saving says so.
    std::vector<std::string> unknownKeys;

    int pageCount() const;
    // The spread (0-based) and the position in it (0-based) of a 1-based page.
    bool locatePage(int page, int* spread, int* position) const;
    int firstPageOfSpread(int spread) const; // 1-based page of a 0-based spread
    Box* findBox(uint32_t id, int* spread = nullptr);
    // Keep findBox's index up to date when the host adds or removes a box.
    void boxAdded(uint32_t id, int spread)
    {
        if (mIndexed)
            mSpreadOf[id] = spread;
    }
    void boxRemoved(uint32_t id) { mSpreadOf.erase(id); }
    uint32_t nextBoxId = 1;

private:
    std::unordered_map<uint32_t, int> mSpreadOf; // box id -> spread, for findBox
    bool mIndexed = false;
};

// Reads a document file; throws DocumentError naming the file and the fault.
Document loadDocument(const std::string& file);
Document parseDocument(const std::string& json, const std::string& fileName);
// The document as JSON text in the format loadDocument reads; XTension data
// blocks keep every byte (text when they are UTF-8 text with one terminating
// zero byte, base64 otherwise).
std::string documentToJson(const Document& doc);
// Writes the file aside and then replaces the old one, so a failed write
// loses nothing. Throws DocumentError.
void saveDocument(const Document& doc, const std::string& file);
std::string fourccText(uint32_t code);
uint32_t fourccValue(const std::string& text);

} // namespace subhost
