#include "subhost/printjob.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace subhost {

namespace {

std::string num(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

// A PostScript string literal of `text`: bytes outside printable ASCII as
// octal escapes.
std::string psString(const std::string& text)
{
    std::string s = "(";
    for (unsigned char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            s += buf;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + ")";
}

// Draws a spread's boxes in host user space (spread coordinates moved by one
// point).
void drawBoxes(std::string& out, const Spread& spread)
{
    for (const Box& b : spread.boxes) {
        double x = b.left + 1, y = b.top + 1, w = b.right - b.left, h = b.bottom - b.top;
        if (b.fill) {
            const auto& c = *b.fill;
            out += "gsave " + (c.size() == 1 ? num(c[0]) + " setgray " :
                               num(c[0]) + " " + num(c[1]) + " " + num(c[2]) + " setrgbcolor ");
            out += num(x) + " " + num(y) + " " + num(w) + " " + num(h) + " rectfill grestore\n";
        }
        if (b.stroke > 0)
            out += "gsave 0 setgray " + num(b.stroke) + " setlinewidth " + num(x) + " " + num(y) + " " + num(w) + " " +
                   num(h) + " rectstroke grestore\n";
        if (!b.text.empty())
            out += "gsave /Helvetica findfont " + num(b.fontSize) + " scalefont setfont " + num(x) + " " +
                   num(y + b.fontSize) + " translate 1 -1 scale 0 0 moveto " + psString(b.text) +
                   " show grestore\n";
    }
}

struct OutPage {
    int page;        // the page number handed to the plug-in
    int spread;      // 0-based
    int firstInSpread; // position of the first printed page in its spread
    int pages;       // pages printed on this sheet
};

} // namespace

PrintReport printDocument(Host& host, std::string& out)
{
    Document* doc = host.currentDocument();
    if (doc == nullptr)
        throw std::runtime_error("no document to print");
    PrintReport report;
    out.clear();
    host.setStream(&out);
    const PrintSettings& ps = doc->print;

    // The sheets of the job, in page order.
    std::vector<OutPage> sheets;
    std::vector<PageRange> ranges = ps.ranges ? *ps.ranges : std::vector<PageRange>{{1, doc->pageCount()}};
    for (const PageRange& r : ranges)
        for (int p = r.first; p <= r.last; ++p) {
            int spread = 0, position = 0;
            if (!doc->locatePage(p, &spread, &position))
                continue;
            if (ps.wholeSpreads) {
                if (!sheets.empty() && sheets.back().spread == spread)
                    continue;
                sheets.push_back({doc->firstPageOfSpread(spread), spread, 0, doc->spreads[spread].pages});
            } else {
                sheets.push_back({p, spread, position, 1});
            }
        }

    // The media grows by the bleed on every side.
    double bleed = 0;
    if (ps.bleedBits & 0x600)
        bleed = ps.bleedAmount + ps.bleedOffset;
    if (host.options().bleed.state == ModuleState::Present)
        bleed = std::max(bleed, host.options().bleed.bleed);

    host.jobFile.clear();
    xtjobstartrec start{};
    start.hdr = xtcbheader{XT_CB_JOBSTART, sizeof start};
    start.kind = ps.jobKind;
    start.doc = host.currentRef();
    host.call(XT_CB_JOBSTART, &start.hdr);

    double maxW = 0;
    for (const OutPage& s : sheets)
        maxW = std::max(maxW, s.pages * doc->pageWidth);
    out += "%!PS-Adobe-3.0\n";
    out += "%%Creator: folantra-host\n";
    out += "%%Pages: " + std::to_string(sheets.size()) + "\n";
    out += "%%BoundingBox: 0 0 " + std::to_string(static_cast<long>(std::ceil(maxW + 2 * bleed))) + " " +
           std::to_string(static_cast<long>(std::ceil(doc->pageHeight + 2 * bleed))) + "\n";
    xtcommentrec comment{};
    comment.hdr = xtcbheader{XT_CB_PSCOMMENT, sizeof comment};
    comment.section = 0;
    comment.mayAdd = 0;
    host.call(XT_CB_PSCOMMENT, &comment.hdr);
    comment.section = 1;
    comment.mayAdd = 1;
    host.call(XT_CB_PSCOMMENT, &comment.hdr);
    out += "\n%%EndComments\n";
    out += "%%BeginProlog\n%%EndProlog\n";
    out += "%%BeginSetup\n";
    xtcbheader setup{XT_CB_DOCSETUP, sizeof(xtcbheader)};
    host.call(XT_CB_DOCSETUP, &setup);
    out += "\n%%EndSetup\n";

    int ordinal = 0;
    for (const OutPage& s : sheets) {
        ++ordinal;
        double w = s.pages * doc->pageWidth + 2 * bleed;
        double h = doc->pageHeight + 2 * bleed;
        double left = s.firstInSpread * doc->pageWidth; // printed area in spread coordinates
        double top = 0;
        out += "%%Page: " + std::to_string(s.page) + " " + std::to_string(ordinal) + "\n";
        out += "%%BeginPageSetup\n";
        out += "<< /PageSize [" + num(w) + " " + num(h) + "] >> setpagedevice\n";
        // Host user space: spread coordinates moved by one point, y down.
        std::string space = num(bleed - (left + 1)) + " " + num(bleed + top + 1 + doc->pageHeight) +
                            " translate 1 -1 scale\n";
        out += space;
        out += "%%EndPageSetup\n";
        xtpagerec page{};
        page.hdr = xtcbheader{XT_CB_PAGESETUP, sizeof page};
        page.page = static_cast<int16_t>(s.page);
        host.call(XT_CB_PAGESETUP, &page.hdr);
        // The page's content starts from the device space, so that a scale
        // applied just before it works about the page centre.
        out += "\ninitmatrix\n";
        page.hdr.code = XT_CB_PAGESCALE;
        host.call(XT_CB_PAGESCALE, &page.hdr);
        out += "\n" + space;
        drawBoxes(out, doc->spreads[s.spread]);
        out += "showpage\n";
        report.boxesAtPrint.push_back(static_cast<int>(doc->spreads[s.spread].boxes.size()));
        ++report.pagesWritten;
    }
    out += "%%Trailer\n%%EOF\n";
#if defined(_WIN32)
    // A Windows host ends its own lines with CR LF, as the plug-in does.
    std::string crlf;
    crlf.reserve(out.size() + out.size() / 16);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\n' && (i == 0 || out[i - 1] != '\r'))
            crlf += '\r';
        crlf += out[i];
    }
    out.swap(crlf);
#endif
    // A job sent to a file is complete on disk before the job ends.
    if (!host.jobFile.empty()) {
        try {
            writeFileAtomically(host.jobFile, out);
            report.file = host.jobFile;
        } catch (const std::exception& e) {
            report.fileError = e.what();
        }
    }

    xtcbheader end{XT_CB_JOBEND, sizeof(xtcbheader)};
    host.call(XT_CB_JOBEND, &end);
    host.setStream(nullptr);
    for (xtpageranges* r : host.rangeBlocks)
        std::free(r);
    host.rangeBlocks.clear();
    return report;
}

} // namespace subhost
