// folantra-host on hostile files: numbers beyond every range, integers that
// would wrap, ambiguous or misformed blocks, unknown keys and style files
// nested without end. Each is refused (or warned of) with a message naming
// the file and the field, and nothing is written.
#include "e2e/e2e_util.h"
#include "subhost/document.h"
#include "subhost/styles.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;

Outcome run(const std::string& args)
{
    return e2e::runCommand(std::string(FOLANTRA_HOST_PATH) + " " + args);
}

std::string q(const std::string& s) { return pdfcheck::shellQuote(s); }

const std::string kHead = "{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1}]";

TEST(HostileCli, HostileDocumentsAreRefusedWithTheirFieldAndNothingIsWritten)
{
    std::string dir = e2e::tempFolder("cli-hostile");
    struct Case {
        std::string json;
        std::string fault;
    };
    const Case cases[] = {
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 1e400, \"height\": 100}, \"spreads\": [{\"pages\": 1}]}",
         ": pageSize.width: number out of range"},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1, \"boxes\": "
         "[{\"bounds\": [1, 2, -1e999, 4]}]}]}",
         ": spreads[0].boxes[0].bounds[2]: number out of range"},
        {kHead + ", \"print\": {\"bleed\": {\"amount\": 2e308}}}", ": print.bleed.amount: number out of range"},
        {kHead + ", \"print\": {\"output\": 18446744073709551615}}", ": print.output: integer out of range"},
        {kHead + ", \"print\": {\"jobKind\": 9223372036854775808}}", ": print.jobKind: integer out of range"},
        {kHead + ", \"xtensionData\": {\"KDIC\": {\"text\": \"\\r[Settings]\\r\", \"base64\": \"AA==\"}}}",
         ": xtensionData.KDIC: expected {\"text\": ...} or {\"base64\": ...}, not both"},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        std::string doc = dir + "/bad" + std::to_string(i) + ".json";
        std::string ps = dir + "/bad" + std::to_string(i) + ".ps";
        std::string saved = dir + "/saved" + std::to_string(i++) + ".json";
        std::ofstream(doc) << c.json;
        Outcome o = run("print " + q(doc) + " -o " + q(ps) + " --save " + q(saved));
        EXPECT_EQ(o.status, 1) << o.output;
        EXPECT_NE(o.output.find(doc + c.fault), std::string::npos) << o.output;
        EXPECT_FALSE(fs::exists(ps));
        EXPECT_FALSE(fs::exists(saved));
    }
}

TEST(HostileCli, TheLargestIntegersInRangeAreStillTaken)
{
    subhost::Document d = subhost::parseDocument(kHead + ", \"print\": {\"output\": 2147483647}}", "ok.json");
    EXPECT_EQ(d.print.output, 2147483647);
    d = subhost::parseDocument(kHead + ", \"print\": {\"output\": -2147483647}}", "ok.json");
    EXPECT_EQ(d.print.output, -2147483647);
    EXPECT_THROW(subhost::parseDocument(kHead + ", \"print\": {\"output\": 2147483648}}", "x.json"),
                 subhost::DocumentError);
}

TEST(HostileCli, UnknownTopLevelKeysSurviveASave)
{
    std::string dir = e2e::tempFolder("cli-unknown");
    std::string doc = dir + "/doc.json";
    std::ofstream(doc) << kHead + ", \"notes\": \"kept nowhere\", \"version\": 2}";
    Outcome o = run("print " + q(doc) + " -o " + q(dir + "/doc.ps") + " --save " + q(dir + "/saved.json"));
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(o.output.find("warning"), std::string::npos) << o.output;
    std::ifstream in(dir + "/saved.json");
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("\"notes\": \"kept nowhere\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"version\": 2"), std::string::npos) << saved;
    Outcome quiet = run("print " + q(doc) + " -o " + q(dir + "/doc2.ps"));
    EXPECT_EQ(quiet.status, 0) << quiet.output;
    EXPECT_EQ(quiet.output.find("warning"), std::string::npos) << quiet.output;
}

