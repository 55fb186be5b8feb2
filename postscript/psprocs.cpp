#include "postscript/psprocs.h"

#include "host/guard.h"
#include "host/startup.h"
#include "host/xtcalls.h"
#include "job/folantrarec.h"
#include "output/printtofile.h"
#include "postscript/metadata.h"
#include "postscript/pageboxes.h"
#include "postscript/psprintf.h"
#include "settings/prefs.h"
#include "util/myarray.h"
#include "util/platform.h"


int32_t sJobType = 0;
int32_t sJobDoc = 0;
double sPageWidth = 0.0;
double sPageHeight = 0.0;
int16_t sTrimBoxPref = 1;
MyArray* sBlankPageBoxes = nullptr;
int32_t sPageItemCount = 0;

namespace {
constexpr double kFixedToPoints = 1.0 / 65536.0;

void deleteBlankPageBoxes()
{
    if (sBlankPageBoxes == nullptr)
        return;
    for (int32_t i = 0; i < sBlankPageBoxes->count(); ++i)
        if (auto* box = static_cast<xtboxref*>(sBlankPageBoxes->getElem(i)))
            xtDeleteBox(*box);
    delete sBlankPageBoxes;
    sBlankPageBoxes = nullptr;
}

// Places one temporary, empty box on a page that has no items, so that the
// page goes out like any other.
void prepareBlankPage(int16_t page)
{
    fixedrect rect;
    int16_t spread = 0;
    if (!xt_getpagerect(page, &rect, &spread) || spread <= 0)
        return;
    xtOffsetRect(&rect, -65536, -65536);
    xtboxdesc* desc = xtNewTextBoxDesc(sJobDoc);
    if (desc == nullptr)
        return;
    desc->bounds = rect;
    desc->frameWidth = 0;
    desc->runaround = 0;
    xtboxref box = 0;
    if (xtCreateBox(sJobDoc, desc, spread, &box)) {
        int32_t before = sBlankPageBoxes->count();
        sBlankPageBoxes->addElem(&box);
        xtReleaseBoxFields(box);
        // A box the list could not take would outlive the job: remove it now.
        if (sBlankPageBoxes->count() == before && sBlankPageBoxes->getPos(&box) < 0)
            xtDeleteBox(box);
    }
    xtReleaseTextBoxDesc(desc);
}

void prepareBlankPages()
{
    const xtpageranges* ranges = xtGetPageRanges();
    if (ranges == nullptr)
        return;
    int16_t count = xtPageCount(sJobDoc);
    deleteBlankPageBoxes();
    sBlankPageBoxes = new MyArray(count, static_cast<int32_t>(sizeof(xtboxref)));
    for (int16_t r = 0; r < ranges->count; ++r) {
        const xtpagerange range = ranges->ranges[r];
        for (int32_t p = range.first; p <= range.last; ++p) {
            sPageItemCount = 0;
            xt_enumpage(static_cast<int16_t>(p));
            if (sPageItemCount == 0)
                prepareBlankPage(static_cast<int16_t>(p));
        }
    }
}
} // namespace

bool xt_getpagerect(int16_t page, fixedrect* rect, int16_t* spread)
{
    pagenumdata pnd;
    xtfixed width = 0, height = 0;
    if (!xtGetPageNumData(page, &pnd) || !xtDocPageWidth(sJobDoc, &width) || !xtDocPageHeight(sJobDoc, &height))
        return false;
    *rect = fixedrect{0, 0, height, width};
    if (!xtPageToSpread(&pnd, rect))
        return false;
    *spread = pnd.spread;
    return true;
}

void xt_enumpage(int16_t page)
{
    fixedrect pageRect;
    int16_t spread = 0;
    if (!xt_getpagerect(page, &pageRect, &spread))
        return;
    xtboxref box = 0;
    for (bool more = xtFirstBox(sJobDoc, spread, &box); more; more = xtNextBox(box, &box)) {
        fixedrect bounds;
        if (xtBoxBounds(box, &bounds) && xtRectsMeet(&bounds, &pageRect))
            ++sPageItemCount;
    }
}

int32_t XTAPI psJobStart(xtcbheader* rec) noexcept
{
    return guardEntry("psJobStart", int32_t{0}, [rec] {
        auto* job = reinterpret_cast<xtjobstartrec*>(rec);
        if (pdfActive == 1 && xtPdfWantsOut()) {
            sJobType = 0;
            return int32_t{0};
        }
        sJobType = job ? job->kind : 0;
        if (sJobType != 3)
            return int32_t{0};
        sJobDoc = job->doc;
        xtprintsettings settings;
        getSysPrVars(&settings);
        if (settings.flags & XT_PRINT_BLANKPAGES)
            prepareBlankPages();
        sTrimBoxPref = static_cast<int16_t>(prefInt("TB", 1));
        if (getPrintToFile())
            setFileDestination();
        return int32_t{0};
    });
}

int32_t XTAPI psJobEnd(xtcbheader*) noexcept
{
    // The temporary boxes go even when starting the distiller failed (out of
    // memory): they must not outlive the job in the document.
    guardEntry("psJobEnd", int32_t{0}, [] {
        sJobType = 0;
        runDistillerStep();
        return int32_t{0};
    });
    return guardEntry("psJobEnd", int32_t{0}, [] {
        deleteBlankPageBoxes();
        return int32_t{0};
    });
}

int32_t XTAPI psDocSetup(xtcbheader*) noexcept
{
    return guardEntry("psDocSetup", int32_t{0}, [] {
        if (sJobType != 3)
            return int32_t{0};
        xtfixed width = 0, height = 0;
        xtDocPageWidth(sJobDoc, &width);
        xtDocPageHeight(sJobDoc, &height);
        sPageWidth = width * kFixedToPoints;
        sPageHeight = height * kFixedToPoints;
        writeMetaData();
        fixedrect first;
        int16_t spread = 0;
        if (xt_getpagerect(1, &first, &spread))
            sPageWidth = (first.right - first.left) * kFixedToPoints;
        return int32_t{0};
    });
}

int32_t XTAPI psComment(xtcbheader* rec) noexcept
{
    return guardEntry("psComment", int32_t{0}, [rec] {
        auto* comment = reinterpret_cast<xtcommentrec*>(rec);
        if (sJobType == 3 && comment != nullptr && comment->mayAdd == 1)
            psPrintf("%%%%%s: %s" PSEOL, kProductWord, kVersionText);
        return int32_t{0};
    });
}

void registerPSProcs()
{
    // The Windows build registers the scale snippet too, so its users get the
    // same asymmetric scale.
    xtRegisterCallback(XT_CB_PAGESCALE, psPageScale, 10);
    xtRegisterCallback(XT_CB_PAGESETUP, psPageSetup, 200);
    xtRegisterCallback(XT_CB_JOBSTART, psJobStart, 300);
    xtRegisterCallback(XT_CB_JOBEND, psJobEnd, 200);
    xtRegisterCallback(XT_CB_DOCSETUP, psDocSetup, 300);
    xtRegisterCallback(XT_CB_PSCOMMENT, psComment, 200);
}
