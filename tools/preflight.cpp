#include "tools/preflight.h"
#include "subhost/counted.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace preflight {

namespace {

std::optional<Rect> rectOf(QPDFObjectHandle o)
{
    if (!o.isArray() || o.getArrayNItems() != 4)
        return std::nullopt;
    Rect r{};
    for (int i = 0; i < 4; ++i) {
        QPDFObjectHandle n = o.getArrayItem(i);
        if (!n.isNumber())
            return std::nullopt;
        r[static_cast<std::size_t>(i)] = n.getNumericValue();
    }
    return r;
}

std::string num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

std::string rectText(const Rect& r) { return num(r[0]) + " " + num(r[1]) + " " + num(r[2]) + " " + num(r[3]); }

bool inside(const Rect& inner, const Rect& outer, double tolerance)
{
    return inner[0] >= outer[0] - tolerance && inner[1] >= outer[1] - tolerance &&
           inner[2] <= outer[2] + tolerance && inner[3] <= outer[3] + tolerance;
}

// Collects per-page fault texts into faults over page ranges: pages with the
// same text share one fault.
class FaultList {
public:
    void add(int page, const std::string& text)
    {
        for (Fault& f : mFaults)
            if (f.text == text) {
                f.pages.push_back(page);
                return;
            }
        mFaults.push_back(Fault{{page}, text});
    }
    std::vector<Fault> take() { return std::move(mFaults); }

private:
    std::vector<Fault> mFaults;
};

} // namespace

Pdf read(const std::string& file)
{
    Pdf pdf;
    pdf.file = file;
    try {
        QPDF q;
        // Ghostscript 10.0 writes a broken metadata stream for text outside
        // the BMP; the page and info dictionaries stay sound.
        q.setSuppressWarnings(true);
        q.processFile(file.c_str());
        for (QPDFPageObjectHelper& helper : QPDFPageDocumentHelper(q).getAllPages()) {
            Page page;
            QPDFObjectHandle dict = helper.getObjectHandle();
            for (const std::string& key : dict.getKeys())
                if (auto r = rectOf(dict.getKey(key)))
                    page.boxes[key.substr(1)] = *r;
            for (const char* inherited : {"/MediaBox", "/CropBox"})
                if (auto r = rectOf(helper.getAttribute(inherited, false)))
                    page.boxes[inherited + 1] = *r;
            // A turn that is not a multiple of 90 degrees is not valid; viewers
            // and Ghostscript show such a page upright.
            QPDFObjectHandle rotate = helper.getAttribute("/Rotate", false);
            if (rotate.isInteger()) {
                long long turn = rotate.getIntValue() % 360;
                if (turn < 0)
                    turn += 360;
                page.rotate = turn % 90 == 0 ? static_cast<int>(turn) : 0;
            }
            pdf.pages.push_back(std::move(page));
        }
        QPDFObjectHandle info = q.getTrailer().getKey("/Info");
        if (info.isDictionary()) {
            pdf.hasInfo = true;
            for (const std::string& key : info.getKeys()) {
                QPDFObjectHandle v = info.getKey(key);
                if (v.isString())
                    pdf.info[key.substr(1)] = v.getUTF8Value();
            }
        }
    } catch (const std::exception& e) {
        std::string what = e.what();
        throw std::runtime_error(what.find(file) != std::string::npos ? what : file + ": " + what);
    }
    return pdf;
}

std::vector<PageGroup> groupPages(const Pdf& pdf)
{
    std::vector<PageGroup> groups;
    auto same = [](const Page& a, const Page& b) {
        if (a.rotate != b.rotate)
            return false;
        for (const char* name : kBoxNames) {
            const Rect* x = a.box(name);
            const Rect* y = b.box(name);
            if ((x == nullptr) != (y == nullptr) || (x != nullptr && *x != *y))
                return false;
        }
        return true;
    };
    for (std::size_t i = 0; i < pdf.pages.size(); ++i) {
        const Page& p = pdf.pages[i];
        auto it = std::find_if(groups.begin(), groups.end(), [&](const PageGroup& g) { return same(*g.page, p); });
        if (it == groups.end())
            groups.push_back(PageGroup{{static_cast<int>(i + 1)}, &p});
        else
            it->pages.push_back(static_cast<int>(i + 1));
    }
    return groups;
}

