// The job settings record: every option the plug-in applies to a print job.
#pragma once

#include <cstdint>

struct MetaData {
    char title[256];
    char author[256];
    char keywords[256];
};

// Flag indices into FolantraRec::flags; the pane's control ids equal them.
enum FolantraFlag : int16_t {
    kFlagReserved = 0,
    kFlagTrimBox = 1,
    kFlagPageBorder = 2,
    kFlagPrintToFile = 3,
    kFlagAskForName = 4,
    kFlagDistill = 5,
    kFlagScale = 6,
    kFlagLayers = 7,
};

struct FolantraRec {
    int8_t flags[8];   // 1 = on; any other value is off
    char folder[512];  // destination folder for print-to-file; empty = none
    char psPath[512];  // PostScript file of the running job; never stored
    float scaleX;      // 1.0 = 100 %
    float scaleY;
    MetaData metaData;
};

static_assert(sizeof(FolantraRec) == 8 + 512 + 512 + 4 + 4 + 3 * 256, "no padding: records compare byte for byte");

// The key names: index 0 the product word, 1 to 7 the flag keys, 8 "Folder".
extern const char* const kFolantraKeys[9];
inline constexpr const char* kProductWord = "Folantra";
inline constexpr const char* kVersionText = "4.20";

FolantraRec* getSysRec();
FolantraRec* getDocRec();
void setSysRec(const FolantraRec* rec);
// All bytes zero, then scale 1.0 in both directions.
void clearRec(FolantraRec* rec);
// Whole-record comparison, every byte included (string tails too).
bool sameRec(const FolantraRec* a, const FolantraRec* b);

int16_t getSetting(const FolantraRec* rec, int16_t index);
bool getTrimBox();
bool getPageBorder();
bool getPrintToFile();
bool getDistiller();
// The job's PostScript path when print-to-file is on and a path is set; else null.
const char* getPSPath();
