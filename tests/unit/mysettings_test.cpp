#include "settings/mysettings.h"
#include "util/files.h"
#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <string>

using testing_util::EnvVar;
using testing_util::ScratchDir;
using testing_util::exists;
using testing_util::readFile;
using testing_util::writeFile;

namespace {

// A store holding `text` as a block written by another store would be.
void load(CMySettings& s, const std::string& text)
{
    ASSERT_EQ(s.setup(text.c_str(), static_cast<long>(text.size() + 1), 0), 0);
}

std::string text(const CMySettings& s)
{
    return s.buffer ? std::string(s.buffer, s.length) : "<null>";
}

std::string value(CMySettings& s, const char* section, const char* key)
{
    char v[256] = "untouched";
    long n = s.getString(section, key, v, sizeof v);
    return n < 0 ? "<none>" : std::string(v);
}

// Resources come from an empty folder: no default text.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override { setResourceFolder(resources.str().c_str()); }
    void TearDown() override { setResourceFolder(nullptr); }
    ScratchDir resources;
    ScratchDir dir;
};

} // namespace

TEST(SettingsLookup, EntriesAreExactTextUpToTheEqualsSign)
{
    CMySettings s;
    load(s, "\r[General]\rTB=0\r TB=1\r");
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
    for (const char* line : {"TB =0", " TB=0", "tb=0"}) {
        CMySettings t;
        load(t, std::string("\r[General]\r") + line + "\r");
        EXPECT_EQ(t.getInt32("General", "TB", 1), 1) << line;
    }
    // Everything after "=" is the value; its leading blanks are skipped when read as a number.
    CMySettings u;
    load(u, "\r[General]\rTB= 0\r");
    EXPECT_EQ(value(u, "General", "TB"), " 0");
    EXPECT_EQ(u.getInt32("General", "TB", 1), 0);
}

TEST(SettingsLookup, LookupsStayInsideTheirSectionAndTheFirstOccurrenceCounts)
{
    CMySettings s;
    load(s, "\r[Gen]\rA=gen\r[General] note\rB=1\rB=2\r[Later]\rC=3\rB=later\r[General]\rD=4\r");
    EXPECT_EQ(value(s, "General", "C"), "<none>");
    EXPECT_EQ(value(s, "General", "D"), "<none>");
    EXPECT_EQ(value(s, "General", "A"), "<none>");
    EXPECT_EQ(value(s, "Gen", "B"), "<none>");
    EXPECT_EQ(value(s, "Gen", "A"), "gen");
    EXPECT_EQ(value(s, "Gene", "A"), "<none>");
    EXPECT_EQ(value(s, "General", "B"), "1");
    std::string before = text(s);
    s.remove("General", "C");
    s.remove("Missing", "B");
    EXPECT_EQ(text(s), before);
    s.remove("General", "B");
    EXPECT_EQ(value(s, "General", "B"), "2");
}

TEST(SettingsLookup, EmptyAndLongValues)
{
    CMySettings s;
    load(s, "\r[S]\rempty=\rk=0123456789\r");
    char v[5] = "x";
    EXPECT_EQ(s.getString("S", "empty", v, sizeof v), 0);
    EXPECT_STREQ(v, "");
    EXPECT_EQ(s.getInt32("S", "empty", 42), 42);
    EXPECT_EQ(s.getFloat("S", "empty", 2.5f), 2.5f);
    EXPECT_EQ(s.getString("S", "k", v, sizeof v), 4); // cut to the caller's buffer
    EXPECT_STREQ(v, "0123");
}

TEST(SettingsLookup, TypedReaders)
{
    CMySettings s;
    load(s, "\r[N]\ra=+5\rb=-12x\rc=99999999999\rd=-99999999999\re=abc\r"
            "f= -2.25mm\rg=3e2\rh=.5\ri=1e999\rj=-1e999\rk=1e-999\rl=nan\r");
    const std::pair<const char*, std::int32_t> ints[] = {
        {"a", 5}, {"b", -12}, {"c", INT32_MAX}, {"d", INT32_MIN}, {"e", 0}};
    for (const auto& i : ints)
        EXPECT_EQ(s.getInt32("N", i.first, 7), i.second) << i.first;
    const std::pair<const char*, float> floats[] = {{"f", -2.25f}, {"g", 300.0f}, {"h", 0.5f}, {"i", FLT_MAX},
                                                    {"j", -FLT_MAX}, {"k", 0.0f}, {"l", 0.0f}, {"e", 0.0f}};
    for (const auto& f : floats)
        EXPECT_EQ(s.getFloat("N", f.first, 9.0f), f.second) << f.first;
}

