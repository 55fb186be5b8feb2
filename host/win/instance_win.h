// The plug-in module's native handle in the Windows build, set when the
// module is loaded. The Win32 toolkit finds its dialog templates and other
// resources through it.
#pragma once

#include <windows.h>

extern HINSTANCE gInstance;
