// Documents printed through the real plug-in in the substitute host,
// distilled by Ghostscript and read back from the PDF with qpdf.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

using namespace subhost;
using pdfcheck::Rect;

namespace {

constexpr double kW = 595.276, kH = 841.890, kTol = 0.001;

void expectRect(const pdfcheck::PdfPage& page, const std::string& key, const Rect& want)
{
    ASSERT_TRUE(page.has(key)) << key << " missing";
    const Rect& got = page.boxes.at(key);
    // Ghostscript writes the media size (the host's) with two decimals; the
    // plug-in's boxes carry the numbers as written.
    const double tol = key == "/MediaBox" ? 0.01 : kTol;
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], tol) << key << "[" << i << "]";
}

Rect grown(const Rect& r, double d) { return Rect{r[0] - d, r[1] - d, r[2] + d, r[3] + d}; }

class PrintRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // Prints the host's current document and distils it.
    pdfcheck::PdfFacts printAndRead(Host& host, const std::string& name = "job")
    {
        report = printDocument(host, ps);
        pdf = pdfcheck::distill(ps, folder, name);
        return pdfcheck::readPdf(pdf);
    }

    std::string folder, ps, pdf;
    PrintReport report;
};

TEST_F(PrintRoad, SinglePageWithoutTheOptionGetsTrimBoxOnly)
{
    auto h = e2e::loadedHost();
    h->openDocument(e2e::simpleDocument(2));
    auto facts = printAndRead(*h);
    ASSERT_EQ(facts.pages.size(), 2u);
    for (const auto& page : facts.pages) {
        expectRect(page, "/MediaBox", Rect{0, 0, kW, kH});
        expectRect(page, "/TrimBox", Rect{0, 0, kW, kH});
        EXPECT_FALSE(page.has("/CropBox"));
        EXPECT_FALSE(page.has("/BleedBox"));
        EXPECT_FALSE(page.has("/Folantra")); // only an old distiller gets the fallback
    }
    // The DSC comment comes once, among the host's comments.
    auto at = ps.find("%%Folantra: 4.20\r");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(at, ps.find("%%EndComments"));
    EXPECT_EQ(ps.find("%%Folantra: 4.20", at + 1), std::string::npos);
    EXPECT_EQ(h->outstandingBlocks(), 0);
}

TEST_F(PrintRoad, BleedFromPrintSettingsGrowsCropBleedAndFolantra)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument();
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 6;
    d.print.bleedOffset = 3;
    h->openDocument(d);
    e2e::applyOptions(*h, {{"TrimBox", "1"}});
    auto facts = printAndRead(*h);
    const double b = 9;
    Rect trim{b, b, b + kW, b + kH};
    expectRect(facts.pages[0], "/MediaBox", Rect{0, 0, kW + 2 * b, kH + 2 * b});
    expectRect(facts.pages[0], "/TrimBox", trim);
    for (const char* key : {"/CropBox", "/BleedBox", "/Folantra"})
        expectRect(facts.pages[0], key, grown(trim, b));
}

TEST_F(PrintRoad, BleedModuleAndPrintSettingsTheLargerWins)
{
    struct Case {
        double settings, module;
    };
    for (Case c : {Case{0, 5.5}, Case{3, 9}, Case{12, 4}}) {
        HostOptions o;
        o.bleed.state = ModuleState::Present;
        o.bleed.bleed = c.module;
        auto h = e2e::loadedHost(o);
        Document d = e2e::simpleDocument();
        if (c.settings > 0) {
            d.print.bleedBits = 0x400;
            d.print.bleedAmount = c.settings;
        }
        h->openDocument(d);
        e2e::applyOptions(*h, {{"TrimBox", "1"}});
        auto facts = printAndRead(*h, "bleed" + std::to_string(static_cast<int>(c.settings)));
        const double b = std::max(c.settings, c.module);
        Rect trim{b, b, b + kW, b + kH};
        expectRect(facts.pages[0], "/TrimBox", trim);
        expectRect(facts.pages[0], "/BleedBox", grown(trim, b));
        EXPECT_NE(ps.find(c.settings == 3 ? "/d 9.000 def" : "/d "), std::string::npos);
    }
}

