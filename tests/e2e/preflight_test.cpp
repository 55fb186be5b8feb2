// folantra-preflight on PDFs that Ghostscript distils: from jobs the host
// prints through the plug-in, and from small PostScript files whose boxes are
// set by hand, sound or broken.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"
#include "tools/preflight.h"

#include <nlohmann/json.hpp>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;

Outcome preflightTool(const std::string& args)
{
    return e2e::runCommand(std::string(FOLANTRA_PREFLIGHT_PATH) + " " + args);
}

// A PDF of `pages` pages of 200 x 300 pt whose boxes the PostScript sets:
// `boxes` is pdfmark dictionary text for every page (page 2 gets `page2`
// instead when given), `info` the DOCINFO entries.
std::string pdfWithBoxes(const std::string& dir, const std::string& name, int pages, const std::string& boxes,
                         const std::string& page2 = "", const std::string& info = "/Title (Sample)")
{
    std::string ps = "%!PS\n";
    if (!info.empty())
        ps += "[" + info + " /DOCINFO pdfmark\n";
    for (int p = 1; p <= pages; ++p) {
        ps += "<< /PageSize [200 300] >> setpagedevice\n";
        const std::string& b = p == 2 && !page2.empty() ? page2 : boxes;
        if (!b.empty())
            ps += "[{ThisPage} << " + b + " >> /PUT pdfmark\n";
        ps += "newpath 50 50 moveto 150 250 lineto stroke showpage\n";
    }
    return pdfcheck::distill(ps, dir, name);
}

const std::string kSound = "/CropBox [0 0 200 300] /BleedBox [0 0 200 300] /TrimBox [10 10 190 290]";

const preflight::Check* findCheck(const std::vector<preflight::Check>& checks, const std::string& start)
{
    for (const preflight::Check& c : checks)
        if (c.name.rfind(start, 0) == 0)
            return &c;
    return nullptr;
}

TEST(Preflight, PassesOnAJobPrintedThroughThePlugIn)
{
    std::string dir = e2e::tempFolder("preflight-job");
    e2e::removePreferences();
    auto host = e2e::loadedHost();
    subhost::Document doc = e2e::simpleDocument(3);
    doc.print.bleedBits = 0x200;
    doc.print.bleedAmount = 8.5;
    host->openDocument(doc);
    e2e::applyOptions(*host, {{"TrimBox", "1"}, {"Title", "Job"}});
    std::string ps;
    subhost::printDocument(*host, ps);
    std::string pdf = pdfcheck::distill(ps, dir, "job");

    Outcome o = preflightTool(pdf + " --bleed 8.5");
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("pages 1-3 (3 pages):"), std::string::npos) << o.output; // identical pages grouped
    EXPECT_NE(o.output.find("  TrimBox   8.500 8.500 603.776 850.390"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("preflight passed: 6 of 6 checks passed"), std::string::npos) << o.output;

    Outcome wrongBleed = preflightTool(pdf + " --bleed 3");
    EXPECT_EQ(wrongBleed.status, 1) << wrongBleed.output;
    EXPECT_NE(wrongBleed.output.find("pages 1-3 (3 pages): bleed left 8.500, bottom 8.500, right 8.500, top 8.500 pt"),
              std::string::npos)
        << wrongBleed.output;
}

TEST(Preflight, TrimBoxOutsideItsBleedBoxFails)
{
    std::string dir = e2e::tempFolder("preflight-outside");
    std::string pdf = pdfWithBoxes(dir, "outside", 3, kSound,
                                   "/CropBox [0 0 200 300] /BleedBox [5 5 195 295] /TrimBox [4 10 190 290]");
    Outcome o = preflightTool(pdf);
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("FAILED  TrimBox inside BleedBox inside MediaBox"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("page 2: TrimBox [4.000 10.000 190.000 290.000] lies outside BleedBox"),
              std::string::npos)
        << o.output;
    EXPECT_NE(o.output.find("pages 1, 3 (2 pages):"), std::string::npos) << o.output;

    // Within the tolerance of 0.001 pt it passes.
    std::string close = pdfWithBoxes(dir, "close", 1,
                                     "/CropBox [0 0 200 300] /BleedBox [5 5 195 295] /TrimBox [4.9995 10 190 290]");
    EXPECT_EQ(preflightTool(close).status, 0);
}

