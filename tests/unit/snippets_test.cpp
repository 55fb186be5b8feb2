// The PostScript texts of the snippets, byte for byte, with the platform's
// line end: CR LF in the Windows build, CR elsewhere.
#include "postscript/metadata.h"
#include "postscript/pageboxes.h"
#include "postscript/psprintf.h"
#include "postscript/psprocs.h"
#include "util/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

#ifdef _WIN32
const std::string kEol = "\r\n";
#else
const std::string kEol = "\r";
#endif

// The text with every "\r" replaced by the platform's line end.
std::string eol(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += kEol;
        else
            out += c;
    }
    return out;
}

// Collects what psPrintf writes while it lives.
class Capture {
public:
    Capture() { setPSSink(&Capture::collect, this); }
    ~Capture() { setPSSink(nullptr, nullptr); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    const std::string& text() const { return mText; }
    int calls() const { return mCalls; }

private:
    static void collect(const char* bytes, int32_t n, void* context)
    {
        auto* self = static_cast<Capture*>(context);
        self->mText.append(bytes, static_cast<std::size_t>(n));
        ++self->mCalls;
    }
    std::string mText;
    int mCalls = 0;
};

// A single A4 page whose top-left corner lies at the spread's origin, after
// the move by one point.
PageBoxGeometry a4Page(double bleed = 0.0) { return PageBoxGeometry{1.0, 1.0, 595.276, 841.890, bleed}; }

PageBoxOptions noBoxes()
{
    PageBoxOptions o{};
    return o;
}

const char* const kTrimBoxBlock =
    "\r\t%\tFolantra\r\r10 dict begin\r"
    "\t/m matrix currentmatrix matrix defaultmatrix matrix invertmatrix matrix concatmatrix def\r"
    "\t1.000 842.890 m transform /y1 exch def /x1 exch def\r"
    "\t1.000 595.276 add 1.000 m transform /y2 exch def /x2 exch def\r"
    "\t/pdfmark where {pop [{ThisPage} <</TrimBox [x1 y1 x2 y2]>> /PUT pdfmark} if\r";

std::string docInfo(const char* key, const std::string& digits)
{
    return eol(std::string("\r/pdfmark where {pop [/") + key + " <FEFF" + digits + "> /DOCINFO pdfmark} if");
}

} // namespace

TEST(PSLineEnd, IsThePlatformsLineEnd)
{
    EXPECT_EQ(std::string(PSEOL), kEol);
    EXPECT_EQ(std::string(plat::kLineEnd), kEol);
}

TEST(PSPrintf, FormatsAndCutsAt4095Bytes)
{
    {
        Capture c;
        EXPECT_EQ(psPrintf("%%%%%s: %s" PSEOL, "Folantra", "4.20"), static_cast<int>(16 + kEol.size()));
        EXPECT_EQ(c.text(), "%%Folantra: 4.20" + kEol);
    }
    {
        Capture c;
        std::string big(5000, 'x');
        EXPECT_EQ(psPrintf("%s", big.c_str()), 4095);
        EXPECT_EQ(c.text(), std::string(4095, 'x'));
        EXPECT_EQ(c.calls(), 1);
    }
    {
        Capture c;
        EXPECT_EQ(psPrintf("%s", ""), 0);
        EXPECT_EQ(c.text(), "");
    }
}

TEST(PSComment, WritesTheDSCLineOnlyForAServedJobAtItsMoment)
{
    xtcommentrec rec{};
    rec.hdr.code = XT_CB_PSCOMMENT;
    rec.hdr.size = sizeof rec;
    rec.mayAdd = 1;
    const int32_t savedJob = sJobType;
    {
        Capture c;
        sJobType = 3;
        EXPECT_EQ(psComment(&rec.hdr), 0);
        EXPECT_EQ(c.text(), eol("%%Folantra: 4.20\r"));
    }
    {
        Capture c;
        rec.mayAdd = 2;
        psComment(&rec.hdr);
        rec.mayAdd = 1;
        sJobType = 2;
        psComment(&rec.hdr);
        EXPECT_EQ(c.text(), "");
    }
    sJobType = savedJob;
}

TEST(PageSnippet, BorderAloneWithoutBoxBlock)
{
    Capture c;
    PageBoxOptions o = noBoxes();
    o.border = true;
    writePageSnippet(a4Page(), o);
    EXPECT_EQ(c.text(), eol("\tgsave 0 setgray .25 setlinewidth 1.000 1.000 595.276 841.890 rectstroke grestore\r\r"));
}

TEST(PageSnippet, NothingWithoutBoxBlockAndBorder)
{
    Capture c;
    writePageSnippet(a4Page(9.0), noBoxes());
    EXPECT_EQ(c.text(), "");
}