std::string rangesText(const std::vector<int>& pages)
{
    std::string out;
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            ++j;
        out += (out.empty() ? "" : ", ") + std::to_string(pages[i]);
        if (j > i)
            out += "-" + std::to_string(pages[j]);
        i = j + 1;
    }
    return out;
}

std::vector<Check> check(const Pdf& pdf, const Options& options)
{
    const double tol = options.tolerance;
    std::vector<Check> checks;

    FaultList sized, trim, nested, crop, bleed;
    for (std::size_t i = 0; i < pdf.pages.size(); ++i) {
        const int page = static_cast<int>(i + 1);
        const Page& p = pdf.pages[i];
        for (const char* name : kBoxNames)
            if (const Rect* r = p.box(name))
                if (r->at(2) - r->at(0) <= 0 || r->at(3) - r->at(1) <= 0)
                    sized.add(page, std::string(name) + " [" + rectText(*r) + "] has a zero or negative " +
                                        (r->at(2) - r->at(0) <= 0 ? "width" : "height"));
        const Rect* media = p.box("MediaBox");
        const Rect* trimBox = p.box("TrimBox");
        const Rect* bleedBox = p.box("BleedBox");
        if (media == nullptr)
            sized.add(page, "no MediaBox");
        if (trimBox == nullptr)
            trim.add(page, "no TrimBox");
        if (trimBox != nullptr && bleedBox != nullptr && !inside(*trimBox, *bleedBox, tol))
            nested.add(page, "TrimBox [" + rectText(*trimBox) + "] lies outside BleedBox [" + rectText(*bleedBox) + "]");
        if (bleedBox != nullptr && media != nullptr && !inside(*bleedBox, *media, tol))
            nested.add(page, "BleedBox [" + rectText(*bleedBox) + "] lies outside MediaBox [" + rectText(*media) + "]");
        if (trimBox != nullptr && bleedBox == nullptr && media != nullptr && !inside(*trimBox, *media, tol))
            nested.add(page, "TrimBox [" + rectText(*trimBox) + "] lies outside MediaBox [" + rectText(*media) + "]");
        if (options.expectCropBox && bleedBox != nullptr && !p.has("CropBox"))
            crop.add(page, "a BleedBox but no CropBox");
        if (options.bleed) {
            if (trimBox == nullptr || bleedBox == nullptr) {
                bleed.add(page, trimBox == nullptr ? "no TrimBox to measure the bleed from" : "no BleedBox");
            } else {
                const double sides[4] = {trimBox->at(0) - bleedBox->at(0), trimBox->at(1) - bleedBox->at(1),
                                         bleedBox->at(2) - trimBox->at(2), bleedBox->at(3) - trimBox->at(3)};
                const char* sideNames[4] = {"left", "bottom", "right", "top"};
                std::string off;
                for (int s = 0; s < 4; ++s)
                    if (std::fabs(sides[s] - *options.bleed) > tol)
                        off += (off.empty() ? "" : ", ") + std::string(sideNames[s]) + " " + num(sides[s]);
                if (!off.empty())
                    bleed.add(page, "bleed " + off + " pt");
            }
        }
    }
    checks.push_back(Check{"every page has a MediaBox, and no box has a zero or negative size", sized.take()});
    checks.push_back(Check{"every page has a TrimBox", trim.take()});
    checks.push_back(Check{"TrimBox inside BleedBox inside MediaBox (tolerance " + num(tol) + " pt)", nested.take()});
    if (options.expectCropBox)
        checks.push_back(Check{"a CropBox on every page with a BleedBox", crop.take()});
    if (options.bleed) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", *options.bleed);
        checks.push_back(Check{std::string("BleedBox = TrimBox grown by the job's bleed of ") + buf + " pt", bleed.take()});
    }
    std::vector<Fault> info;
    if (!pdf.hasInfo)
        info.push_back(Fault{{}, "the PDF has no document info"});
    else if (pdf.info.count("Title") == 0 || pdf.info.at("Title").empty())
        info.push_back(Fault{{}, "the document info has no title"});
    checks.push_back(Check{"document info present, with a title", info});
    return checks;
}

