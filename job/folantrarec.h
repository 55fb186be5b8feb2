// The job settings record: every option the plug-in applies to a print job.
#pragma once

#include "job/options.h"

#include <cstdint>

struct MetaData {
    char title[256];
    char author[256];
    char keywords[256];
};

struct FolantraRec {
    int8_t flags[kFlagCount]; // by flag index (job/options.h); 1 = on, any other value is off
    char folder[512];  // destination folder for print-to-file; empty = none
    char psPath[512];  // PostScript file of the running job; never stored
    float scaleX;      // 1.0 = 100 %
    float scaleY;
    MetaData metaData;
};

static_assert(sizeof(FolantraRec) == kFlagCount + 512 + 512 + 4 + 4 + 3 * 256, "no padding: records compare byte for byte");

inline constexpr const char* kProductWord = "Folantra";
inline constexpr const char* kVersionText = "4.20";

FolantraRec* getSysRec();
FolantraRec* getDocRec();
void setSysRec(const FolantraRec* rec);
// All bytes zero, then scale 1.0 in both directions.
void clearRec(FolantraRec* rec);
// Whole-record comparison, every byte included (string tails too).
bool sameRec(const FolantraRec* a, const FolantraRec* b);

// A text field of the record named in the option table, with its capacity
// (terminator included); a scale field. A field of the other sort throws.
struct RecText {
    char* chars;
    int32_t size;
};
RecText recText(FolantraRec* rec, RecField field);
float* recScale(FolantraRec* rec, RecField field);
inline const char* recTextOf(const FolantraRec* rec, RecField field)
{
    return recText(const_cast<FolantraRec*>(rec), field).chars;
}
inline float recScaleOf(const FolantraRec* rec, RecField field) { return *recScale(const_cast<FolantraRec*>(rec), field); }

int16_t getSetting(const FolantraRec* rec, int16_t index);
bool getTrimBox();
bool getPageBorder();
bool getPrintToFile();
bool getDistiller();
// The job's PostScript path when print-to-file is on and a path is set; else null.
const char* getPSPath();
