// The substitute host's print engine: writes a DSC-conforming PostScript job
// for the current document and calls the plug-in at the moments a host does.
#pragma once

#include "subhost/fileio.h"
#include "subhost/host.h"

#include <string>

namespace subhost {

struct PrintReport {
    int pagesWritten = 0;
    // Boxes on each printed page's spread at the moment it was printed
    // (temporary boxes included), in page order.
    std::vector<int> boxesAtPrint;
    std::string file;      // the file the plug-in sent the job to, when it did
    std::string fileError; // why that file could not be written
};

// Prints the host's current document into `out`. Throws std::runtime_error
// when there is no document.
PrintReport printDocument(Host& host, std::string& out);

} // namespace subhost
