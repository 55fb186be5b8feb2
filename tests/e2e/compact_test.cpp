// The compact PostScript form (preferences "Compact" = 1) against the
// standard form: the same document printed both ways through the real
// plug-in, distilled by Ghostscript, must give the same page boxes, document
// info, scale and border, and the same rendered pages.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

using namespace subhost;
using pdfcheck::Rect;

namespace {

constexpr double kW = 595.276, kH = 841.890;

struct Image {
    int width = 0, height = 0;
    std::string pixels; // RGB
};

// Every page of a PDF rendered by Ghostscript at `dpi`.
std::vector<Image> render(const std::string& pdf, int dpi)
{
    const std::string pattern = pdf + "-%03d.ppm";
    pdfcheck::run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r" + std::to_string(dpi) + " -o " +
                  pdfcheck::shellQuote(pattern) + " " + pdfcheck::shellQuote(pdf));
    std::vector<Image> pages;
    for (int n = 1;; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "-%03d.ppm", n);
        std::ifstream in(pdf + name, std::ios::binary);
        if (!in)
            break;
        Image img;
        std::string magic;
        int max = 0;
        in >> magic;
        while (in >> std::ws && in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
        }
        in >> img.width >> img.height >> max;
        in.get();
        img.pixels.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        pages.push_back(img);
    }
    return pages;
}

// Pixels whose colour differs by more than a faint shade in any channel.
long differingPixels(const Image& a, const Image& b)
{
    long n = 0;
    for (std::size_t i = 0; i + 2 < a.pixels.size() && i + 2 < b.pixels.size(); i += 3) {
        int d = 0;
        for (int c = 0; c < 3; ++c)
            d = std::max(d, std::abs(static_cast<unsigned char>(a.pixels[i + c]) -
                                     static_cast<unsigned char>(b.pixels[i + c])));
        if (d > 16)
            ++n;
    }
    return n;
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class CompactForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { e2e::removePreferences(); }

    struct Printed {
        std::string ps, pdf;
        pdfcheck::PdfFacts facts;
    };

    // Prints `doc` with `options` under the preferences `prefs` (the
    // "Compact" line added for the compact form) and distils the job.
    Printed print(const Document& doc, const std::map<std::string, std::string>& options, const std::string& prefs,
                  bool compact, HostOptions hostOptions = {})
    {
        e2e::writePreferences("[General]\n" + prefs + (compact ? "Compact=1\n" : ""));
        auto h = e2e::loadedHost(hostOptions);
        h->openDocument(doc);
        e2e::applyOptions(*h, options);
        Printed p;
        printDocument(*h, p.ps);
        p.pdf = pdfcheck::distill(p.ps, folder, compact ? "compact" : "standard");
        p.facts = pdfcheck::readPdf(p.pdf);
        EXPECT_EQ(h->outstandingBlocks(), 0);
        return p;
    }

    // The two PDFs carry the same boxes (to 0.001 pt) and info, and their
    // pages look the same.
    void expectSamePdfs(const Printed& standard, const Printed& compact)
    {
        ASSERT_EQ(standard.facts.pages.size(), compact.facts.pages.size());
        for (std::size_t i = 0; i < standard.facts.pages.size(); ++i) {
            const auto& a = standard.facts.pages[i].boxes;
            const auto& b = compact.facts.pages[i].boxes;
            ASSERT_EQ(a.size(), b.size()) << "page " << i + 1;
            for (const auto& [key, want] : a) {
                ASSERT_TRUE(b.count(key)) << key << " missing on page " << i + 1;
                for (int k = 0; k < 4; ++k)
                    EXPECT_NEAR(b.at(key)[k], want[k], 0.001) << key << "[" << k << "] on page " << i + 1;
            }
        }
        EXPECT_EQ(standard.facts.info.count("/Title"), compact.facts.info.count("/Title"));
        for (const char* key : {"/Title", "/Author", "/Keywords"}) {
            if (standard.facts.info.count(key)) {
                ASSERT_TRUE(compact.facts.info.count(key)) << key;
                EXPECT_EQ(standard.facts.info.at(key), compact.facts.info.at(key)) << key;
            }
        }

        std::vector<Image> a = render(standard.pdf, 36), b = render(compact.pdf, 36);
        ASSERT_EQ(a.size(), standard.facts.pages.size());
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].width, b[i].width);
            ASSERT_EQ(a[i].height, b[i].height);
            EXPECT_LE(differingPixels(a[i], b[i]), 2) << "page " << i + 1;
        }
    }

    // Numbers of a box that have at most three decimals.
    static bool roundedToThousandths(const Rect& r)
    {
        for (double v : r)
            if (std::fabs(v * 1000 - std::round(v * 1000)) > 1e-3)
                return false;
        return true;
    }

    std::string folder;
};

