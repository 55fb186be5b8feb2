// folantra-host on the command line: bad document files are refused with a
// message that names the file and the fault, and nothing is written.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string output;
};

Outcome host(const std::string& args)
{
    std::string out;
    FILE* f = ::popen((std::string(FOLANTRA_HOST_PATH) + " " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    int status = ::pclose(f);
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(Cli, MalformedDocumentsAreRefusedAndNothingIsWritten)
{
    std::string dir = e2e::tempFolder("cli-bad");
    struct Case {
        const char* json;
        const char* fault;
    };
    const Case cases[] = {
        {"{\"name\": \"x\"", "not valid JSON"},
        {"[]", "expected an object"},
        {"{\"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1}]}", "missing \"name\""},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": -5, \"height\": 100}, \"spreads\": [{\"pages\": 1}]}",
         "pageSize.width"},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": []}", "spreads"},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1, \"boxes\": "
         "[{\"bounds\": [1, 2, 3]}]}]}",
         "spreads[0].boxes[0].bounds"},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1}], "
         "\"print\": {\"ranges\": [[2, 9]]}}",
         "print.ranges[0]"},
        {"{\"name\": \"x\", \"pageSize\": {\"width\": 100, \"height\": 100}, \"spreads\": [{\"pages\": 1}], "
         "\"xtensionData\": {\"KDIC\": {\"base64\": \"!!\"}}}",
         "xtensionData.KDIC.base64"},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string doc = dir + "/bad" + std::to_string(i) + ".json";
        std::string ps = dir + "/bad" + std::to_string(i++) + ".ps";
        std::ofstream(doc) << c.json;
        Outcome o = host("print " + pdfcheck::shellQuote(doc) + " -o " + pdfcheck::shellQuote(ps));
        EXPECT_EQ(o.status, 1) << o.output;
        EXPECT_NE(o.output.find(doc), std::string::npos) << o.output;
        EXPECT_NE(o.output.find(c.fault), std::string::npos) << c.fault << " in " << o.output;
        EXPECT_FALSE(fs::exists(ps));
        EXPECT_FALSE(fs::exists(ps + ".part"));
    }
}

TEST(Cli, PrintsTheSampleAndSavesTheDocument)
{
    std::string dir = e2e::tempFolder("cli-good");
    Outcome o = host("print " FOLANTRA_SOURCE_DIR "/samples/brochure.json --styles " FOLANTRA_SOURCE_DIR
                     "/samples/styles.xml --style 'Proof with boxes' -o " + dir + "/b.ps --save " + dir + "/b.json");
    ASSERT_EQ(o.status, 0) << o.output;
    pdfcheck::distillFile(dir + "/b.ps", dir + "/b.pdf");
    auto facts = pdfcheck::readPdf(dir + "/b.pdf");
    ASSERT_EQ(facts.pages.size(), 3u); // page 1, the spread of pages 2 and 3, page 4
    EXPECT_EQ(facts.info["/Title"], "Frühjahrsbroschüre – Grüße aus Köln");
    // The saved document reads back; the temporary box of the blank page is gone.
    subhost::Document saved = subhost::loadDocument(dir + "/b.json");
    EXPECT_TRUE(saved.spreads[2].boxes.empty());
    Outcome bad = host("print " + dir + "/b.json --style x -o " + dir + "/c.ps");
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.output.find("--styles"), std::string::npos) << bad.output;
}

} // namespace