TEST(PageSnippet, TrimBoxWithFallbackForOldDistillers)
{
    Capture c;
    PageBoxOptions o = noBoxes();
    o.boxBlock = true;
    o.cropBox = o.bleedBox = o.folantraBox = true; // not used without grown boxes
    writePageSnippet(a4Page(9.0), o);
    EXPECT_EQ(c.text(),
              eol(std::string(kTrimBoxBlock) +
                  "\t/currentdistillerparams where {pop currentdistillerparams /CoreDistVersion get 5000 lt}{false} "
                  "ifelse\r\t\t{\r\t\t/pg currentpagedevice /PageSize get def\r"
                  "\t\t[{ThisPage} <</Folantra [0 0 pg 0 get pg 1 get]>> /PUT pdfmark\r\t\t} if\r"
                  "end\r\r"));
}

TEST(PageSnippet, GrownBoxesFollowTheSwitchesAndBorderComesLast)
{
    Capture c;
    PageBoxOptions o = noBoxes();
    o.boxBlock = o.grownBoxes = true;
    o.cropBox = true;
    o.bleedBox = false;
    o.folantraBox = true;
    o.border = true;
    writePageSnippet(a4Page(9.0), o);
    EXPECT_EQ(c.text(),
              eol(std::string(kTrimBoxBlock) +
                  "\t/d 9.000 def\r\t/x1 x1 d sub def\r\t/y1 y1 d sub def\r\t/x2 x2 d add def\r\t/y2 y2 d add def\r"
                  "\t/pdfmark where {pop [{ThisPage} <</CropBox [x1 y1 x2 y2]>> /PUT pdfmark} if\r"
                  "\t/pdfmark where {pop [{ThisPage} <</Folantra [x1 y1 x2 y2]>> /PUT pdfmark} if\r"
                  "end\r\r"
                  "\tgsave 0 setgray .25 setlinewidth 1.000 1.000 595.276 841.890 rectstroke grestore\r\r"));
}

TEST(ScaleSnippet, FactorsWithFourDecimals)
{
    Capture c;
    writeScaleSnippet(1.0f, 0.95f);
    EXPECT_EQ(c.text(), eol("\r\t%\tFolantra\r\r10 dict begin\r\t/scX 1.0000 def /scY 0.9500 def\r"
                            "\t/pg currentpagedevice /PageSize get def\r"
                            "\t1 scX sub 2 div pg 0 get mul 1 scY sub 2 div pg 1 get mul translate\r"
                            "\tscX scY scale\rend\r\r"));
}

TEST(MetaDataEntries, EmptyRecordWritesOnlyTheClosingPair)
{
    MetaData meta{};
    Capture c;
    writeMetaData(&meta);
    EXPECT_EQ(c.text(), eol("\r\r"));
}

TEST(MetaDataEntries, FieldsInOrderAsUTF16BigEndianHex)
{
    MetaData meta{};
    std::strcpy(meta.title, "abc");
    std::strcpy(meta.keywords, "\xC3\xA4 \xE2\x82\xAC"); // a-umlaut, blank, euro sign
    Capture c;
    writeMetaData(&meta);
    EXPECT_EQ(c.text(), docInfo("Title", "006100620063") + docInfo("Keywords", "00E4002020AC") + eol("\r\r"));
}

TEST(MetaDataEntries, CharacterBeyondTheBMPGivesItsSurrogatePair)
{
    MetaData meta{};
    std::strcpy(meta.title, "\xF0\x9F\x98\x80"); // U+1F600
    std::strcpy(meta.author, "A");
    Capture c;
    writeMetaData(&meta);
    EXPECT_EQ(c.text(), docInfo("Title", "D83DDE00") + docInfo("Author", "0041") + eol("\r\r"));
}

TEST(MetaDataEntries, FullFieldGives1020Digits)
{
    MetaData meta{};
    std::memset(meta.author, 'z', 255);
    std::string digits;
    for (int i = 0; i < 255; ++i)
        digits += "007A";
    ASSERT_EQ(digits.size(), 1020u);
    {
        Capture c;
        writeMetaData(&meta);
        EXPECT_EQ(c.text(), docInfo("Author", digits) + eol("\r\r"));
    }
    // A field without its terminator is read up to 255 bytes and no further.
    std::memset(meta.author, 'z', sizeof meta.author);
    std::memset(meta.keywords, 0, sizeof meta.keywords);
    {
        Capture c;
        writeMetaData(&meta);
        EXPECT_EQ(c.text(), docInfo("Author", digits) + eol("\r\r"));
    }
}

namespace {
const char* const kCompactCorners =
    "\r\t%\tFolantra\r"
    "/pdfmark where {pop 10 dict begin /r {1000 mul round 1000 div} def /m matrix defaultmatrix def\r"
    "\t1.000 842.890 transform m itransform r /y1 exch def r /x1 exch def\r"
    "\t596.276 1.000 transform m itransform r /y2 exch def r /x2 exch def\r";
const char* const kBorder = "\tgsave 0 setgray .25 setlinewidth 1.000 1.000 595.276 841.890 rectstroke grestore\r\r";

PageBoxOptions compactOptions()
{
    PageBoxOptions o = noBoxes();
    o.compact = true;
    return o;
}
} // namespace

