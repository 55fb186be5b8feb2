#include "postscript/pageboxes.h"

#include "host/guard.h"
#include "host/startup.h"
#include "host/xtcalls.h"
#include "job/folantrarec.h"
#include "postscript/psprocs.h"
#include "settings/prefs.h"
#include "util/platform.h"

#include <algorithm>

namespace {
constexpr double kFixedToPoints = 1.52587890625e-5;

// Pages in the spread that holds `pnd`, when spreads print whole.
int pagesInSpread(const pagenumdata& pnd)
{
    int32_t bytes = 0;
    int16_t* list = xtSpreadToPages(pnd.spread, &bytes);
    if (list == nullptr)
        return 1;
    xtDisposeBlock(list);
    return bytes / 2 > 0 ? bytes / 2 : 1;
}
} // namespace

float getBleed()
{
    xtprintsettings settings;
    getSysPrVars(&settings);
    float a = 0.0f;
    if (settings.flags & XT_PRINT_BLEEDMASK) {
        int64_t sum = static_cast<int64_t>(settings.bleedAmount) + settings.bleedOffset;
        a = static_cast<float>(sum) * static_cast<float>(kFixedToPoints);
    }
    float b = 0.0f;
    xtfixed bleed = 0;
    if (bleedAvail == 1 && xtBleedOfDocument(xtCurrentDoc(), &bleed))
        b = static_cast<float>(bleed) * static_cast<float>(kFixedToPoints);
    return std::max(a, b);
}

void writePageSnippet(const PageBoxGeometry& g, const PageBoxOptions& o)
{
    if (o.boxBlock) {
        psPrintf(PSEOL "\t%%\tFolantra" PSEOL PSEOL "10 dict begin" PSEOL
                 "\t/m matrix currentmatrix matrix defaultmatrix matrix invertmatrix matrix concatmatrix def" PSEOL
                 "\t%.3f %.3f m transform /y1 exch def /x1 exch def" PSEOL
                 "\t%.3f %.3f add %.3f m transform /y2 exch def /x2 exch def" PSEOL
                 "\t/pdfmark where {pop [{ThisPage} <</TrimBox [x1 y1 x2 y2]>> /PUT pdfmark} if" PSEOL,
                 g.left, g.top + g.height, g.left, g.width, g.top);
        if (!o.grownBoxes) {
            // A distiller older than version 5000 gets a Folantra box equal to
            // the device page size.
            psPrintf("\t/currentdistillerparams where {pop currentdistillerparams /CoreDistVersion get 5000 lt}{false} "
                     "ifelse" PSEOL "\t\t{" PSEOL "\t\t/pg currentpagedevice /PageSize get def" PSEOL
                     "\t\t[{ThisPage} <</Folantra [0 0 pg 0 get pg 1 get]>> /PUT pdfmark" PSEOL "\t\t} if" PSEOL);
        } else {
            psPrintf("\t/d %.3f def" PSEOL, g.bleed);
            psPrintf("\t/x1 x1 d sub def" PSEOL "\t/y1 y1 d sub def" PSEOL "\t/x2 x2 d add def" PSEOL
                     "\t/y2 y2 d add def" PSEOL);
            if (o.cropBox)
                psPrintf("\t/pdfmark where {pop [{ThisPage} <</CropBox [x1 y1 x2 y2]>> /PUT pdfmark} if" PSEOL);
            if (o.bleedBox)
                psPrintf("\t/pdfmark where {pop [{ThisPage} <</BleedBox [x1 y1 x2 y2]>> /PUT pdfmark} if" PSEOL);
            if (o.folantraBox)
                psPrintf("\t/pdfmark where {pop [{ThisPage} <</Folantra [x1 y1 x2 y2]>> /PUT pdfmark} if" PSEOL);
        }
        psPrintf("end" PSEOL PSEOL);
    }
    if (o.border)
        psPrintf("\tgsave 0 setgray .25 setlinewidth %.3f %.3f %.3f %.3f rectstroke grestore" PSEOL PSEOL, g.left,
                 g.top, g.width, g.height);
}

void writeScaleSnippet(float scaleX, float scaleY)
{
    psPrintf(PSEOL "\t%%\tFolantra" PSEOL PSEOL "10 dict begin" PSEOL "\t/scX %.4f def /scY %.4f def" PSEOL
                   "\t/pg currentpagedevice /PageSize get def" PSEOL
                   "\t1 scX sub 2 div pg 0 get mul 1 scY sub 2 div pg 1 get mul translate" PSEOL
                   "\tscX scY scale" PSEOL "end" PSEOL PSEOL,
             static_cast<double>(scaleX), static_cast<double>(scaleY));
}

int32_t XTAPI psPageSetup(xtcbheader* rec) noexcept
{
    return guardEntry("psPageSetup", int32_t{0}, [rec] {
        auto* page = reinterpret_cast<xtpagerec*>(rec);
        if (sJobType != 3 || page == nullptr)
            return int32_t{0};
        xtprintsettings settings;
        getSysPrVars(&settings);
        pagenumdata pnd;
        xtGetPageNumData(page->page, &pnd);
        int n = (settings.flags & XT_PRINT_SPREADS) ? pagesInSpread(pnd) : 1;

        fixedrect origin{0, 0, 100 * 65536, 100 * 65536};
        xtPageToSpread(&pnd, &origin);
        xtOffsetRect(&origin, 65536, 65536);

        PageBoxGeometry g;
        g.width = n * sPageWidth;
        g.height = sPageHeight;
        g.left = origin.left * kFixedToPoints;
        g.top = origin.top * kFixedToPoints;
        g.bleed = getBleed();

        PageBoxOptions o;
        o.boxBlock = sTrimBoxPref == 1 || getTrimBox();
        o.grownBoxes = getTrimBox();
        o.cropBox = prefInt("CropBox", 1) == 1;
        o.bleedBox = prefInt("BleedBox", 1) == 1;
        o.folantraBox = prefInt("Folantra", 1) == 1;
        o.border = getPageBorder();
        writePageSnippet(g, o);
        return int32_t{0};
    });
}

int32_t XTAPI psPageScale(xtcbheader*) noexcept
{
    return guardEntry("psPageScale", int32_t{0}, [] {
        const FolantraRec* sys = getSysRec();
        if (sJobType != 3 || getSetting(sys, kFlagScale) != 1)
            return int32_t{0};
        if (sys->scaleX == 1.0f && sys->scaleY == 1.0f)
            return int32_t{0};
        xtprintsettings settings;
        getSysPrVars(&settings);
        if ((settings.output & 7) != 1)
            return int32_t{0};
        writeScaleSnippet(sys->scaleX, sys->scaleY);
        return int32_t{0};
    });
}
