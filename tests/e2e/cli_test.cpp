// folantra-host on the command line: bad document files are refused with a
// message that names the file and the fault, and nothing is written; print
// goes through the print dialog; info reads as settings; exit codes.
#include "e2e/e2e_util.h"
#include "job/folantrarec.h"
#include "tools/pdfcheck.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;

Outcome host(const std::string& args, const std::string& env = "")
{
    return e2e::runCommand(env + " " + std::string(FOLANTRA_HOST_PATH) + " " + args);
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
        EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
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

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A two-page document whose stored block prints to a file in `folder`, with
// the page boxes and a title, and the distiller as `distill` says.
std::string documentWithSettings(const std::string& dir, const std::string& folder, int distill)
{
    std::string block = "\r[Settings]\rKeywords=\rAuthor=Ann\rTitle=Stored title\rScY=1.0000\rScX=1.0000\rFolder=" +
                        folder + "\rScale=0\rDistill=" + std::to_string(distill) +
                        "\rAskForName=0\rPrintToFile=1\rPageBorder=0\rTrimBox=1\r";
    nlohmann::json j = {{"name", "Stored.qxp"},
                        {"pageSize", {{"width", 595.276}, {"height", 841.89}}},
                        {"spreads", {{{"pages", 1}}, {{"pages", 2}}}},
                        {"print", {{"bleed", {{"bits", 512}, {"amount", 6}}}}},
                        {"xtensionData", {{"KDIC", {{"text", block}}}}}};
    std::string file = dir + "/stored.json";
    std::ofstream(file) << j.dump(1);
    return file;
}

} // namespace

TEST(Cli, PrintTakesTheStoredSettingsThroughThePrintDialog)
{
    std::string dir = e2e::tempFolder("cli-dialog-road");
    std::string jobs = dir + "/jobs";
    fs::create_directories(jobs);
    std::string doc = documentWithSettings(dir, jobs, 0);

    // As the user's Print: the document's block prints to its folder, with boxes and title.
    Outcome o = host("print " + doc);
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find(jobs + "/Stored.ps (the file the plug-in named)"), std::string::npos) << o.output;
    std::string ps = readFile(jobs + "/Stored.ps");
    EXPECT_NE(ps.find("/BleedBox"), std::string::npos);
    EXPECT_NE(ps.find("/Title <FEFF"), std::string::npos);

    // --no-dialog: the plug-in has no confirmed dialog and uses its defaults.
    Outcome raw = host("print --no-dialog " + doc);
    EXPECT_EQ(raw.status, 1) << raw.output;
    EXPECT_NE(raw.output.find("the job went to no file"), std::string::npos) << raw.output;
    raw = host("print --no-dialog " + doc + " -o " + dir + "/raw.ps");
    ASSERT_EQ(raw.status, 0) << raw.output;
    EXPECT_EQ(readFile(dir + "/raw.ps").find("/BleedBox"), std::string::npos);

    // --json tells the same for machines.
    Outcome j = host("print --json " + doc);
    ASSERT_EQ(j.status, 0) << j.output;
    nlohmann::json r = nlohmann::json::parse(j.output);
    EXPECT_EQ(r["file"], jobs + "/Stored.ps");
    EXPECT_EQ(r["fileNamedBy"], "plug-in");
    EXPECT_EQ(r["pages"], 3);
    EXPECT_EQ(r["printDialog"], true);
}

