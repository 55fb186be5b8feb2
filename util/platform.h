// Small platform seam: the few facts in which the Windows build and the
// macOS-style builds (macOS, Linux) differ outside the user interface.
#pragma once

#include <cstddef>

// modulePath and readDecimal, which every operating system provides.
#include "util/os.h"

// The line end of PostScript snippets and log lines, for joining to literals.
#if defined(_WIN32)
#define PSEOL "\r\n"
#else
#define PSEOL "\r"
#endif

namespace plat {

#if defined(_WIN32)
inline constexpr const char* kLineEnd = PSEOL;
inline constexpr char kPathSep = '\\';
inline constexpr bool kWindows = true;
#else
inline constexpr const char* kLineEnd = PSEOL;
inline constexpr char kPathSep = '/';
inline constexpr bool kWindows = false;
#endif

} // namespace plat