TEST(SettingsSet, EntriesGoFirstInTheirSection)
{
    CMySettings s;
    ASSERT_EQ(s.setup(0L), 0);
    EXPECT_EQ(s.capacity, 4096u);
    ASSERT_EQ(s.setFloat("Settings", "ScX", 1.0f), 0);
    EXPECT_EQ(text(s), "\r[Settings]\rScX=1.0000\r");
    ASSERT_EQ(s.set("Settings", "Title", "Report"), 0);
    EXPECT_EQ(text(s), "\r[Settings]\rTitle=Report\rScX=1.0000\r");

    CMySettings t;
    load(t, "\r[A]\rx=1\ry=2\rz=3\r[B]\rq=0\r");
    ASSERT_EQ(t.set("A", "z", "new"), 0);
    EXPECT_EQ(text(t), "\r[A]\rz=new\rx=1\ry=2\r[B]\rq=0\r");
    ASSERT_EQ(t.set("C", "k", "v"), 0);
    EXPECT_EQ(text(t), "\r[A]\rz=new\rx=1\ry=2\r[B]\rq=0\r\r[C]\rk=v\r");
    EXPECT_EQ(value(t, "C", "k"), "v");
}

TEST(SettingsSet, NumbersAreWrittenWithAPointWhateverTheLocale)
{
    CMySettings s;
    ASSERT_EQ(s.setup(0L), 0);
    testing_util::GermanNumbers german;
    ASSERT_NE(german.name(), nullptr) << testing_util::kNoGermanLocale;
    ASSERT_EQ(s.setFloat("S", "f", 0.5f), 0);
    ASSERT_EQ(s.set("S", "l", -7), 0);
    EXPECT_EQ(value(s, "S", "f"), "0.5000");
    EXPECT_EQ(value(s, "S", "l"), "-7");
    EXPECT_FLOAT_EQ(s.getFloat("S", "f", 0), 0.5f);
    load(s, "\r[S]\rf=2.75\rc=2,75\r");
    EXPECT_EQ(s.getFloat("S", "f", 0), 2.75f);
    EXPECT_EQ(s.getFloat("S", "c", 0), 2.0f); // the comma ends the number
}

// The text a float is stored as and the float a text reads as, pinned for
// the cases where a conversion could differ: rounding at the fourth decimal
// (exact halves go to the even digit), negative zero, the largest and
// smallest values, infinities, and input beyond float's range or no number
// at all. Every build must give these same bytes.
struct StoredFloat {
    std::uint32_t bits;
    const char* text;
};
const StoredFloat kStoredFloats[] = {
    {0x3F000000u, "0.5000"},
    {0x3F800000u, "1.0000"},
    {0x00000000u, "0.0000"},
    {0x80000000u, "-0.0000"},
    {0x3D000000u, "0.0312"}, // 0.03125: a half, to the even digit
    {0x3DC00000u, "0.0938"}, // 0.09375
    {0x3E200000u, "0.1562"}, // 0.15625
    {0xBD000000u, "-0.0312"},
    {0x400000D2u, "2.0001"}, // 2.00005 is a little above the half
    {0x3851B717u, "0.0000"}, // 0.00005 is a little below it
    {0x3851AC5Bu, "0.0000"},
    {0xB827C5ACu, "-0.0000"}, // -0.00004
    {0x3DFCD35Bu, "0.1235"},
    {0x3F7FFCB9u, "0.9999"}, // 0.99995
    {0x3FFFFE5Du, "2.0000"}, // 1.99995
    {0x411FFFCCu, "10.0000"}, // 9.99995
    {0x3F4147AEu, "0.7550"},
    {0x3FA00000u, "1.2500"},
    {0x3EAA7EFAu, "0.3330"},
    {0x47F12065u, "123456.7891"},
    {0x4B800000u, "16777216.0000"},
    {0x4F800000u, "4294967296.0000"},
    {0x501502F9u, "10000000000.0000"},
    {0x60AD78ECu, "100000002004087734272.0000"},
    {0x7F7FC99Eu, "339999995214436424907732413799364296704.0000"},
    {0x7F7FFFFFu, "340282346638528859811704183484516925440.0000"}, // FLT_MAX
    {0xFF7FFFFFu, "-340282346638528859811704183484516925440.0000"},
    {0x00800000u, "0.0000"}, // FLT_MIN
    {0x00000001u, "0.0000"}, // the smallest subnormal
    {0x38D1B717u, "0.0001"},
    {0x391D4952u, "0.0002"}, // 1.5e-4
    {0x3983126Fu, "0.0003"}, // 2.5e-4
    {0x7F800000u, "inf"},
    {0xFF800000u, "-inf"},
    {0x7FC00000u, "nan"},
    {0xFFC00000u, "-nan"},
};

