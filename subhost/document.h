// The substitute host's documents: pages grouped in spreads, boxes per
// spread, XTension data blocks and the print settings a job uses. Read from
// and written to the JSON document file described in docs/document-format.md.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
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
    std::string source; // the JSON text it was read from ("" when made otherwise): saving keeps its order
    // Top-level keys of the file that the host does not know; saving keeps
    // them (from `source`).
    std::vector<std::string> unknownKeys;

    int pageCount() const;
    // The spread (0-based) and the position in it (0-based) of a 1-based
    // page, in constant time through the page index.
    bool locatePage(int page, int* spread, int* position) const;
    int firstPageOfSpread(int spread) const; // 1-based page of a 0-based spread
    Box* findBox(uint32_t id, int* spread = nullptr);
    // Keep findBox's index up to date when the host adds or removes a box.
    // (No parameter is called "id": Objective-C++ files include this header.)
    void boxAdded(uint32_t box, int spread)
    {
        if (!mIndexed)
            return;
        if (box >= mSpreadOf.size())
            mSpreadOf.resize(static_cast<std::size_t>(box) + 1, -1);
        mSpreadOf[box] = spread;
    }
    void boxRemoved(uint32_t box)
    {
        if (box < mSpreadOf.size())
            mSpreadOf[box] = -1;
    }
    uint32_t nextBoxId = 1;

private:
    std::vector<int32_t> mSpreadOf; // box id -> spread (-1: none), for findBox; ids are handed out in order
    bool mIndexed = false;

    // The page index: built on first use and again when spreads were added
    // or removed. A spread's page count is set when the document is made;
    // should it change, a lookup still never answers a position beyond its
    // spread.
    bool pageIndexCurrent() const;
    void indexPages() const;
    mutable std::vector<int32_t> mSpreadOfPage; // page (1-based) -> spread (0-based); [0] unused
    mutable std::vector<int32_t> mFirstPage;    // spread -> its first page; back() = page count + 1
    mutable const Spread* mIndexedSpreads = nullptr;
    mutable std::size_t mIndexedCount = 0;
};

// The host interface carries page numbers as 16-bit values.
constexpr int kMaxPages = 32767;

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
