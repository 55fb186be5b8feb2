#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testing_util::ScratchDir;
using testing_util::readFile;
using testing_util::writeFile;

namespace {

const std::string kShipped = std::string(FOLANTRA_SOURCE_DIR) + "/resources";

class StringTable : public ::testing::Test {
protected:
    void load(std::int16_t hostLanguage, const std::string& folder = kShipped)
    {
        setResourceFolder(folder.c_str());
        setupLanguage(hostLanguage);
        loaded = setupMyStrings();
    }
    void TearDown() override
    {
        cleanupMyStrings();
        setResourceFolder(nullptr);
        setupLanguage(0);
    }
    static std::string str(const char* key)
    {
        char out[251];
        long n = getString(key, out);
        EXPECT_EQ(static_cast<size_t>(n), std::strlen(out));
        return out;
    }
    static std::string translate(std::string input)
    {
        char in[512];
        char out[512] = {};
        std::strcpy(in, input.c_str());
        translateString(in, out);
        return out;
    }
    int loaded = -2;
};

std::string resource(const char* name, const char* type, std::int16_t language)
{
    char* data = getResourceData(name, type, language);
    if (!data)
        return "<null>";
    std::string s(data);
    myfree(data);
    return s;
}

} // namespace

TEST(Language, GermanForHostCodes3And19Only)
{
    EXPECT_EQ(*setupLanguage(3), 3);
    EXPECT_EQ(*setupLanguage(19), 3);
    EXPECT_EQ(*setupLanguage(2), 0);
    EXPECT_EQ(*setupLanguage(35), 0);
    EXPECT_EQ(*setupLanguage(-1), 0);
    EXPECT_EQ(setupLanguage(0), &gLanguage);
    EXPECT_EQ(gLanguage, 0);
}

TEST(ResourceLookup, UnsuffixedWinsThenLanguageThenEnglish)
{
    ScratchDir dir;
    setResourceFolder(dir.str().c_str());
    writeFile(dir / "Data_E.xml", "english");
    writeFile(dir / "Data_D.xml", "german");
    EXPECT_EQ(resource("Data", "xml", 3), "german");
    EXPECT_EQ(resource("Data", "xml", 0), "english");
    EXPECT_EQ(resource("Data", "xml", 1), "english"); // no "_F": English is every language's fallback
    EXPECT_EQ(resource("Data", "xml", 4), "english");
    EXPECT_EQ(resource("Data", "txt", 3), "<null>");
    writeFile(dir / "Data.xml", "plain");
    EXPECT_EQ(resource("Data", "xml", 3), "plain");
    EXPECT_EQ(resource("Missing", "xml", 0), "<null>");
    setResourceFolder(nullptr);
}

TEST(ResourceLookup, CopyIsZeroTerminatedEvenForBinaryData)
{
    ScratchDir dir;
    setResourceFolder(dir.str().c_str());
    writeFile(dir / "Bin_E.dat", std::string("ab\0cd", 5));
    char* data = getResourceData("Bin", "dat", 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, "ab\0cd\0\0", 7), 0);
    myfree(data);
    writeFile(dir / "Empty_E.dat", "");
    data = getResourceData("Empty", "dat", 0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[0], '\0');
    myfree(data);
    setResourceFolder(nullptr);
}

TEST_F(StringTable, ShippedTablesHoldEveryKeyInBothLanguages)
{
    struct Entry {
        const char* key;
        const char* english;
        const char* german;
    };
    const Entry entries[] = {
        {"yes", "Yes", "Ja"},
        {"no", "No", "Nein"},
        {"ok", "OK", "OK"},
        {"cancel", "Cancel", "Abbrechen"},
        {"invalidFolder", "Invalid folder for saving the PS-file, the desktop will be used instead.",
         "Ungültiger Ordner zum Speichern der PS-Datei! Als alternativer Speicherort dient der Schreibtisch."},
        {"psName", "Postscript filename:", "PS-Dateiname:"},
        {"title", "Title", "Titel"},
        {"author", "Author", "Autor"},
        {"keywords", "Keywords", "Schlüsselwörter"},
        {"crop", "Crop to \"page + bleeding\"", "Auf \"Seite + Anschnitt\" beschneiden\""},
        {"margins", "Pageborders (0.25pt, black)", "Seitenränder (0,25pt, schwarz)"},
        {"printToFile", "Print to file", "In Datei drucken"},
        {"chooseFolder", "Choose folder", "Ordner wählen"},
        {"reset", "Reset", "Zurücksetzen"},
        {"metaData", "Metadata", "Metadaten"},
        {"askForPSName", "Ask for file name", "PS-Dateiname abfragen"},
        {"distiller", "Start Acrobat Distiller (do not use with hot folders)",
         "Acrobat Distiller starten (nicht mit überwachten Ordnern verwenden)"},
        {"scale", "Scale", "Asymmetrisch skalieren"},
    };
    load(0);
    ASSERT_EQ(loaded, 0);
    for (const Entry& e : entries)
        EXPECT_EQ(str(e.key), e.english) << e.key;
    load(3);
    ASSERT_EQ(loaded, 0);
    for (const Entry& e : entries)
        EXPECT_EQ(str(e.key), e.german) << e.key;

    for (const char* file : {"/MyStrings_E.xml", "/MyStrings_D.xml"}) {
        std::string bytes = readFile(kShipped + file);
        size_t lf = 0, crlf = 0;
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n') {
                ++lf;
                crlf += (i > 0 && bytes[i - 1] == '\r');
            }
        EXPECT_GT(lf, 18u) << file;
        EXPECT_EQ(lf, crlf) << file << " keeps CR LF line ends";
    }
}

