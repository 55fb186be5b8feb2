#include "job/folantrarec.h"

#include <cstring>
#include <stdexcept>

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

RecText recText(FolantraRec* rec, RecField field)
{
    switch (field) {
    case RecField::Folder: return {rec->folder, static_cast<int32_t>(sizeof rec->folder)};
    case RecField::Title: return {rec->metaData.title, static_cast<int32_t>(sizeof rec->metaData.title)};
    case RecField::Author: return {rec->metaData.author, static_cast<int32_t>(sizeof rec->metaData.author)};
    case RecField::Keywords: return {rec->metaData.keywords, static_cast<int32_t>(sizeof rec->metaData.keywords)};
    default: throw std::logic_error("no text field of the record");
    }
}

float* recScale(FolantraRec* rec, RecField field)
{
    switch (field) {
    case RecField::ScaleX: return &rec->scaleX;
    case RecField::ScaleY: return &rec->scaleY;
    default: throw std::logic_error("no scale field of the record");
    }
}

int16_t getSetting(const FolantraRec* rec, int16_t index)
{
    if (index < 0 || index >= kFlagCount)
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