TEST(HostileCli, DeeplyNestedStyleNodesAreRefusedOnLoad)
{
    std::string dir = e2e::tempFolder("cli-nested");
    auto styleFile = [&](int depth) {
        std::string xml = "<outputstyles><style name=\"Deep\" kind=\"RTPX\"><xtension code=\"KDIC\"><Folantra TrimBox=\"1\"/>";
        for (int i = 0; i < depth; ++i)
            xml += "<a>";
        for (int i = 0; i < depth; ++i)
            xml += "</a>";
        xml += "</xtension></style></outputstyles>";
        return xml;
    };
    EXPECT_NO_THROW(subhost::parseStyles(styleFile(64), "fits.xml"));
    try {
        subhost::parseStyles(styleFile(65), "deep.xml");
        ADD_FAILURE() << "65 levels were taken";
    } catch (const subhost::StyleError& e) {
        EXPECT_NE(std::string(e.what()).find("deep.xml: style \"Deep\": xtension KDIC: elements nested deeper than 64"),
                  std::string::npos)
            << e.what();
    }

    // Through the command line: 50,000 levels are refused at once, and the
    // style file is not written.
    std::string file = dir + "/styles.xml";
    std::string text = styleFile(50000);
    std::ofstream(file) << text;
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "ok\n";
    auto start = std::chrono::steady_clock::now();
    Outcome o = run("style-editor --styles " + q(file) + " --style Deep --script " + q(script) + " --save " +
                    q(dir + "/out.xml"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(o.status, 1) << o.output.substr(0, 500);
    EXPECT_NE(o.output.find("nested deeper than 64 levels"), std::string::npos) << o.output.substr(0, 500);
    EXPECT_FALSE(fs::exists(dir + "/out.xml"));
}

// pugixml keeps a reference to an entity of a DTD as its literal text: such a
// style file is refused (a declaration and an undeclared reference alike),
// and nothing is printed or saved; the five entities of XML and character
// references are still read.
TEST(HostileCli, EntitiesOfADtdAreRefusedNeverTakenAsText)
{
    std::string dir = e2e::tempFolder("cli-entities");
    const std::string body = "<outputstyles><style name=\"B\" kind=\"RTPX\"><xtension code=\"KDIC\">"
                             "<Folantra Title=\"&co; brochure\"/></xtension></style></outputstyles>";
    struct Case {
        std::string xml, fault;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE outputstyles [<!ENTITY co \"Kestrovan\">]>\n" + body,
         "declares an entity in its DTD at byte 46"},
        {body, "refers to the entity &co; at byte 81, which XML does not define"},
        {"<!DOCTYPE outputstyles SYSTEM \"co.dtd\">" + body, "refers to the entity &co;"},
        {"<outputstyles><style name=\"A & B\" kind=\"RTPX\"/></outputstyles>", "not valid XML: an & that starts no reference at byte 29"},
    };
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "ok\n";
    int i = 0;
    for (const Case& c : cases) {
        std::string file = dir + "/styles" + std::to_string(i++) + ".xml";
        std::ofstream(file) << c.xml;
        Outcome p = run("print --no-dialog " + q(std::string(FOLANTRA_SOURCE_DIR) + "/samples/brochure.json") +
                        " --styles " + q(file) + " --style B -o " + q(dir + "/b.ps"));
        EXPECT_EQ(p.status, 1) << p.output;
        EXPECT_NE(p.output.find(file + ": " + c.fault), std::string::npos) << c.fault << " in " << p.output;
        EXPECT_FALSE(fs::exists(dir + "/b.ps"));
        Outcome e = run("style-editor --styles " + q(file) + " --style B --script " + q(script) + " --save " +
                        q(dir + "/out.xml"));
        EXPECT_EQ(e.status, 1) << e.output;
        EXPECT_FALSE(fs::exists(dir + "/out.xml"));
    }
    EXPECT_NO_THROW(subhost::parseStyles("<!DOCTYPE outputstyles><!-- &co; --><outputstyles><style name=\"&lt;A&gt; "
                                         "&amp; &#66;&#x43; &quot;&apos;\" kind=\"RTPX\"><![CDATA[&co;]]></style>"
                                         "</outputstyles>",
                                         "fine.xml"));
}

// Names and settings that are not UTF-8: the lines for people keep their
// bytes, a saved style file too, and JSON (which holds only Unicode) shows
// each such byte as U+FFFD instead of ending the host.
TEST(HostileCli, TextsThatAreNotUtf8AreKeptAndJsonShowsThemReplaced)
{
    std::string dir = e2e::tempFolder("cli-not-utf8");
    const std::string name = "Proof \xFF\xFE bad";
    std::string styles = dir + "/styles.xml";
    std::ofstream(styles) << "<?xml version=\"1.0\"?>\n<outputstyles><style name=\"" << name
                          << "\" kind=\"RTPX\"/></outputstyles>\n";
    std::string script = dir + "/script.txt";
    std::ofstream(script) << "click 2\nok\n";
    Outcome o = run("style-editor --styles " + q(styles) + " --style " + q(name) + " --script " + q(script) +
                    " --save " + q(dir + "/saved.xml"));
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("output-style editor opened on \"" + name + "\""), std::string::npos) << o.output;
    std::ifstream in(dir + "/saved.xml");
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("name=\"" + name + "\""), std::string::npos) << saved;

    Outcome j = run("style-editor --json --styles " + q(styles) + " --style " + q(name) + " --script " + q(script));
    ASSERT_EQ(j.status, 0) << j.output;
    nlohmann::ordered_json r = nlohmann::ordered_json::parse(j.output);
    EXPECT_EQ(r["style"], "Proof \xEF\xBF\xBD\xEF\xBF\xBD bad");
    EXPECT_EQ(r["ok"], true);

    // A document block whose title is not UTF-8.
    std::string doc = dir + "/doc.json";
    std::ofstream(doc) << kHead + ", \"xtensionData\": {\"KDIC\": {\"base64\": \"VHJpbUJveD0xDVRpdGxlPf/+QmFkDQA=\"}}}";
    Outcome info = run("info --json " + q(doc));
    ASSERT_EQ(info.status, 0) << info.output;
    EXPECT_EQ(nlohmann::ordered_json::parse(info.output)["document"]["settings"]["Title"], "\xEF\xBF\xBD\xEF\xBF\xBD" "Bad");
}

} // namespace