// Three pages, a facing-pages spread printed whole, bleed from the print
// settings and the Bleed module, coloured boxes.
Document mixedDocument()
{
    Document d = e2e::simpleDocument(3);
    Spread two;
    two.pages = 2;
    Box b;
    b.id = d.nextBoxId++;
    b.top = 100;
    b.left = 500;
    b.bottom = 400;
    b.right = 700;
    b.fill = std::vector<double>{0.2, 0.4, 0.9};
    two.boxes.push_back(b);
    d.spreads.push_back(two);
    d.print.wholeSpreads = true;
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 6;
    return d;
}

TEST_F(CompactForm, EveryOptionGivesTheSamePdfWithOnePdfmarkPerPage)
{
    HostOptions o;
    o.bleed.state = ModuleState::Present;
    o.bleed.bleed = 9;
    const std::map<std::string, std::string> options = {
        {"TrimBox", "1"}, {"PageBorder", "1"}, {"Scale", "1"},          {"ScX", "0.95"},
        {"ScY", "1.05"},  {"Title", "Grüße"},  {"Author", "Jürgen Maß"}, {"Keywords", "a, b"}};
    Printed standard = print(mixedDocument(), options, "", false, o);
    Printed compact = print(mixedDocument(), options, "", true, o);
    expectSamePdfs(standard, compact);

    // Each of the 4 sheets: one pdfmark for the boxes, no page-device query,
    // no inverted matrix; the border and the scale are still there.
    EXPECT_EQ(count(standard.ps, "/PUT pdfmark"), 16u);
    EXPECT_EQ(count(compact.ps, "/PUT pdfmark"), 4u);
    EXPECT_EQ(count(compact.ps, "currentpagedevice"), 0u);
    EXPECT_EQ(count(compact.ps, "invertmatrix"), 0u);
    EXPECT_EQ(count(compact.ps, "rectstroke"), 4u);
    EXPECT_EQ(count(compact.ps, " 0.9500 1.0500 scale"), 4u);
    EXPECT_LT(compact.ps.size(), standard.ps.size());

    // The grown boxes meet the sheet's edge exactly, with numbers rounded to
    // 0.001 pt.
    const auto& spread = compact.facts.pages[3];
    for (const char* key : {"/CropBox", "/BleedBox", "/Folantra"}) {
        const Rect& r = spread.boxes.at(key);
        EXPECT_EQ(r[0], 0.0) << key;
        EXPECT_EQ(r[1], 0.0) << key;
        EXPECT_NEAR(r[2], 2 * kW + 18, 0.001) << key;
        EXPECT_NEAR(r[3], kH + 18, 0.001) << key;
    }
    for (const auto& page : compact.facts.pages) {
        for (const auto& [key, r] : page.boxes) {
            if (key != "/MediaBox") {
                EXPECT_TRUE(roundedToThousandths(r)) << key;
            }
        }
    }
    EXPECT_EQ(compact.facts.info.at("/Title"), "Grüße");
}

TEST_F(CompactForm, TrimBoxAloneAndSwitchedOffBoxesMatchTheStandardForm)
{
    Document d = mixedDocument();
    // The option off: the TrimBox alone (a modern distiller gets no fallback).
    {
        Printed standard = print(d, {{"PageBorder", "1"}}, "", false);
        Printed compact = print(d, {{"PageBorder", "1"}}, "", true);
        expectSamePdfs(standard, compact);
        EXPECT_FALSE(compact.facts.pages[0].has("/Folantra"));
        EXPECT_TRUE(compact.facts.pages[0].has("/TrimBox"));
    }
    // Switches in the preferences leave boxes out of both forms alike.
    {
        Printed standard = print(d, {{"TrimBox", "1"}}, "BleedBox=0\nFolantra=0\n", false);
        Printed compact = print(d, {{"TrimBox", "1"}}, "BleedBox=0\nFolantra=0\n", true);
        expectSamePdfs(standard, compact);
        EXPECT_TRUE(compact.facts.pages[0].has("/CropBox"));
        EXPECT_FALSE(compact.facts.pages[0].has("/BleedBox"));
    }
    // No box block at all ("TB" = 0, option off), only the scale.
    {
        const std::map<std::string, std::string> scale = {{"Scale", "1"}, {"ScX", "0.5"}, {"ScY", "1.0"}};
        Printed standard = print(d, scale, "TB=0\n", false);
        Printed compact = print(d, scale, "TB=0\n", true);
        expectSamePdfs(standard, compact);
        EXPECT_EQ(count(compact.ps, "pdfmark"), 0u);
        EXPECT_EQ(count(compact.ps, "0.5000 1.0000 scale"), 4u);
    }
}

TEST_F(CompactForm, StandardFormStaysTheDefault)
{
    // Without the key, and with any value other than 1, the job carries the
    // standard text.
    for (const std::string prefs : {"", "Compact=0\n", "Compact=2\n"}) {
        Printed p = print(e2e::simpleDocument(), {{"TrimBox", "1"}}, prefs, false);
        EXPECT_EQ(count(p.ps, "/PUT pdfmark"), 4u) << prefs;
        EXPECT_EQ(count(p.ps, "invertmatrix"), 1u) << prefs;
    }
}

} // namespace
