#include "subhost/printjob.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace subhost {

namespace {

std::string num(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

std::string mediaNum(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::ceil(v * 100 - 1e-6) / 100);
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

// The job's PostScript on its way: into the job's file as it comes, and into
// memory when the caller keeps a copy.
class JobOutput : public JobStream {
public:
    explicit JobOutput(std::string* memory) : mMemory(memory)
    {
        if (mMemory)
            mMemory->clear();
    }

    void write(const char* bytes, std::size_t n) override
    {
        if (mMemory)
            mMemory->append(bytes, n);
        if (mFile)
            mFile->write(bytes, n);
    }
    // The host's own lines. A Windows host ends them with CR LF, as the
    // plug-in does.
    JobOutput& operator+=(const std::string& text)
    {
#if defined(_WIN32)
        std::string crlf;
        crlf.reserve(text.size() + text.size() / 16);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
                crlf += '\r';
            crlf += text[i];
        }
        write(crlf.data(), crlf.size());
#else
        write(text.data(), text.size());
#endif
        return *this;
    }
    JobOutput& operator+=(const char* text) { return *this += std::string(text); }

    // Starts the job's file; false with the reason when it cannot be made.
    bool openFile(const std::string& path, std::string& error)
    {
        try {
            mFile = std::make_unique<AtomicFileWriter>(path);
            return true;
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
    }
    // Puts the complete file in place; false with the reason when it fails.
    bool commitFile(std::string& error)
    {
        if (!mFile)
            return false;
        try {
            mFile->commit();
            return true;
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
    }

private:
    std::string* mMemory;
    std::unique_ptr<AtomicFileWriter> mFile;
};

// Draws a spread's boxes in host user space (spread coordinates moved by one
// point).
void drawBoxes(JobOutput& out, const Spread& spread)
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

PrintReport printDocument(Host& host, std::string& out) { return printDocument(host, &out, std::string()); }

PrintReport printDocument(Host& host, std::string* memory, const std::string& otherFile)
{
    Document* doc = host.currentDocument();
    if (doc == nullptr)
        throw std::runtime_error("no document to print");
    PrintReport report;
    JobOutput out(memory);
    host.setStream(&out);
    struct StreamEnds {
        Host& host;
        ~StreamEnds() { host.setStream(nullptr); }
    } streamEnds{host};
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
    // The job's file is settled at job start: the plug-in's, else the caller's.
    const std::string file = !host.jobFile.empty() ? host.jobFile : otherFile;
    bool toFile = !file.empty() && out.openFile(file, report.fileError);

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
        // The media size goes out in 1/100 pt, rounded up: a PDF writer keeps
        // no finer steps (Ghostscript rounds to the nearest), and rounding
        // down would leave the boxes grown by the bleed outside the MediaBox.
        out += "<< /PageSize [" + mediaNum(w) + " " + mediaNum(h) + "] >> setpagedevice\n";
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
    // A job sent to a file is complete on disk before the job ends.
    if (toFile && out.commitFile(report.fileError))
        (file == host.jobFile ? report.file : report.otherFile) = file;

    xtcbheader end{XT_CB_JOBEND, sizeof(xtcbheader)};
    host.call(XT_CB_JOBEND, &end);
    host.setStream(nullptr);
    for (const Spread& s : doc->spreads)
        for (const Box& b : s.boxes)
            report.temporaryBoxesLeft += b.temporary ? 1 : 0;
    for (xtpageranges* r : host.rangeBlocks)
        std::free(r);
    host.rangeBlocks.clear();
    return report;
}

} // namespace subhost
