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
    int load(std::int16_t hostLanguage, const std::string& folder = kShipped)
    {
        setResourceFolder(folder.c_str());
        setupLanguage(hostLanguage);
        return setupMyStrings();
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
    static std::string translate(const std::string& input)
    {
        char in[512];
        char out[512] = {};
        std::strcpy(in, input.c_str());
        translateString(in, out);
        return out;
    }
};

std::string resource(const char* name, std::int16_t language)
{
    char* data = getResourceData(name, "xml", language);
    std::string s = data ? data : "<null>";
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
    EXPECT_EQ(setupLanguage(0), &gLanguage);
    EXPECT_EQ(gLanguage, 0);
}

TEST(ResourceLookup, UnsuffixedWinsThenLanguageThenEnglish)
{
    ScratchDir dir;
    setResourceFolder(dir.str().c_str());
    writeFile(dir / "Data_E.xml", "english");
    writeFile(dir / "Data_D.xml", std::string("ger\0man", 7));
    EXPECT_EQ(resource("Data", 3), "ger");
    EXPECT_EQ(resource("Data", 0), "english");
    EXPECT_EQ(resource("Data", 1), "english"); // no "_F": English is every language's fallback
    writeFile(dir / "Data.xml", "plain");
    EXPECT_EQ(resource("Data", 3), "plain");
    EXPECT_EQ(resource("Missing", 0), "<null>");
    char* data = getResourceData("Data", "xml", 3);
    EXPECT_EQ(std::memcmp(data, "plain\0\0", 7), 0); // two zero bytes behind the copy
    myfree(data);
    setResourceFolder(nullptr);
}

TEST_F(StringTable, ShippedTablesHoldEveryKeyInBothLanguages)
{
    const char* entries[][3] = {
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
    for (int language : {1, 2}) {
        ASSERT_EQ(load(language == 1 ? 0 : 3), 0);
        for (const auto& e : entries)
            EXPECT_EQ(str(e[0]), e[language]) << e[0];
    }
    for (const char* file : {"/MyStrings_E.xml", "/MyStrings_D.xml"}) {
        std::string bytes = readFile(kShipped + file);
        size_t lf = 0, crlf = 0;
        for (size_t i = 1; i < bytes.size(); ++i)
            if (bytes[i] == '\n') {
                ++lf;
                crlf += bytes[i - 1] == '\r';
            }
        EXPECT_EQ(lf, crlf) << file << " keeps CR LF line ends";
    }
}

TEST_F(StringTable, KeysMatchWithoutRegardToCaseAndOnlyWhole)
{
    load(0);
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
    ASSERT_EQ(load(0, dir.str()), 0);
    EXPECT_EQ(str("empty"), "empty");
    EXPECT_EQ(str("long"), longText.substr(0, 250));
    std::string longKey(400, 'k');
    EXPECT_EQ(str(longKey.c_str()), longKey.substr(0, 250)); // never more than the buffer holds

    ScratchDir none;
    EXPECT_EQ(load(3, none.str()), -1);
    EXPECT_EQ(str("title"), "title");
}

TEST_F(StringTable, TranslateKeepsColonAndEllipsisMarks)
{
    load(0);
    EXPECT_EQ(translate("title:"), "Title:");
    EXPECT_EQ(translate("chooseFolder\xE2\x80\xA6"), "Choose folder\xE2\x80\xA6");
    EXPECT_EQ(translate("no key here:"), "no key here:");
    EXPECT_EQ(translate(":"), ":");
    EXPECT_EQ(translate("\xE2\x80\xA6"), "\xE2\x80\xA6");

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
    EXPECT_STREQ(MyStr("author:", 1).utf8(), "Autor:");

    char text[8] = "abcd";
    addEllipsisToString(text, sizeof text);
    EXPECT_STREQ(text, "abcd\xE2\x80\xA6");
    addEllipsisToString(text, sizeof text); // no room left: unchanged
    EXPECT_STREQ(text, "abcd\xE2\x80\xA6");
}
