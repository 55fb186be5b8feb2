// The preferences switches of section "General".
#pragma once

// The integer value of `key` in section "General" of the preferences file,
// or `def` when the file or the key is missing.
long prefInt(const char* key, long def);
