// The names that Windows takes for a device rather than a file. Shared by the
// plug-in and the substitute hosts; plain text work, the same on every system.
#pragma once

#include <cstddef>

// True when the file name `name` (one path component, `length` bytes) names
// a device on Windows: CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9 (and
// COM and LPT with a superscript ¹, ² or ³), CONIN$ and CONOUT$, in any case,
// also with any extension and with blanks before it or dots and blanks after
// the name ("nul", "Aux.ps", "com1.tar.gz", "NUL. ", "con .txt").
bool isWindowsDeviceName(const char* name, std::size_t length);
// The same for the last component of `path` (behind its last "/" or "\").
bool pathNamesWindowsDevice(const char* path);
