// The form in which a Windows path reaches the file system. Plain paths are
// limited to MAX_PATH (260 UTF-16 units, 248 for a new folder); an absolute
// path in the \\?\ form (\\?\UNC\server\share\... for a network path) may
// be about 32,767 units long, but the system then takes it as it stands: no
// '/' for '\', no "." or ".." resolved. A pure function of the text, so it
// is tested on every platform.
#pragma once

#include <string>

// The UTF-16 length from which a path is handed over in the long form: the
// limit of a new folder (MAX_PATH less room for an 8.3 name), the lower one.
inline constexpr std::size_t kPlainPathLimit = 248;

// `path` (UTF-8) as the system should get it: an absolute path of
// kPlainPathLimit UTF-16 units or more becomes "\\?\C:\..." or
// "\\?\UNC\server\share\...", with '/' turned into '\', doubled separators,
// "." and ".." resolved (".." never above the drive or the share) and a
// trailing separator dropped. Shorter paths, relative paths ("name",
// "C:name", "\name") and paths already in a \\?\ or \\.\ form come back
// unchanged.
std::string toLongPathForm(const std::string& path);