TEST_F(PrintRoad, WholeSpreadsAreOnePageWideAsTheSpread)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument(1);
    Spread two;
    two.pages = 2;
    d.spreads.push_back(two);
    d.print.wholeSpreads = true;
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 4;
    h->openDocument(d);
    e2e::applyOptions(*h, {{"TrimBox", "1"}});
    auto facts = printAndRead(*h);
    ASSERT_EQ(facts.pages.size(), 2u);
    expectRect(facts.pages[0], "/TrimBox", Rect{4, 4, 4 + kW, 4 + kH});
    expectRect(facts.pages[1], "/MediaBox", Rect{0, 0, 2 * kW + 8, kH + 8});
    expectRect(facts.pages[1], "/TrimBox", Rect{4, 4, 4 + 2 * kW, 4 + kH});
    expectRect(facts.pages[1], "/CropBox", Rect{0, 0, 2 * kW + 8, kH + 8});
    EXPECT_EQ(h->outstandingBlocks(), 0); // every spread list was disposed of
}

TEST_F(PrintRoad, PagesOfASpreadPrintedSinglyKeepTheirOwnTrim)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument(0);
    Spread two;
    two.pages = 2;
    d.spreads.push_back(two);
    h->openDocument(d);
    auto facts = printAndRead(*h);
    ASSERT_EQ(facts.pages.size(), 2u);
    for (const auto& page : facts.pages)
        expectRect(page, "/TrimBox", Rect{0, 0, kW, kH});
}

TEST_F(PrintRoad, PreferencesSwitchesShapeTheBoxes)
{
    // "TB" = 0 and the option off: no box block at all.
    e2e::writePreferences("[General]\nTB=0\n");
    {
        auto h = e2e::loadedHost();
        h->openDocument(e2e::simpleDocument());
        auto facts = printAndRead(*h, "tb0");
        EXPECT_FALSE(facts.pages[0].has("/TrimBox"));
        EXPECT_EQ(ps.find("TrimBox"), std::string::npos);
    }
    // "BleedBox" = 0 with the option on: CropBox and Folantra, no BleedBox.
    e2e::writePreferences("[General]\r\nBleedBox=0\r\n");
    {
        auto h = e2e::loadedHost();
        h->openDocument(e2e::simpleDocument());
        e2e::applyOptions(*h, {{"TrimBox", "1"}});
        auto facts = printAndRead(*h, "bleedbox0");
        EXPECT_TRUE(facts.pages[0].has("/TrimBox"));
        EXPECT_TRUE(facts.pages[0].has("/CropBox"));
        EXPECT_TRUE(facts.pages[0].has("/Folantra"));
        EXPECT_FALSE(facts.pages[0].has("/BleedBox"));
    }
    e2e::removePreferences();
}

TEST_F(PrintRoad, BorderIsDrawnOnTheTrimmedPage)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument();
    d.spreads[0].boxes.clear();
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 20;
    h->openDocument(d);
    e2e::applyOptions(*h, {{"PageBorder", "1"}});
    printAndRead(*h);
    EXPECT_NE(ps.find("\tgsave 0 setgray .25 setlinewidth 1.000 1.000 595.276 841.890 rectstroke grestore\r\r"),
              std::string::npos);
    Rect marked = pdfcheck::markedArea(pdf, 1);
    EXPECT_NEAR(marked[0], 20, 0.3);
    EXPECT_NEAR(marked[1], 20, 0.3);
    EXPECT_NEAR(marked[2], 20 + kW, 0.3);
    EXPECT_NEAR(marked[3], 20 + kH, 0.3);
    EXPECT_GT(pdfcheck::darkAlongVertical(pdf, 1, 20, 40, 800), 0.95);
    EXPECT_LT(pdfcheck::darkAlongVertical(pdf, 1, 300, 40, 800), 0.05);
}

TEST_F(PrintRoad, AsymmetricScaleOnlyWhereTheOutputAllowsIt)
{
    auto run = [&](int32_t output, const std::string& name) {
        auto h = e2e::loadedHost();
        Document d = e2e::simpleDocument();
        d.print.output = output;
        h->openDocument(d);
        e2e::applyOptions(*h, {{"Scale", "1"}, {"ScX", "1.0"}, {"ScY", "0.5"}});
        printAndRead(*h, name);
        return pdfcheck::markedArea(pdf, 1);
    };
    // The filled box of the sample lies 72 to 144 pt below the page's top.
    Rect plain = run(2, "unscaled");
    EXPECT_EQ(ps.find("/scX"), std::string::npos);
    EXPECT_NEAR(plain[1], kH - 144, 0.3);
    EXPECT_NEAR(plain[3], kH - 72, 0.3);
    Rect scaled = run(1, "scaled");
    EXPECT_NE(ps.find("\t/scX 1.0000 def /scY 0.5000 def\r"), std::string::npos);
    // Scaled by 0.5 vertically about the page centre; x unchanged.
    EXPECT_NEAR(scaled[0], plain[0], 0.3);
    EXPECT_NEAR(scaled[2], plain[2], 0.3);
    EXPECT_NEAR(scaled[1], kH / 2 + (plain[1] - kH / 2) * 0.5, 0.3);
    EXPECT_NEAR(scaled[3], kH / 2 + (plain[3] - kH / 2) * 0.5, 0.3);
}