TEST(Preflight, EachCheckFailsOnItsOwnFault)
{
    std::string dir = e2e::tempFolder("preflight-faults");
    struct Case {
        const char* name;
        std::string boxes, info;
        const char* check;
    };
    const Case cases[] = {
        {"nocrop", "/BleedBox [0 0 200 300] /TrimBox [10 10 190 290]", "/Title (T)", "a CropBox"},
        {"notrim", "/CropBox [0 0 200 300]", "/Title (T)", "every page has a TrimBox"},
        {"empty", kSound + " /Folantra [20 20 20 280]", "/Title (T)", "every page has a MediaBox"},
        {"bleedout", "/CropBox [0 0 200 300] /BleedBox [-5 0 200 300] /TrimBox [10 10 190 290]", "/Title (T)",
         "TrimBox inside"},
        {"noinfo", kSound, "/Author (Ann)", "document info"},
    };
    for (const Case& c : cases) {
        preflight::Pdf pdf = preflight::read(pdfWithBoxes(dir, c.name, 1, c.boxes, "", c.info));
        auto checks = preflight::check(pdf, preflight::Options{});
        EXPECT_FALSE(preflight::allPassed(checks)) << c.name;
        for (const preflight::Check& k : checks)
            EXPECT_EQ(k.passed(), k.name.rfind(c.check, 0) != 0) << c.name << ": " << k.name;
    }
    // Without a CropBox expected, a page with only BleedBox and TrimBox passes.
    preflight::Options noCrop;
    noCrop.expectCropBox = false;
    preflight::Pdf pdf = preflight::read(dir + "/nocrop.pdf");
    EXPECT_TRUE(preflight::allPassed(preflight::check(pdf, noCrop)));
    ASSERT_NE(findCheck(preflight::check(pdf, noCrop), "every page has a TrimBox"), nullptr);
}

TEST(Preflight, ManyIdenticalPagesAreOneRangeAndJsonSaysTheSame)
{
    std::string dir = e2e::tempFolder("preflight-many");
    std::string pdf = pdfWithBoxes(dir, "many", 40, kSound, "/CropBox [0 0 200 300] /BleedBox [0 0 200 300] "
                                                            "/TrimBox [10 10 190 290] /Folantra [0 0 200 300]");
    Outcome o = preflightTool("--json " + pdf + " --bleed 10");
    EXPECT_EQ(o.status, 0) << o.output;
    nlohmann::json j = nlohmann::json::parse(o.output);
    ASSERT_EQ(j["pageGroups"].size(), 2u);
    EXPECT_EQ(j["pageGroups"][0]["pages"], "1, 3-40");
    EXPECT_EQ(j["pageGroups"][0]["count"], 39);
    EXPECT_TRUE(j["pageGroups"][0]["boxes"]["Folantra"].is_null());
    EXPECT_EQ(j["pageGroups"][1]["boxes"]["Folantra"], nlohmann::json({0, 0, 200, 300}));
    EXPECT_EQ(j["info"]["Title"], "Sample");
    EXPECT_EQ(j["passed"], true);
    EXPECT_EQ(preflight::rangesText({1, 2, 3, 5, 7, 8}), "1-3, 5, 7-8");
}

TEST(Preflight, UsageAndUnreadableFiles)
{
    EXPECT_EQ(preflightTool("").status, 2);
    EXPECT_EQ(preflightTool("--no-such-option x.pdf").status, 2);
    Outcome v = preflightTool("--version");
    EXPECT_EQ(v.status, 0);
    EXPECT_NE(v.output.find("4.20"), std::string::npos);
    std::string dir = e2e::tempFolder("preflight-bad");
    std::ofstream(dir + "/not.pdf") << "this is no PDF";
    Outcome bad = preflightTool(dir + "/not.pdf");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find(dir + "/not.pdf"), std::string::npos) << bad.output;
    EXPECT_EQ(bad.output.find("sh -c"), std::string::npos);
}

