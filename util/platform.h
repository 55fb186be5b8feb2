// Small platform seam: the few facts in which the Windows build and the
// macOS-style builds (macOS, Linux) differ outside the user interface.
#pragma once

#include <cstddef>

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

// Full path of the plug-in's own file (the module that holds this code), as
// UTF-8 into `out` (at most cap - 1 bytes and a terminator). False when the
// system cannot tell or the path does not fit.
bool modulePath(char* out, std::size_t cap);

// The decimal number at the start of `text` ("12.5", "1e-3") read with a point
// as decimal separator, whatever locale the process has set, correctly
// rounded to double: HUGE_VAL when too large, 0 or a subnormal when too small.
// (The C library's own reader in its "C" locale; floating-point from_chars is
// not in every standard library the plug-in is built with.)
double readDecimal(const char* text);

} // namespace plat