bool allPassed(const std::vector<Check>& checks)
{
    return std::all_of(checks.begin(), checks.end(), [](const Check& c) { return c.passed(); });
}

namespace {
std::string pagesLabel(const std::vector<int>& pages)
{
    if (pages.empty())
        return "";
    std::string r = rangesText(pages);
    if (pages.size() == 1)
        return "page " + r;
    return "pages " + r + " (" + subhost::counted(pages.size(), "page", "pages") + ")";
}
} // namespace

std::string report(const Pdf& pdf, const std::vector<Check>& checks)
{
    std::string out = pdf.file + ": " + subhost::counted(pdf.pages.size(), "page", "pages") + "\n";
    for (const PageGroup& g : groupPages(pdf)) {
        out += pagesLabel(g.pages) + ":\n";
        if (g.page->rotate != 0)
            out += "  shown turned " + std::to_string(g.page->rotate) + " degrees clockwise (/Rotate)\n";
        for (const char* name : kBoxNames) {
            char line[160];
            const Rect* r = g.page->box(name);
            if (r == nullptr)
                std::snprintf(line, sizeof line, "  %-9s -\n", name);
            else
                std::snprintf(line, sizeof line, "  %-9s %-40s %.3f x %.3f pt\n", name, rectText(*r).c_str(),
                              r->at(2) - r->at(0), r->at(3) - r->at(1));
            out += line;
        }
    }
    out += "document info:";
    out += pdf.hasInfo ? "\n" : " none\n";
    for (const auto& [key, value] : pdf.info)
        out += "  " + key + ": " + value + "\n";
    out += "checks:\n";
    int passed = 0;
    for (const Check& c : checks) {
        out += std::string(c.passed() ? "  passed  " : "  FAILED  ") + c.name + "\n";
        passed += c.passed() ? 1 : 0;
        for (const Fault& f : c.faults)
            out += "          " + (f.pages.empty() ? std::string() : pagesLabel(f.pages) + ": ") + f.text + "\n";
    }
    out += "preflight " + std::string(allPassed(checks) ? "passed" : "failed") + ": " + std::to_string(passed) +
           " of " + subhost::counted(checks.size(), "check", "checks") + " passed\n";
    return out;
}

nlohmann::ordered_json reportJson(const Pdf& pdf, const std::vector<Check>& checks)
{
    using oj = nlohmann::ordered_json;
    oj j;
    j["file"] = pdf.file;
    j["pages"] = pdf.pages.size();
    oj groups = oj::array();
    for (const PageGroup& g : groupPages(pdf)) {
        oj boxes = oj::object();
        for (const char* name : kBoxNames)
            if (const Rect* r = g.page->box(name))
                boxes[name] = {r->at(0), r->at(1), r->at(2), r->at(3)};
            else
                boxes[name] = nullptr;
        groups.push_back({{"pages", rangesText(g.pages)}, {"count", g.pages.size()}, {"rotate", g.page->rotate},
                          {"boxes", boxes}});
    }
    j["pageGroups"] = groups;
    j["info"] = pdf.hasInfo ? oj(pdf.info) : oj(nullptr);
    oj list = oj::array();
    for (const Check& c : checks) {
        oj faults = oj::array();
        for (const Fault& f : c.faults)
            faults.push_back({{"pages", rangesText(f.pages)}, {"fault", f.text}});
        list.push_back({{"check", c.name}, {"passed", c.passed()}, {"faults", faults}});
    }
    j["checks"] = list;
    j["passed"] = allPassed(checks);
    return j;
}