TEST(Cli, DistillerThatCannotStartOrFailsIsReported)
{
    std::string dir = e2e::tempFolder("cli-distiller");
    std::string doc = documentWithSettings(dir, dir, 1);

    Outcome missing = host("print " + doc, "FOLANTRA_DISTILLER=" + dir + "/no-such-distiller");
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_NE(missing.output.find("the distiller could not be started"), std::string::npos) << missing.output;
    EXPECT_TRUE(fs::exists(dir + "/Stored.ps")); // the job itself was written
    // The plug-in told the user too, once, naming the file.
    std::string box = "message box [Folantra]: Acrobat Distiller could not be started; the PostScript file was not "
                      "distilled. / " + dir + "/Stored.ps  -> OK";
    EXPECT_NE(missing.output.find(box), std::string::npos) << missing.output;
    EXPECT_EQ(missing.output.find("message box", missing.output.find(box) + box.size()), std::string::npos)
        << missing.output;

    std::string failing = dir + "/failing.sh";
    std::ofstream(failing) << "#!/bin/sh\nexit 3\n";
    fs::permissions(failing, fs::perms::owner_all);
    Outcome failed = host("print --wait-distiller " + doc, "FOLANTRA_DISTILLER=" + failing);
    EXPECT_EQ(failed.status, 1) << failed.output;
    EXPECT_NE(failed.output.find("the distiller failed with exit status 3"), std::string::npos) << failed.output;
    EXPECT_EQ(failed.output.find("message box"), std::string::npos) << failed.output; // it did start

    std::string good = dir + "/good.sh";
    std::ofstream(good) << "#!/bin/sh\nsleep 0.3\ncp \"$1\" \"$2\"\n";
    fs::permissions(good, fs::perms::owner_all);
    Outcome waited = host("print --wait-distiller " + doc, "FOLANTRA_DISTILLER=" + good);
    EXPECT_EQ(waited.status, 0) << waited.output;
    EXPECT_NE(waited.output.find("the distiller finished (exit status 0)"), std::string::npos) << waited.output;
    EXPECT_TRUE(fs::exists(dir + "/Stored.pdf")); // waited for: there when the host ends
}

TEST(Cli, OutputFoldersAreCreatedOrRefusedWithTheReason)
{
    std::string dir = e2e::tempFolder("cli-folders");
    std::string sample = FOLANTRA_SOURCE_DIR "/samples/brochure.json";
    Outcome o = host("print " + sample + " -o " + dir + "/new/deeper/job.ps");
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(fs::exists(dir + "/new/deeper/job.ps"));

    std::ofstream(dir + "/plain") << "a file";
    o = host("print " + sample + " -o " + dir + "/plain/job.ps");
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find(dir + "/plain is a file, not a folder"), std::string::npos) << o.output;

    o = host("print " + sample + " -o " + dir + "/new");
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("cannot write " + dir + "/new: it is a folder"), std::string::npos) << o.output;
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
}

TEST(Cli, InfoShowsTheStoredSettingsAndUnambiguousSpreads)
{
    std::string dir = e2e::tempFolder("cli-info");
    std::string doc = documentWithSettings(dir, dir, 1);
    Outcome o = host("info " + doc);
    ASSERT_EQ(o.status, 0) << o.output;
    for (const char* line : {"282  job start", "spread 1: page 1 (1 page), no boxes",
                             "spread 2: pages 2 to 3 (2 pages), no boxes", "PrintToFile  1 (on)",
                             "PageBorder   0 (off)", "Title        Stored title", "bleed 6 pt"})
        EXPECT_NE(o.output.find(line), std::string::npos) << line << " in\n" << o.output;
    EXPECT_EQ(o.output.find("KDIC block"), std::string::npos);

    Outcome j = host("info --json " + doc);
    ASSERT_EQ(j.status, 0) << j.output;
    nlohmann::ordered_json r = nlohmann::ordered_json::parse(j.output);
    EXPECT_EQ(r["handshake"], "accepted");
    EXPECT_EQ(r["document"]["settings"]["Distill"], "1");
    EXPECT_EQ(r["document"]["settings"]["Folder"], dir);
    EXPECT_EQ(r["document"]["spreads"][1]["firstPage"], 2);
    EXPECT_EQ(r["document"]["spreads"][1]["lastPage"], 3);
    // The settings come in the pane's order, not the block's.
    EXPECT_EQ(r["document"]["settings"].begin().key(), "TrimBox");
}