TEST_F(PrintRoad, BlankPagesGetOneTemporaryBoxEachForTheJobOnly)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument(5);
    d.spreads[2].boxes.clear(); // page 3 is blank
    d.spreads[4].boxes.clear(); // page 5 too, but outside the printed range
    d.print.blankPages = true;
    d.print.ranges = std::vector<PageRange>{{2, 4}};
    h->openDocument(d);
    auto facts = printAndRead(*h);
    ASSERT_EQ(facts.pages.size(), 3u);
    auto created = h->eventsOf("box-create");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].code, 3);   // on page 3's spread
    EXPECT_EQ(created[0].result, 0); // runaround cleared
    EXPECT_EQ(report.boxesAtPrint, (std::vector<int>{1, 1, 1}));
    auto deleted = h->eventsOf("box-delete");
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0].value, created[0].value);
    EXPECT_EQ(h->eventsOf("fields-release").size(), 1u);
    EXPECT_TRUE(h->currentDocument()->spreads[2].boxes.empty());
    EXPECT_EQ(h->outstandingBlocks(), 0);

    // Without the print setting no box is made.
    auto h2 = e2e::loadedHost();
    d.print.blankPages = false;
    h2->openDocument(d);
    printAndRead(*h2, "noblank");
    EXPECT_TRUE(h2->eventsOf("box-create").empty());
}

TEST_F(PrintRoad, VetoOrOtherJobKindLeavesTheJobUntouched)
{
    HostOptions veto;
    veto.pdf.state = ModuleState::Present;
    veto.pdf.stayOut = true;
    auto h = e2e::loadedHost(veto);
    Document d = e2e::simpleDocument();
    d.print.blankPages = true;
    d.spreads.push_back(Spread{});
    h->openDocument(d);
    e2e::applyOptions(*h, {{"TrimBox", "1"}, {"PageBorder", "1"}, {"Title", "Nope"}});
    auto facts = printAndRead(*h, "veto");
    EXPECT_EQ(ps.find("Folantra"), std::string::npos);
    EXPECT_EQ(ps.find("pdfmark"), std::string::npos);
    EXPECT_FALSE(facts.pages[0].has("/TrimBox"));
    EXPECT_TRUE(h->eventsOf("box-create").empty());

    auto h2 = e2e::loadedHost();
    d.print.jobKind = 2;
    h2->openDocument(d);
    e2e::applyOptions(*h2, {{"TrimBox", "1"}, {"PageBorder", "1"}, {"Title", "Nope"}});
    auto facts2 = printAndRead(*h2, "kind2");
    EXPECT_EQ(ps.find("Folantra"), std::string::npos);
    EXPECT_EQ(ps.find("pdfmark"), std::string::npos);
    EXPECT_EQ(facts2.info.count("/Title"), 0u);
    EXPECT_TRUE(h2->eventsOf("box-create").empty());
}

TEST_F(PrintRoad, DocumentInfoCarriesUtf16TextOutsideTheBmp)
{
    auto h = e2e::loadedHost();
    h->openDocument(e2e::simpleDocument());
    const std::string title = "Grüße aus Köln \xF0\x9F\x8E\xA8";
    e2e::applyOptions(*h, {{"Title", title}, {"Author", "Jürgen Maß"}, {"Keywords", "abc"}});
    auto facts = printAndRead(*h);
    EXPECT_EQ(facts.info["/Title"], title);
    EXPECT_EQ(facts.info["/Author"], "Jürgen Maß");
    EXPECT_EQ(facts.info["/Keywords"], "abc");
    EXPECT_NE(ps.find("<FEFF006100620063>"), std::string::npos);
    EXPECT_NE(ps.find("D83CDFA8"), std::string::npos); // the surrogate pair
    EXPECT_EQ(facts.info.count("/Subject"), 0u);
}

} // namespace
