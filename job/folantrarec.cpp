#include "job/folantrarec.h"

#include <cstring>

const char* const kFolantraKeys[9] = {"Folantra", "TrimBox", "PageBorder", "PrintToFile", "AskForName",
                                      "Distill",  "Scale",   "Layers",     "Folder"};

namespace {
FolantraRec sSysRec;  // settings of the current or next print job
FolantraRec sDocRec;  // working copy edited by the options pane

bool flagOn(int16_t index) { return getSetting(&sSysRec, index) == 1; }
} // namespace

FolantraRec* getSysRec() { return &sSysRec; }
FolantraRec* getDocRec() { return &sDocRec; }

void setSysRec(const FolantraRec* rec)
{
    if (rec != &sSysRec)
        std::memcpy(&sSysRec, rec, sizeof sSysRec);
}

void clearRec(FolantraRec* rec)
{
    std::memset(rec, 0, sizeof *rec);
    rec->scaleX = 1.0f;
    rec->scaleY = 1.0f;
}

bool sameRec(const FolantraRec* a, const FolantraRec* b) { return std::memcmp(a, b, sizeof *a) == 0; }

int16_t getSetting(const FolantraRec* rec, int16_t index)
{
    if (index < 0 || index > 7)
        return 0;
    return rec->flags[index];
}

bool getTrimBox() { return flagOn(kFlagTrimBox); }
bool getPageBorder() { return flagOn(kFlagPageBorder); }
bool getPrintToFile() { return flagOn(kFlagPrintToFile); }
bool getDistiller() { return flagOn(kFlagDistill); }

const char* getPSPath()
{
    if (!flagOn(kFlagPrintToFile) || sSysRec.psPath[0] == '\0')
        return nullptr;
    return sSysRec.psPath;
}