// Every count the host and the preflight print agrees with its noun: a
// one-page document with one box and a one-byte block, printed, distilled and
// previewed into one PNG file.
TEST(Cli, CountsAgreeWithTheirNouns)
{
    std::string dir = e2e::tempFolder("cli-counts");
    nlohmann::json j = {{"name", "One.qxp"},
                        {"pageSize", {{"width", 300}, {"height", 400}}},
                        {"spreads", {{{"pages", 1}, {"boxes", {{{"bounds", {20, 20, 100, 280}}, {"fill", 0.5}}}}}}},
                        {"xtensionData", {{"ABCD", {{"base64", "QQ=="}}}}}};
    const std::string doc = dir + "/one.json";
    std::ofstream(doc) << j.dump(1);
    std::string everything;
    auto expect = [&](const Outcome& o, std::initializer_list<const char*> lines) {
        everything += o.output;
        for (const char* line : lines)
            EXPECT_NE(o.output.find(line), std::string::npos) << line << " in\n" << o.output;
    };
    expect(host("info " + doc), {"300 x 400 pt, 1 page in 1 spread\n", "spread 1: page 1 (1 page), 1 box\n",
                                 "XTension data 'ABCD': 1 byte\n"});
    Outcome printed = host("print " + doc + " -o " + dir + "/one.ps");
    ASSERT_EQ(printed.status, 0) << printed.output;
    expect(printed, {"printed 1 page of One.qxp into "});
    expect(host("dialog " + doc + " --script " FOLANTRA_SOURCE_DIR "/samples/confirm-script.txt"),
           {"printed 1 page (the PostScript is not kept without -o)\n"});

    pdfcheck::distillFile(dir + "/one.ps", dir + "/one.pdf");
    Outcome preflight = e2e::runCommand(std::string(FOLANTRA_PREFLIGHT_PATH) + " " + dir + "/one.pdf --preview " + dir +
                                        "/preview");
    expect(preflight, {"one.pdf: 1 page\n", "previews: 1 PNG file in "});
    EXPECT_TRUE(fs::exists(dir + "/preview/page-1.png")) << preflight.output;

    for (const char* wrong : {"1 pages", "1 spreads", "1 boxes", "1 bytes", "1 PNG files", "1 checks"})
        EXPECT_EQ(everything.find(std::string(" ") + wrong), std::string::npos) << wrong << " in\n" << everything;
}

TEST(Cli, ExitCodesAndVersion)
{
    Outcome v = host("--version");
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.output, std::string("folantra-host ") + kVersionText + "\n");

    Outcome unknown = host("prnt x.json");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown command \"prnt\" (did you mean \"print\"?)"), std::string::npos)
        << unknown.output;
    EXPECT_EQ(host("").status, 2);
    EXPECT_EQ(host("print").status, 2);
    EXPECT_EQ(host("print --no-such-option " FOLANTRA_SOURCE_DIR "/samples/brochure.json").status, 2);
    EXPECT_EQ(host("--pdf-module maybe about").status, 2);
    EXPECT_EQ(host("--help").status, 0);
    EXPECT_NE(host("--help").output.find("Simulating the host's modules and faults"), std::string::npos);
    EXPECT_EQ(host("--plugin /nonexistent/Folantra.xnt about").status, 1);
    EXPECT_EQ(host("--refuse-handshake about").status, 1);
}

TEST(Cli, ScriptsNameControlsByLabelAndListingsNameKinds)
{
    std::string dir = e2e::tempFolder("cli-labels");
    std::ofstream(dir + "/script.txt") << "click \"Pageborders (0.25pt, black)\"\n"
                                          "click \"Metadata\"\n"
                                          "type \"Title:\" \"By label\"\n"
                                          "return\n"
                                          "ok\n";
    Outcome o = host("dialog " FOLANTRA_SOURCE_DIR "/samples/brochure.json --script " + dir + "/script.txt -o " + dir +
                     "/l.ps");
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("check box 2\t\"Pageborders (0.25pt, black)\" [off]"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("field 3\t\"\" [focus]"), std::string::npos) << o.output;
    std::string ps = readFile(dir + "/l.ps");
    EXPECT_NE(ps.find("rectstroke"), std::string::npos);
    EXPECT_NE(ps.find("/Title <FEFF0042"), std::string::npos); // "B"

    std::ofstream(dir + "/bad.txt") << "click \"No such thing\"\n";
    Outcome bad = host("dialog " FOLANTRA_SOURCE_DIR "/samples/brochure.json --script " + dir + "/bad.txt");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("no control labelled \"No such thing\""), std::string::npos) << bad.output;
}

