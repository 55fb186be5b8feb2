// Diagnostics log: a plain-text trace file for developers and support. Off
// unless its mode is switched on (greater than 0); each line is appended by
// opening and closing the file, so the log survives a crash of the host right
// after a line was written.
#pragma once

#include <cstdint>
#include <cstdio>

#if defined(__MINGW32__)
#define FOLANTRA_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define FOLANTRA_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define FOLANTRA_PRINTF_FORMAT(fmt, args)
#endif

// Longest formatted line (before the line end); longer output is cut.
inline constexpr int kDumpLineMax = 7999;

// Starts a new log at Documents/<folder>/<name>.txt (folder defaults to
// "Kestrovan", name to "Folantra"; an empty folder means none), creating the
// folder and deleting an old log there, and sets the mode.
void setupDump(std::int16_t mode, const char* folder, const char* name);

// Switches the log on from the environment: FOLANTRA_LOG holding a number
// greater than 0 starts the log at its default place with that mode. Without
// it (or with 0 or less) nothing changes and the log stays off.
void setupDumpFromEnvironment();

void setLogMode(long mode);
long getLogMode();
// The log file's path; empty before setupDump.
const char* logPath();

// Formats one line (cut to 7999 characters) and appends it with the platform
// line end, when the mode is greater than 0. (An overload beside the POSIX
// dprintf(int, const char*, ...), which takes a descriptor first.)
void dprintf(const char* format, ...) FOLANTRA_PRINTF_FORMAT(1, 2);

// Appends prefix, the local time and suffix as one line ("" for no prefix;
// the platform line end for no suffix).
void dumpTime(const char* prefix, const char* suffix);