RunResult runProgram(const std::vector<std::string>& args)
{
    if (args.empty())
        throw std::runtime_error("no program to run");
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot run " + args[0] + ": " + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    pid_t pid = 0;
    int err = ::posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (err != 0) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(err));
    }
    RunResult result;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Colour boxColour(const std::string& name)
{
    if (name == "MediaBox")
        return {0.15, 0.15, 0.15};
    if (name == "CropBox")
        return {0.0, 0.62, 0.0};
    if (name == "BleedBox")
        return {0.0, 0.35, 1.0};
    if (name == "TrimBox")
        return {0.9, 0.0, 0.0};
    return {1.0, 0.5, 0.0}; // Folantra
}

namespace {

struct Surface {
    cairo_surface_t* s;
    explicit Surface(cairo_surface_t* surface) : s(surface) {}
    ~Surface() { cairo_surface_destroy(s); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};

struct Context {
    cairo_t* c;
    explicit Context(cairo_surface_t* s) : c(cairo_create(s)) {}
    ~Context() { cairo_destroy(c); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};

void setDash(cairo_t* cr, const std::string& name)
{
    static const double dashed[] = {7, 4};
    static const double dotted[] = {2, 3};
    if (name == "CropBox")
        cairo_set_dash(cr, dashed, 2, 0);
    else if (name == "Folantra")
        cairo_set_dash(cr, dotted, 2, 0);
    else
        cairo_set_dash(cr, nullptr, 0, 0);
}

// One preview: the rendered page on a grey ground, the boxes over it and the
// legend below.
void composePreview(const std::string& rendered, const Page& page, int number, int count, const std::string& file,
                    const std::string& out)
{
    Surface image(cairo_image_surface_create_from_png(rendered.c_str()));
    if (cairo_surface_status(image.s) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot read the page Ghostscript rendered: " + rendered);
    const int iw = cairo_image_surface_get_width(image.s);
    const int ih = cairo_image_surface_get_height(image.s);
    const Rect media = page.has("MediaBox") ? *page.box("MediaBox") : Rect{0, 0, 612, 792};
    // Ghostscript renders the page turned as /Rotate asks: the boxes turn with it.
    const bool sideways = page.rotate == 90 || page.rotate == 270;
    const double mw = media[2] - media[0], mh = media[3] - media[1];
    const double sx = iw / (sideways ? mh : mw);
    const double sy = ih / (sideways ? mw : mh);
    const int margin = 24, row = 18;
    const int legendRows = 1 + static_cast<int>(std::size(kBoxNames));
    const int width = std::max(iw + 2 * margin, 560);
    const int height = ih + 2 * margin + legendRows * row + 12;
    const double left = (width - iw) / 2.0, top = margin;

    Surface canvas(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    Context ctx(canvas.s);
    cairo_t* cr = ctx.c;
    cairo_set_source_rgb(cr, 0.82, 0.82, 0.82);
    cairo_paint(cr);
    cairo_set_source_surface(cr, image.s, left, top);
    cairo_paint(cr);

    // A point of the page (default user space) on the picture: distances from
    // the MediaBox's lower left corner, turned clockwise as the page is shown.
    auto onPicture = [&](double x, double y) {
        const double u = x - media[0], v = y - media[1];
        double px = u, py = mh - v; // upright: y runs down on the picture
        switch (page.rotate) {
        case 90: px = v; py = u; break;
        case 180: px = mw - u; py = v; break;
        case 270: px = mh - v; py = mw - u; break;
        default: break;
        }
        return std::pair<double, double>{left + px * sx, top + py * sy};
    };
    cairo_set_line_width(cr, 1.5);
    for (const char* name : {"MediaBox", "BleedBox", "CropBox", "Folantra", "TrimBox"}) {
        const Rect* r = page.box(name);
        if (r == nullptr)
            continue;
        Colour c = boxColour(name);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        setDash(cr, name);
        auto [x1, y1] = onPicture(r->at(0), r->at(1));
        auto [x2, y2] = onPicture(r->at(2), r->at(3));
        cairo_rectangle(cr, std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1), std::fabs(y2 - y1));
        cairo_stroke(cr);
    }

    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    double y = top + ih + margin + 4;
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::string heading = "page " + std::to_string(number) + " of " + std::to_string(count) + " - " +
                          fs::path(file).filename().string();
    if (page.rotate != 0)
        heading += " - shown turned " + std::to_string(page.rotate) + " degrees clockwise";
    cairo_move_to(cr, 12, y);
    cairo_show_text(cr, heading.c_str());
    for (const char* name : kBoxNames) {
        y += row;
        const Rect* r = page.box(name);
        Colour c = boxColour(name);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        setDash(cr, name);
        cairo_set_line_width(cr, 2.5);
        cairo_move_to(cr, 14, y - 4);
        cairo_line_to(cr, 44, y - 4);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        std::string text = std::string(name) + "  ";
        if (r == nullptr) {
            text += "none";
        } else {
            char size[64];
            std::snprintf(size, sizeof size, "  (%.3f x %.3f pt)", r->at(2) - r->at(0), r->at(3) - r->at(1));
            text += rectText(*r) + size;
            // Boxes that coincide share one outline: say which.
            for (const char* earlier : kBoxNames) {
                if (std::string(earlier) == name)
                    break;
                if (const Rect* e = page.box(earlier); e != nullptr && *e == *r) {
                    text += std::string("  = ") + earlier;
                    break;
                }
            }
        }
        cairo_move_to(cr, 52, y);
        cairo_show_text(cr, text.c_str());
    }
    cairo_surface_flush(canvas.s);
    if (cairo_surface_write_to_png(canvas.s, out.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + out + ": " + std::strerror(errno));
}

} // namespace

std::vector<std::string> writePreviews(const Pdf& pdf, const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir))
        throw std::runtime_error("cannot create the folder " + dir + ": " +
                                 (ec ? ec.message() : std::string("a file of that name is in the way")));
    // One resolution for the whole file: the largest page about 900 pixels.
    double largest = 1;
    for (const Page& p : pdf.pages)
        if (const Rect* m = p.box("MediaBox"))
            largest = std::max({largest, m->at(2) - m->at(0), m->at(3) - m->at(1)});
    const double dpi = std::clamp(900.0 * 72.0 / largest, 24.0, 150.0);
    char res[32];
    std::snprintf(res, sizeof res, "-r%.2f", dpi);

    fs::path scratch = fs::path(dir) / (".rendering-" + std::to_string(::getpid()));
    fs::create_directories(scratch, ec);
    if (ec)
        throw std::runtime_error("cannot create the folder " + scratch.string() + ": " + ec.message());
    struct Cleanup {
        fs::path p;
        ~Cleanup()
        {
            std::error_code e;
            fs::remove_all(p, e);
        }
    } cleanup{scratch};

    RunResult gs = runProgram({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=png16m", res,
                               "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4", "-o",
                               (scratch / "page-%d.png").string(), pdf.file});
    if (gs.status != 0)
        throw std::runtime_error("Ghostscript could not render " + pdf.file + " (exit status " +
                                 std::to_string(gs.status) + "): " + gs.output);
    const int count = static_cast<int>(pdf.pages.size());
    const int digits = static_cast<int>(std::to_string(count).size());
    std::vector<std::string> written;
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "page-%0*d.png", digits, i);
        std::string out = (fs::path(dir) / name).string();
        composePreview((scratch / ("page-" + std::to_string(i) + ".png")).string(),
                       pdf.pages[static_cast<std::size_t>(i - 1)], i, count, pdf.file, out);
        written.push_back(out);
    }
    return written;
}

} // namespace preflight
