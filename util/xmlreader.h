// Tag-scanning reader for the plug-in's own small XML-like resources (string
// tables, window descriptions). There is no parser: every call searches the
// text afresh for a literal opening tag "<key>" and the closing tag behind it,
// comparing without regard to case. No entities, no trimming, no attributes
// beyond matching the key text verbatim.
#pragma once

#include <cstddef>

// Longest key for the single-value lookups (getXMLString, getXMLValue).
inline constexpr std::size_t kXMLKeyMax = 64;
// Longest key where the tags are built in 64-byte buffers (getXMLData,
// EnumXMLData): "</" + key + ">" + terminator.
inline constexpr std::size_t kXMLTagKeyMax = 60;
// Longest text that getXMLString returns; its buffer holds one more byte.
inline constexpr std::size_t kXMLStringMax = 250;

// Content of the first element of `key`, cut to 250 bytes, into `out` (at
// least 251 bytes). Returns the length written. Returns 0 and leaves `out`
// untouched when the text is null, the key is empty or longer than 64
// characters, or either tag is missing. The closing tag is "</" + key + ">".
long getXMLString(const char* text, const char* key, char* out);

// The whole content of the first element of `key` as a new zero-terminated copy
// (free with myfree), or null. The closing tag is built from the key up to its
// first blank, so "Item id=1" closes with "</Item>". Keys longer than 60
// characters are refused.
char* getXMLData(const char* text, const char* key);

// getXMLString read as a number: an empty or missing element gives `def`,
// "YES" gives 1 and "NO" gives 0 (exact case), anything else is read as a
// decimal integer (leading blanks, optional sign, digits; no digits gives 0;
// values beyond the range of long are held at its limits).
long getXMLValue(const char* text, const char* key, long def);

// Called for each element; `element` is a zero-terminated copy of the element
// from the start of its opening tag to the end of its closing tag, valid only
// during the call. Return 0 to stop the walk.
typedef unsigned char (*XMLElementProc)(char* element, long length, void* context);

// Calls `proc` for every element of `key` in text order. The search resumes
// just behind each opening tag, so an element nested in another of the same
// key is visited again on its own after its parent. The closing tag is built
// from the key up to its first blank. Keys longer than 60 characters are
// refused (no call). An element whose copy cannot be allocated is skipped and
// the walk goes on; the result is then false (otherwise true), so that a
// caller that needs every element can tell.
bool EnumXMLData(const char* text, const char* key, XMLElementProc proc, void* context);
