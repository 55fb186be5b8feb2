// The user-interface language, the plug-in's data resources and the string
// table. Every text the user sees is written as a key of the table and
// translated when shown; a text that is no key is shown as written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/mystr.h"

// The user-interface language: 0 = English, 3 = German.
extern std::int16_t gLanguage;

// Sets gLanguage from the host's language code: 3 for German and Swiss German
// (codes 3 and 19), 0 for every other code. Follow it with setupMyStrings.
std::int16_t* setupLanguage(std::int16_t code);

// Finds the data resource `name` of `type` for `language`: `name` itself wins
// over every language, then `name` + "_F" / "_D" / "_N" for the languages 1, 3
// and 5, then `name` + "_E". Returns the resource's bytes in a new zero-filled
// buffer two bytes longer than the resource (free with myfree), or null.
char* getResourceData(const char* name, const char* type, std::int16_t language);

// Loads the table "MyStrings" of type "xml" for gLanguage, freeing the old
// one. 0 when a table was loaded, -1 otherwise (every lookup then gives the
// key itself).
int setupMyStrings();
void cleanupMyStrings();

// The text of `key` (at most 250 bytes) into `out` (at least 251 bytes);
// the key itself (cut to 250 bytes) when it is not in the table, its text is
// empty or no table is loaded. Returns the length written.
long getString(const char* key, char* out);

// Translates a label that may end in ":" or "…": the mark is cut off `input`
// (in place), the rest looked up, and the mark appended again, so one entry
// serves "Title", "Title:" and "Title…". `output` holds at least 512 bytes and
// stays unchanged for an empty input.
void translateString(char* input, char* output);

// getString of `key`, with "…" appended when `ellipsis` is 1.
MyStr stringWithKey(const char* key, unsigned char ellipsis);

// Appends "…" (UTF-8) to the text in `text`, a buffer of `capacity` bytes;
// nothing when it would not fit.
void addEllipsisToString(char* text, std::size_t capacity = 256);

// Resources are looked up in this folder instead of the plug-in's own
// resources (tests point it at the source tree); null or "" restores the
// plug-in's own. A resource there is the file name + suffix + "." + type.
void setResourceFolder(const char* folder);

// A file's bytes copied as getResourceData describes, or null; the
// toolkits' copyPlatformResource (ui/toolkit.h) reads through it.
char* copyResourceFile(const char* path);