TEST(Cli, SaveKeepsTheDocumentsOrderAndLayout)
{
    std::string dir = e2e::tempFolder("cli-save");
    const std::string original = "{\n"
                                 "  \"spreads\": [{\"boxes\": [{\"fill\": 0.5, \"bounds\": [10, 20, 30, 40.5]}], "
                                 "\"pages\": 1}],\n"
                                 "  \"comment\": \"kept as it is\",\n"
                                 "  \"name\": \"Order.qxp\",\n"
                                 "  \"pageSize\": {\"height\": 300, \"width\": 200}\n"
                                 "}\n";
    std::ofstream(dir + "/order.json") << original;
    std::ofstream(dir + "/script.txt") << "click \"Pageborders\"\nok\n";
    Outcome o = host("dialog " + dir + "/order.json --script " + dir + "/script.txt -o " + dir + "/o.ps --save " +
                     dir + "/saved.json");
    ASSERT_EQ(o.status, 0) << o.output;
    std::string saved = readFile(dir + "/saved.json");
    // The file's keys keep their order; the plug-in's block and the path come after them.
    std::vector<std::size_t> at;
    for (const char* key : {"\"spreads\"", "\"comment\"", "\"name\"", "\"pageSize\"", "\"path\"", "\"xtensionData\""})
        at.push_back(saved.find(key));
    for (std::size_t i = 0; i < at.size(); ++i) {
        ASSERT_NE(at[i], std::string::npos) << i << " in\n" << saved;
        if (i > 0) {
            EXPECT_GT(at[i], at[i - 1]) << saved;
        }
    }
    EXPECT_NE(saved.find("{\"fill\": 0.5, \"bounds\": [10, 20, 30, 40.5]}"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"pageSize\": {\"height\": 300, \"width\": 200}"), std::string::npos) << saved;
    EXPECT_NE(saved.find("PageBorder=1"), std::string::npos) << saved;
    EXPECT_LT(std::count(saved.begin(), saved.end(), '\n'), 20) << saved;
    // It reads back as the same document.
    subhost::Document again = subhost::loadDocument(dir + "/saved.json");
    EXPECT_EQ(again.spreads[0].boxes[0].right, 40.5);
}

namespace {

// The host's standard output alone, with --json.
Outcome hostJson(const std::string& args)
{
    return e2e::runCommand(std::string("{ ") + FOLANTRA_HOST_PATH + " " + args + " --json 2>/dev/null; }");
}

// The scripted commands in JSON: what the user saw as lines, what came of it,
// and a failed script as a failure that saved nothing.
TEST(Cli, ScriptedCommandsWriteJsonWithTheNarration)
{
    std::string dir = e2e::tempFolder("cli-json-dialog");
    Outcome o = hostJson("dialog " FOLANTRA_SOURCE_DIR "/samples/brochure.json --script " FOLANTRA_SOURCE_DIR
                     "/samples/pane-script.txt -o " + dir + "/j.ps --save " + dir + "/saved.json");
    ASSERT_EQ(o.status, 0) << o.output;
    nlohmann::json r = nlohmann::json::parse(o.output);
    EXPECT_EQ(r["ok"], true);
    EXPECT_EQ(r["confirmed"], true);
    EXPECT_EQ(r["pages"], 3);
    EXPECT_EQ(r["file"], dir + "/j.ps");
    EXPECT_EQ(r["saved"], dir + "/saved.json");
    const nlohmann::json& lines = r["narration"];
    ASSERT_TRUE(lines.is_array());
    EXPECT_EQ(lines.front(), "print dialog opened");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "dialog \"MetaData\" ended with 1 (OK)"), lines.end());
    EXPECT_EQ(lines.back(), "print dialog confirmed");

    std::ofstream(dir + "/bad.txt") << "click 2\nclick 99\nok\n";
    Outcome bad = hostJson("dialog " FOLANTRA_SOURCE_DIR "/samples/brochure.json --script " + dir + "/bad.txt --save " +
                       dir + "/not.json");
    EXPECT_EQ(bad.status, 1);
    nlohmann::json b = nlohmann::json::parse(bad.output);
    EXPECT_EQ(b["ok"], false);
    EXPECT_EQ(b["confirmed"], false);
    EXPECT_TRUE(b["saved"].is_null());
    ASSERT_EQ(b["scriptErrors"].size(), 1u);
    EXPECT_NE(b["scriptErrors"][0].get<std::string>().find("no control 99"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir + "/not.json"));

    Outcome e = hostJson("style-editor --styles " FOLANTRA_SOURCE_DIR "/samples/styles.xml --style \"Proof with boxes\" "
                     "--script " FOLANTRA_SOURCE_DIR "/samples/style-script.txt");
    ASSERT_EQ(e.status, 0) << e.output;
    nlohmann::json s = nlohmann::json::parse(e.output);
    EXPECT_EQ(s["style"], "Proof with boxes");
    EXPECT_NE(s["holds"].get<std::string>().find("PageBorder=\"0\""), std::string::npos);
    EXPECT_EQ(s["narration"].front(), "output-style editor opened on \"Proof with boxes\"");
}

} // namespace