struct ReadFloat {
    const char* text;
    std::uint32_t bits;
};
const ReadFloat kReadFloats[] = {
    {"0.5", 0x3F000000u},
    {"1", 0x3F800000u},
    {"0", 0x00000000u},
    {"-0", 0x80000000u},
    {"+2.5", 0x40200000u},
    {"  3.25", 0x40500000u},
    {"\t-1.5e2", 0xC3160000u},
    {"1.5E3", 0x44BB8000u},
    {"0.1", 0x3DCCCCCDu},
    {"0.30000001192092896", 0x3E99999Au},
    {"1e38", 0x7E967699u},
    {"3.4028235e38", 0x7F7FFFFFu},
    {"3.40282357e38", 0x7F7FFFFFu},
    {"3.4028236e38", 0x7F7FFFFFu}, // above FLT_MAX: FLT_MAX
    {"3.5e38", 0x7F7FFFFFu},
    {"1e39", 0x7F7FFFFFu},
    {"1e400", 0x7F7FFFFFu}, // beyond double too
    {"-1e400", 0xFF7FFFFFu},
    {"1e100000000", 0x7F7FFFFFu},
    {"1e-400", 0x00000000u},
    {"-1e-400", 0x80000000u},
    {"1e-100000000", 0x00000000u},
    {"1e-38", 0x006CE3EEu},
    {"1.17549435e-38", 0x00800000u},
    {"1.4e-45", 0x00000001u},
    {"7.006492321624085e-46", 0x00000000u}, // half the smallest subnormal
    {"7.1e-46", 0x00000001u},
    {"1e-46", 0x00000000u},
    // Read as a double first, then narrowed: a text just above the halfway
    // point between two floats lands on the half and goes to the even one.
    {"1.000000059604644775390625", 0x3F800000u},
    {"1.0000000596046447753906251", 0x3F800000u},
    {"16777217", 0x4B800000u},
    {"16777219", 0x4B800002u},
    {"123456789012345678901234567890", 0x6FC77488u},
    {"00000000000000000000000000012.5000000000000000000000", 0x41480000u},
    {"0.0000000000000000000000000000000000000000000000000000000000001", 0x00000000u},
    {"99.99995", 0x42C7FFF9u},
    {"  -0.00004", 0xB827C5ACu},
    {".5", 0x3F000000u},
    {"5.", 0x40A00000u},
    {"-.5e1", 0xC0A00000u},
    // The longest prefix that is a number counts; no number is 0.
    {"1e", 0x3F800000u},
    {"1e+", 0x3F800000u},
    {"2e-x", 0x40000000u},
    {"1e-5x", 0x3727C5ACu},
    {"1,5", 0x3F800000u},
    {"0x10", 0x00000000u},
    {"inf", 0x00000000u},
    {"nan", 0x00000000u},
    {"abc", 0x00000000u},
    {"-", 0x00000000u},
    {"+.", 0x00000000u},
};

