// The substitute host's print engine: writes a DSC-conforming PostScript job
// for the current document and calls the plug-in at the moments a host does.
#pragma once

#include "subhost/host.h"

#include <string>

namespace subhost {

struct PrintReport {
    int pagesWritten = 0;
    // Boxes on each printed page's spread at the moment it was printed
    // (temporary boxes included), in page order.
    std::vector<int> boxesAtPrint;
};

// Prints the host's current document into `out`. Throws std::runtime_error
// when there is no document.
PrintReport printDocument(Host& host, std::string& out);

// Writes `text` to `path` without leaving a half-written file behind: the
// text goes into a file beside it, which then replaces the target.
void writeFileAtomically(const std::string& path, const std::string& text);

} // namespace subhost