TEST_F(StringTable, KeysMatchWithoutRegardToCaseAndOnlyWhole)
{
    load(0);
    EXPECT_EQ(str("Title"), "Title");
    EXPECT_EQ(str("TITLE"), "Title");
    EXPECT_EQ(str("Titles"), "Titles");
    EXPECT_EQ(str("meta"), "meta");
    load(19);
    EXPECT_EQ(str("Title"), "Titel");
}

TEST_F(StringTable, EmptyLongAndMissingTexts)
{
    ScratchDir dir;
    std::string longText(300, 'L');
    writeFile(dir / "MyStrings_E.xml", "<empty></empty>\r\n<long>" + longText + "</long>\r\n");
    load(0, dir.str());
    ASSERT_EQ(loaded, 0);
    EXPECT_EQ(str("empty"), "empty");
    EXPECT_EQ(str("long"), longText.substr(0, 250));
    std::string longKey(400, 'k');
    EXPECT_EQ(str(longKey.c_str()), longKey.substr(0, 250)); // never more than the buffer holds
    EXPECT_EQ(str(""), "");
}

TEST_F(StringTable, WithoutATableEveryKeyShowsAsItself)
{
    ScratchDir dir;
    load(3, dir.str());
    EXPECT_EQ(loaded, -1);
    EXPECT_EQ(str("title"), "title");
    EXPECT_EQ(translate("title:"), "title:");
}

TEST_F(StringTable, LanguageChangeReloadsTheTable)
{
    load(0);
    EXPECT_EQ(str("cancel"), "Cancel");
    setupLanguage(3);
    ASSERT_EQ(setupMyStrings(), 0);
    EXPECT_EQ(str("cancel"), "Abbrechen");
}

TEST_F(StringTable, TranslateKeepsColonAndEllipsisMarks)
{
    load(0);
    EXPECT_EQ(translate("title:"), "Title:");
    EXPECT_EQ(translate("chooseFolder\xE2\x80\xA6"), "Choose folder\xE2\x80\xA6");
    EXPECT_EQ(translate("no key here:"), "no key here:");
    EXPECT_EQ(translate(":"), ":");
    EXPECT_EQ(translate("\xE2\x80\xA6"), "\xE2\x80\xA6");
    EXPECT_EQ(translate("title"), "Title");
    load(3);
    EXPECT_EQ(translate("author:"), "Autor:");

    char in[16] = "title:";
    char out[512] = "unchanged";
    translateString(in, out);
    EXPECT_STREQ(in, "title"); // the mark is cut off the input in place
    char empty[4] = "";
    std::strcpy(out, "unchanged");
    translateString(empty, out);
    EXPECT_STREQ(out, "unchanged");
}

TEST_F(StringTable, StringWithKeyAndEllipsis)
{
    load(3);
    EXPECT_STREQ(stringWithKey("metaData", 1).utf8(), "Metadaten\xE2\x80\xA6");
    EXPECT_STREQ(stringWithKey("metaData", 0).utf8(), "Metadaten");
    EXPECT_STREQ(stringWithKey("unknown", 2).utf8(), "unknown");

    char text[8] = "abcd";
    addEllipsisToString(text, sizeof text);
    EXPECT_STREQ(text, "abcd\xE2\x80\xA6");
    addEllipsisToString(text, sizeof text); // no room left: unchanged
    EXPECT_STREQ(text, "abcd\xE2\x80\xA6");
}