std::uint32_t bitsOf(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

float floatOf(std::uint32_t u)
{
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

void checkStoredNumbers(const char* locale)
{
    CMySettings s;
    ASSERT_EQ(s.setup(0L), 0);
    for (const StoredFloat& c : kStoredFloats) {
        ASSERT_EQ(s.setFloat("N", "f", floatOf(c.bits)), 0);
        EXPECT_EQ(value(s, "N", "f"), c.text) << std::hex << c.bits << " in " << locale;
    }
    std::string longOnes[] = {"1" + std::string(250, '0'), "0." + std::string(240, '0') + "1e245"};
    const std::uint32_t longBits[] = {0x7F7FFFFFu, 0x461C4000u};
    for (int i = 0; i < 2; ++i) {
        load(s, "\r[N]\rf=" + longOnes[i] + "\r");
        EXPECT_EQ(bitsOf(s.getFloat("N", "f", 9.0f)), longBits[i]) << longOnes[i];
    }
    for (const ReadFloat& c : kReadFloats) {
        load(s, std::string("\r[N]\rf=") + c.text + "\r");
        EXPECT_EQ(bitsOf(s.getFloat("N", "f", 9.0f)), c.bits) << "\"" << c.text << "\" in " << locale;
    }
}

TEST(SettingsNumbers, StoredTextAndReadValuesArePinned)
{
    checkStoredNumbers("the C locale");
    testing_util::GermanNumbers german;
    ASSERT_NE(german.name(), nullptr) << testing_util::kNoGermanLocale;
    checkStoredNumbers(german.name());
}

TEST(SettingsSet, LineBreaksAndSeparatorsCannotForgeEntries)
{
    CMySettings s;
    load(s, "\r[General]\rTB=1\r");
    const std::string before = text(s);
    EXPECT_EQ(s.set("General", "Title", "x\rTB=0"), -1);
    EXPECT_EQ(s.set("General", "Title", "x\nTB=0"), -1);
    EXPECT_EQ(s.set("General", "TB=0\rk", "v"), -1);
    EXPECT_EQ(s.set("General", "TB=0", "v"), -1);       // would read back as "TB"
    EXPECT_EQ(s.set("General]\r[X", "k", "v"), -1);
    EXPECT_EQ(s.set("Gen]x", "TB", "0"), -1);           // would read back as section "Gen"
    EXPECT_EQ(s.set("General", "[X]", "v"), -1);        // would end the section
    EXPECT_EQ(text(s), before);
    EXPECT_EQ(s.getInt32("General", "TB", 5), 1);
    EXPECT_EQ(s.set("General", "Title", "a=b [c] ;d"), 0);
    EXPECT_EQ(value(s, "General", "Title"), "a=b [c] ;d");
}

TEST(SettingsSet, NamesAndLinesBeyondTheirLimitsAreRefused)
{
    CMySettings s;
    ASSERT_EQ(s.setup(0L), 0);
    std::string sec252(252, 's'), sec253(253, 's'), key253(253, 'k'), key254(254, 'k');
    EXPECT_EQ(s.set(sec252.c_str(), key253.c_str(), "v"), 0);
    EXPECT_EQ(value(s, sec252.c_str(), key253.c_str()), "v");
    EXPECT_EQ(s.set(sec253.c_str(), "k", "v"), -1);
    EXPECT_EQ(s.set("S", key254.c_str(), "v"), -1);
    EXPECT_EQ(value(s, sec253.c_str(), "k"), "<none>");
    std::string fits(1023 - 3, 'v'), tooLong(1023 - 2, 'v'); // "k=" + value + CR
    EXPECT_EQ(s.set("S", "k", fits.c_str()), 0);
    EXPECT_EQ(s.set("S", "k", tooLong.c_str()), -1);
    char v[2000];
    EXPECT_EQ(s.getString("S", "k", v, sizeof v), static_cast<long>(fits.size()));
}

TEST(SettingsSet, GrowsInStepsKeepingItsReserve)
{
    CMySettings s;
    ASSERT_EQ(s.setup(600L), 0);
    ASSERT_EQ(s.set("S", "a", std::string(100, 'a').c_str()), 0);
    EXPECT_EQ(s.capacity, 600u); // 512 bytes were free
    ASSERT_EQ(s.set("S", "b", std::string(1000, 'b').c_str()), 0);
    EXPECT_EQ(s.capacity, 600u + 8192u);
    EXPECT_EQ(value(s, "S", "a"), std::string(100, 'a'));
}

TEST(SettingsSet, AHeaderWithoutLineEndIsEndedFirst)
{
    CMySettings s;
    ASSERT_EQ(s.setup("\r[General]", 10, 0), 0);
    ASSERT_EQ(s.set("General", "TB", "0"), 0);
    EXPECT_EQ(text(s), "\r[General]\rTB=0\r");
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
}

TEST(SettingsSetup, BlocksAreTakenAsTheyAre)
{
    CMySettings writer;
    ASSERT_EQ(writer.setup(0L), 0);
    writer.set("Settings", "Title", "T");
    CMySettings reader;
    ASSERT_EQ(reader.setup(writer.buffer, static_cast<long>(writer.length + 1), 0), 0);
    EXPECT_EQ(value(reader, "Settings", "Title"), "T");
    EXPECT_EQ(reader.length, writer.length);

    CMySettings noLeadingCR;
    load(noLeadingCR, "[General]\rTB=0\r");
    EXPECT_EQ(noLeadingCR.getInt32("General", "TB", 1), 1); // the first header needs a CR before it

    CMySettings unterminated;
    ASSERT_EQ(unterminated.setup("\r[S]\rk=v", 8, 4), 0); // capacity below the data: still whole
    EXPECT_EQ(value(unterminated, "S", "k"), "v");
    EXPECT_EQ(unterminated.buffer[unterminated.length], '\0');
}

TEST(SettingsSetup, StoredTextsReadAlikeWhateverTheirLineEnds)
{
    const std::string canonical = "\r[Settings]\rTitle=T\rTrimBox=1\r";
    for (const char* stored : {"\r[Settings]\rTitle=T\rTrimBox=1\r", "[Settings]\r\nTitle=T\r\nTrimBox=1\r\n",
                               "\n[Settings]\nTitle=T\n\nTrimBox=1", "\r\n[Settings]\r\nTitle=T\r\nTrimBox=1\r\n"}) {
        SCOPED_TRACE(stored);
        CMySettings s;
        // As a block is stored: the text and its terminator; a zero ends it.
        std::string block = std::string(stored) + '\0' + "Junk=1";
        ASSERT_EQ(s.setupText(block.data(), static_cast<long>(block.size())), 0);
        EXPECT_EQ(text(s), canonical);
        EXPECT_EQ(value(s, "Settings", "Title"), "T");
        EXPECT_EQ(s.getInt32("Settings", "TrimBox", 0), 1);
        EXPECT_EQ(s.set("Settings", "Author", "A"), 0);
        EXPECT_EQ(text(s), "\r[Settings]\rAuthor=A\rTitle=T\rTrimBox=1\r");
    }
    CMySettings empty;
    ASSERT_EQ(empty.setupText("", 0), 0);
    EXPECT_EQ(text(empty), "\r");
    // A value cut to the caller's buffer ends at a character ("ä" is two bytes).
    CMySettings letters;
    load(letters, "\r[S]\rk=a\xC3\xA4\xC3\xA4\r");
    char v[5] = "x";
    EXPECT_EQ(letters.getString("S", "k", v, sizeof v), 3);
    EXPECT_STREQ(v, "a\xC3\xA4");
}

TEST(SettingsSetup, AStoreWithoutBufferFindsNothingAndRefusesChanges)
{
    CMySettings s;
    EXPECT_EQ(value(s, "S", "k"), "<none>");
    EXPECT_EQ(s.getInt32("S", "k", 3), 3);
    EXPECT_EQ(s.set("S", "k", "v"), -1);
}

TEST_F(SettingsFiles, LineEndsAreNormalisedOnLoad)
{
    const std::string variants[] = {
        "[General]\nTB=0\nCropBox=1",
        "[General]\r\nTB=0\r\n\r\n\r\nCropBox=1\r\n",
        "\n\n[General]\n\rTB=0\r\r\nCropBox=1\n",
        "[General]\rTB=0\rCropBox=1\r",
    };
    for (const std::string& v : variants) {
        writeFile(dir / "prefs.ini", v);
        CMySettings s;
        ASSERT_EQ(s.setupWithPath((dir / "prefs.ini").c_str()), 0);
        EXPECT_EQ(text(s), "\r[General]\rTB=0\rCropBox=1\r");
        EXPECT_EQ(s.capacity, v.size() + 8192u);
    }
}

TEST_F(SettingsFiles, ThePathAlwaysEndsInIni)
{
    writeFile(dir / "a.ini", "[S]\rk=ini\r");
    CMySettings s;
    const char* cases[][2] = {{"a.INI", "a.INI"}, {"a.Ini", "a.Ini"}, {"a.txt", "a.ini"}, {"a", "a.ini"}, {"x.d/a", "x.d/a.ini"}};
    for (const auto& c : cases) {
        ASSERT_EQ(s.setupWithPath((dir / c[0]).c_str()), 0);
        EXPECT_EQ(std::string(s.path), dir / c[1]);
    }
    ASSERT_EQ(s.setupWithPath((dir / "a.txt").c_str()), 0);
    EXPECT_EQ(value(s, "S", "k"), "ini");
    EXPECT_EQ(s.setupWithPath(std::string(600, 'p').c_str()), -1);
}

TEST_F(SettingsFiles, WithoutAFileTheSwitchesKeepTheirDefaults)
{
    CMySettings s;
    ASSERT_EQ(s.setupWithPath((dir / "none.ini").c_str()), 0);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.capacity, 8192u);
    for (const char* key : {"CropBox", "BleedBox", "Folantra", "TB"})
        EXPECT_EQ(s.getInt32("General", key, 1), 1);
    EXPECT_EQ(s.getInt32("General", "AddPS", 0), 0);
}

TEST_F(SettingsFiles, TheDefaultTextComesFromTheLanguagesResource)
{
    writeFile(resources / "Prefs_E.ini", "[General]\nAddPS=1\n");
    writeFile(resources / "Prefs_D.ini", "[General]\r\nAddPS=3\r\n");
    CMySettings s;
    ASSERT_EQ(s.setupWithPath((dir / "none.ini").c_str()), 0);
    EXPECT_EQ(s.getInt32("General", "AddPS", 0), 1);
    setupLanguage(3);
    ASSERT_EQ(s.setupWithPath((dir / "none.ini").c_str()), 0);
    setupLanguage(0);
    EXPECT_EQ(s.getInt32("General", "AddPS", 0), 3);
    EXPECT_EQ(text(s), "\r[General]\rAddPS=3\r");
}

#if !defined(_WIN32)
TEST_F(SettingsFiles, PreferencesLiveInTheApplicationSupportFolder)
{
    EnvVar home("HOME", dir.str().c_str());
    EnvVar config("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    // A preferences file kept beside the plug-in file moves to the standard place.
    ASSERT_EQ(makeDir((dir / "XTensions").c_str()), 0);
    writeFile(dir / "XTensions/Folantra.ini", "[General]\nTB=0\n");
    CMySettings s;
    ASSERT_EQ(s.setupWithinAppSupport((dir / "XTensions/Folantra.xnt").c_str(), nullptr), 0);
    EXPECT_EQ(std::string(s.path), dir / "cfg/Kestrovan/Folantra.ini");
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
    EXPECT_FALSE(exists(dir / "XTensions/Folantra.ini"));

    // Once there, a file beside the plug-in is left alone.
    writeFile(dir / "XTensions/Folantra.ini", "[General]\nTB=7\n");
    ASSERT_EQ(s.setupWithinAppSupport((dir / "XTensions/Folantra.xnt").c_str(), nullptr), 0);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
    EXPECT_TRUE(exists(dir / "XTensions/Folantra.ini"));

    // A renamed plug-in's file still ends up as the file that is read.
    writeFile(dir / "XTensions/Folantra 4.ini", "[General]\nAddPS=1\n");
    ASSERT_EQ(s.setupWithinAppSupport((dir / "XTensions/Folantra 4.xnt").c_str(), "Sub"), 0);
    EXPECT_EQ(std::string(s.path), dir / "cfg/Kestrovan/Sub/Folantra.ini");
    EXPECT_EQ(s.getInt32("General", "AddPS", 0), 1);

    ASSERT_EQ(s.setupWithinAppSupport(nullptr, nullptr), 0);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
}
#endif