TEST(CompactPageSnippet, EveryBoxInOnePdfmarkThenTheBorder)
{
    Capture c;
    PageBoxOptions o = compactOptions();
    o.boxBlock = o.grownBoxes = o.cropBox = o.bleedBox = o.folantraBox = o.border = true;
    writePageSnippet(a4Page(9.0), o);
    EXPECT_EQ(c.text(),
              eol(std::string(kCompactCorners) + "\t/d 9.000 def /g [x1 d sub r y1 d sub r x2 d add r y2 d add r] def\r"
                  "\t[{ThisPage} <</TrimBox [x1 y1 x2 y2] /CropBox g /BleedBox g /Folantra g>> /PUT pdfmark\r"
                  "end} if\r\r" + kBorder));
    // No page-device query and no inverted matrix in the page's snippet.
    EXPECT_EQ(c.text().find("currentpagedevice"), std::string::npos);
    EXPECT_EQ(c.text().find("invertmatrix"), std::string::npos);
}

TEST(CompactPageSnippet, SwitchedOffBoxesAreLeftOutOfThePdfmark)
{
    {
        Capture c;
        PageBoxOptions o = compactOptions();
        o.boxBlock = o.grownBoxes = o.bleedBox = true;
        writePageSnippet(a4Page(3.5), o);
        EXPECT_EQ(c.text(), eol(std::string(kCompactCorners) +
                                "\t/d 3.500 def /g [x1 d sub r y1 d sub r x2 d add r y2 d add r] def\r"
                                "\t[{ThisPage} <</TrimBox [x1 y1 x2 y2] /BleedBox g>> /PUT pdfmark\r"
                                "end} if\r\r"));
    }
    {
        // Every grown box switched off: the TrimBox alone, no bleed needed.
        Capture c;
        PageBoxOptions o = compactOptions();
        o.boxBlock = o.grownBoxes = true;
        writePageSnippet(a4Page(3.5), o);
        EXPECT_EQ(c.text(), eol(std::string(kCompactCorners) +
                                "\t[{ThisPage} <</TrimBox [x1 y1 x2 y2]>> /PUT pdfmark\r"
                                "end} if\r\r"));
    }
}

TEST(CompactPageSnippet, TrimBoxWithTheOldDistillersFallbackInTheSamePdfmark)
{
    Capture c;
    PageBoxOptions o = compactOptions();
    o.boxBlock = true;
    o.cropBox = o.bleedBox = o.folantraBox = true; // not used without grown boxes
    writePageSnippet(a4Page(9.0), o);
    EXPECT_EQ(c.text(),
              eol(std::string(kCompactCorners) +
                  "\t/currentdistillerparams where {pop currentdistillerparams /CoreDistVersion get 5000 lt}{false} "
                  "ifelse\r"
                  "\t\t{[{ThisPage} <</TrimBox [x1 y1 x2 y2] /Folantra [0 0 currentpagedevice /PageSize get aload pop]>> "
                  "/PUT pdfmark}\r"
                  "\t\t{[{ThisPage} <</TrimBox [x1 y1 x2 y2]>> /PUT pdfmark} ifelse\r"
                  "end} if\r\r"));
}

TEST(CompactPageSnippet, BorderAloneAndNothingAreAsInTheStandardForm)
{
    {
        Capture c;
        PageBoxOptions o = compactOptions();
        o.border = true;
        writePageSnippet(a4Page(), o);
        EXPECT_EQ(c.text(), eol(kBorder));
    }
    {
        Capture c;
        writePageSnippet(a4Page(9.0), compactOptions());
        EXPECT_EQ(c.text(), "");
    }
}

TEST(CompactPageSnippet, SpreadWideGeometryGivesTheFarCornerAsOneNumber)
{
    Capture c;
    PageBoxOptions o = compactOptions();
    o.boxBlock = true;
    o.grownBoxes = true;
    writePageSnippet(PageBoxGeometry{596.276, 1.0, 1190.552, 841.890, 0.0}, o);
    EXPECT_NE(c.text().find(eol("\t596.276 842.890 transform m itransform r /y1 exch def r /x1 exch def\r")),
              std::string::npos);
    EXPECT_NE(c.text().find(eol("\t1786.828 1.000 transform m itransform r /y2 exch def r /x2 exch def\r")),
              std::string::npos);
}

TEST(CompactScaleSnippet, SheetFromTheClipAndHalfTheComplementOfEachFactor)
{
    {
        Capture c;
        writeScaleSnippet(1.0f, 0.95f, true);
        EXPECT_EQ(c.text(), eol("\r\t%\tFolantra\r"
                                "gsave initclip clippath pathbbox grestore 3 -1 roll sub 0.02500 mul 3 1 roll exch sub "
                                "0.00000 mul exch translate 1.0000 0.9500 scale\r\r"));
        EXPECT_EQ(c.text().find("currentpagedevice"), std::string::npos);
    }
    {
        // The factors as written with four decimals decide the translation.
        Capture c;
        writeScaleSnippet(1.05f, 0.97499f, true);
        EXPECT_NE(c.text().find("3 -1 roll sub 0.01250 mul 3 1 roll exch sub -0.02500 mul exch translate 1.0500 "
                                "0.9750 scale"),
                  std::string::npos);
    }
}
