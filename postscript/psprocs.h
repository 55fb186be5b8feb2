// The print callbacks, the per-job state that gates them, and the formatted
// writer through which every snippet reaches the host's print stream.
#pragma once

#include "xthost.h"

#include <cstdint>

class MyArray;

// Per-job state, valid between job start and job end.
extern int32_t sJobType;         // 3 = a print job we serve; 0 = none
extern int32_t sJobDoc;          // document of the running job
extern double sPageWidth;        // points, measured at document setup
extern double sPageHeight;
extern int16_t sTrimBoxPref;     // preferences "TB" at job start
extern MyArray* sBlankPageBoxes; // temporary boxes on blank pages, or null
extern int32_t sPageItemCount;

void registerPSProcs();

// Formats like printf into a 4096-byte buffer and hands the bytes to the
// host's print stream; at most 4095 bytes per call. Returns the bytes written.
int psPrintf(const char* format, ...);

// Where psPrintf's bytes go; null restores the host's print stream.
using PSSink = void (*)(const char* bytes, int32_t n, void* context);
void setPSSink(PSSink sink, void* context);

// A page's rectangle in spread coordinates and its spread number.
bool xt_getpagerect(int16_t page, fixedrect* rect, int16_t* spread);
// Counts into sPageItemCount every box of the page's spread that meets the page.
void xt_enumpage(int16_t page);

// The handlers, as the host calls them; each runs through guardEntry
// (host/guard.h), so an exception inside ends that handler's work for this
// call and answers the host 0.
int32_t XTAPI psJobStart(xtcbheader* rec) noexcept;
int32_t XTAPI psJobEnd(xtcbheader* rec) noexcept;
int32_t XTAPI psDocSetup(xtcbheader* rec) noexcept;
int32_t XTAPI psComment(xtcbheader* rec) noexcept;
