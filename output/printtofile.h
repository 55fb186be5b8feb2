// Print-to-file: the PostScript file's path at job start, the distiller at job end.
#pragma once

// At the start of a print job whose PrintToFile flag is on.
void setFileDestination();
// At the end of every print job.
void runDistillerStep();
