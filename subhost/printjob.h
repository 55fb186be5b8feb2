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
    std::string otherFile; // the caller's file, when the job went there instead
    std::string fileError; // why the job's file could not be written
    // Boxes that an XTension placed for the job and had not deleted when the
    // job ended (it must delete every one).
    int temporaryBoxesLeft = 0;
};

// Prints the host's current document. The PostScript goes into its file as
// it is produced: the file the plug-in sets for the job or, when it sets
// none, `otherFile` (none when empty); each is written beside its place and
// put there when the job is complete, before the job's end reaches the
// plug-in. With `memory`, the job is also kept there. Throws
// std::runtime_error when there is no document.
PrintReport printDocument(Host& host, std::string* memory, const std::string& otherFile);
// Prints the host's current document into `out` (and the plug-in's file).
PrintReport printDocument(Host& host, std::string& out);

} // namespace subhost
