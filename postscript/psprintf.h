// The formatted writer through which every snippet reaches the host's print
// stream: the page snippets and the document-info entries both use it.
#pragma once

#include <cstdint>

// Formats like printf into a 4096-byte buffer and hands the bytes to the
// host's print stream; at most 4095 bytes per call. Returns the bytes written.
int psPrintf(const char* format, ...);

// Where psPrintf's bytes go; null restores the host's print stream.
using PSSink = void (*)(const char* bytes, int32_t n, void* context);
void setPSSink(PSSink sink, void* context);