// A preview's pixels, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<preflight::Colour> pixels;
    preflight::Colour at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture load(const std::string& png)
{
    Picture p;
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    EXPECT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << png;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        p.width = cairo_image_surface_get_width(s);
        p.height = cairo_image_surface_get_height(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                uint32_t v;
                std::memcpy(&v, data + static_cast<std::size_t>(y) * stride + x * 4, sizeof v);
                p.pixels.push_back({((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0});
            }
    }
    cairo_surface_destroy(s);
    return p;
}

bool near(preflight::Colour a, preflight::Colour b, double tolerance = 0.15)
{
    return std::fabs(a.r - b.r) < tolerance && std::fabs(a.g - b.g) < tolerance && std::fabs(a.b - b.b) < tolerance;
}

TEST(Preflight, PreviewsOutlineEachBoxInItsColour)
{
    std::string dir = e2e::tempFolder("preflight-preview");
    std::string pdf = pdfWithBoxes(dir, "preview", 2, "/CropBox [20 20 180 280] /BleedBox [30 30 170 270] "
                                                      "/TrimBox [40 40 160 260]");
    preflight::Pdf read = preflight::read(pdf);
    std::vector<std::string> files = preflight::writePreviews(read, dir + "/out/preview");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(fs::path(files[0]).filename(), "page-1.png");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/out/preview"), fs::directory_iterator()), 2);

    Picture p = load(files[0]);
    ASSERT_GT(p.height, 400);
    // Every box's colour is on the picture, in lines, not in single dots.
    for (const char* box : {"MediaBox", "CropBox", "BleedBox", "TrimBox"}) {
        int count = 0;
        for (const preflight::Colour& c : p.pixels)
            count += near(c, preflight::boxColour(box)) ? 1 : 0;
        EXPECT_GT(count, 300) << box;
    }
    // Across the middle of the page, from the left: the BleedBox's line, white
    // page, the TrimBox's line.
    const int y = 24 + 300 * 150 / 72 / 2;
    int bleedAt = -1, trimAt = -1;
    for (int x = 0; x < p.width && trimAt < 0; ++x) {
        // Lines fall between pixels: their colour is blended with the page.
        if (bleedAt < 0 && near(p.at(x, y), preflight::boxColour("BleedBox"), 0.4))
            bleedAt = x;
        if (near(p.at(x, y), preflight::boxColour("TrimBox"), 0.4))
            trimAt = x;
    }
    ASSERT_GE(bleedAt, 0);
    ASSERT_GT(trimAt, bleedAt + 10); // 10 pt apart at about 2 px per pt
    EXPECT_TRUE(near(p.at((bleedAt + trimAt) / 2, y), preflight::Colour{1, 1, 1}));
}

} // namespace

namespace {

// A page turned by /Rotate is shown turned, and so are its boxes: on a page of
// 200 x 300 pt turned a quarter clockwise, the TrimBox's lower edge (60 pt up)
// is the line 60 pt from the picture's left, not its left edge (50 pt in).
TEST(Preflight, PreviewTurnsTheBoxesWithARotatedPage)
{
    std::string dir = e2e::tempFolder("preflight-rotate");
    std::string upright = pdfWithBoxes(dir, "upright", 1, "/CropBox [0 0 200 300] /BleedBox [0 0 200 300] "
                                                          "/TrimBox [50 60 150 240]");
    std::string turned = dir + "/turned.pdf";
    ASSERT_EQ(e2e::runCommand("qpdf --rotate=+90:1 '" + upright + "' '" + turned + "'").status, 0);

    preflight::Pdf read = preflight::read(turned);
    ASSERT_EQ(read.pages.size(), 1u);
    EXPECT_EQ(read.pages[0].rotate, 90);
    EXPECT_NE(preflight::report(read, {}).find("turned 90 degrees clockwise"), std::string::npos);
    EXPECT_EQ(preflight::reportJson(read, {})["pageGroups"][0]["rotate"], 90);

    std::vector<std::string> files = preflight::writePreviews(read, dir + "/preview");
    ASSERT_EQ(files.size(), 1u);
    Picture p = load(files[0]);
    // 150 dpi: the turned page is 625 x 417 pixels, 24 pixels from the top.
    const double scale = 150.0 / 72.0;
    const int pageWidth = static_cast<int>(std::lround(300 * scale));
    const int left = (std::max(pageWidth + 48, 560) - pageWidth) / 2;
    const int y = 24 + static_cast<int>(200 * scale / 2);
    int trimAt = -1;
    for (int x = left + 4; x < p.width && trimAt < 0; ++x)
        if (near(p.at(x, y), preflight::boxColour("TrimBox"), 0.4))
            trimAt = x;
    ASSERT_GE(trimAt, 0);
    EXPECT_NEAR((trimAt - left) / scale, 60.0, 2.0);
}

} // namespace
