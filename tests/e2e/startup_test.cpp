// Start-up of the real plug-in binary in the substitute host: the handshake,
// the order of every registration, the optional modules, and the life-cycle
// callbacks.
#include "e2e/e2e_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

using namespace subhost;

namespace {

std::vector<std::pair<int32_t, int32_t>> registered(const Host& h)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const Registration& r : h.registrations())
        out.emplace_back(r.code, r.priority);
    return out;
}

TEST(Startup, RefusedHandshakeRegistersNothing)
{
    HostOptions o;
    o.refuseHandshake = true;
    auto h = e2e::loadedHost(o);
    EXPECT_EQ(h->activateResult(), static_cast<int32_t>(0x51000401));
    EXPECT_FALSE(h->setupCalled());
    EXPECT_TRUE(h->registrations().empty());
    EXPECT_TRUE(h->eventsOf("start-register").empty());
    EXPECT_EQ(h->announced(), 0);
}

TEST(Startup, HandshakeThenSetupRegistersEverythingInOrder)
{
    auto h = e2e::loadedHost();
    ASSERT_EQ(h->activateResult(), 0);
    ASSERT_EQ(h->setupResult(), 0);
    auto hs = h->eventsOf("handshake");
    ASSERT_EQ(hs.size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(hs[0].code), 0x4B444943u);
    EXPECT_EQ(hs[0].value, 5); // the macOS-style handshake kind
    EXPECT_EQ(h->announced(), 200);
    auto starts = h->eventsOf("start-register");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].value, 7); // flags
    EXPECT_EQ(starts[0].result, 200);

    std::vector<std::pair<int32_t, int32_t>> expected = {
        {150, 10}, {155, 200}, {282, 300}, {283, 200}, {148, 300}, {145, 200}, // print callbacks
        {5, 200},  {4, 200},   {64, 200},                                       // language, quit, about
        {164, 200}, {728, 200}, {765, 200}, {768, 200}, {771, 200}};            // the options pane
    EXPECT_EQ(registered(*h), expected);
    for (const Registration& r : h->registrations())
        EXPECT_EQ(r.flags, 7);
    // The groups are bound before anything registers: first by id, in order.
    std::vector<int32_t> ids;
    for (const Event& e : h->eventsOf("bind-id"))
        ids.push_back(e.code);
    ASSERT_GE(ids.size(), 4u);
    EXPECT_EQ(std::vector<int32_t>(ids.begin(), ids.begin() + 4), (std::vector<int32_t>{1, 2, 3, 4}));
}

struct ModuleCase {
    ModuleState pdf;
    ModuleState bleed;
    bool pdfAsked;
    bool bleedAsked;
};

class OptionalModules : public ::testing::TestWithParam<ModuleCase> {};

// Whether a module is bound shows in whether the plug-in asks it during a job.
TEST_P(OptionalModules, OnlyBoundModulesAreAsked)
{
    HostOptions o;
    o.pdf.state = GetParam().pdf;
    o.bleed.state = GetParam().bleed;
    o.bleed.bleed = 4;
    auto h = e2e::loadedHost(o);
    ASSERT_EQ(h->setupResult(), 0);
    h->openDocument(e2e::simpleDocument());
    std::string ps;
    printDocument(*h, ps);
    EXPECT_EQ(!h->eventsOf("pdf-asked").empty(), GetParam().pdfAsked);
    EXPECT_EQ(!h->eventsOf("bleed-asked").empty(), GetParam().bleedAsked);
}

INSTANTIATE_TEST_SUITE_P(States, OptionalModules,
                         ::testing::Values(ModuleCase{ModuleState::Absent, ModuleState::Absent, false, false},
                                           ModuleCase{ModuleState::Unbindable, ModuleState::Unbindable, false, false},
                                           ModuleCase{ModuleState::Present, ModuleState::Absent, true, false},
                                           ModuleCase{ModuleState::Absent, ModuleState::Present, false, true}));

TEST(Startup, PdfModuleThatAnswersOneKeepsThePlugInOut)
{
    HostOptions o;
    o.pdf.state = ModuleState::Present;
    o.pdf.stayOut = true;
    auto h = e2e::loadedHost(o);
    h->openDocument(e2e::simpleDocument());
    std::string ps;
    printDocument(*h, ps);
    EXPECT_EQ(ps.find("Folantra"), std::string::npos);
}

TEST(Startup, AboutWithAndWithoutRecord)
{
    auto h = e2e::loadedHost();
    uint8_t handled = 0;
    h->sendAbout(true, &handled);
    EXPECT_EQ(handled, 1);
    ASSERT_EQ(h->messages().size(), 1u);
    EXPECT_EQ(h->messages()[0].title, "Folantra");
    EXPECT_EQ(h->messages()[0].primary, "Folantra 4.20");
    h->sendAbout(false);
    EXPECT_EQ(h->messages().size(), 2u);
    for (const Event& e : h->eventsOf("call"))
        EXPECT_EQ(e.result, 0);
}

} // namespace

namespace {

// The language shows in the texts the plug-in shows: a stored folder that is
// gone brings the "invalidFolder" message in the host's language.
std::string folderMessage(subhost::Host& h)
{
    h.messages().clear();
    e2e::applyOptions(h, {{"Folder", "/no/such/folder"}});
    return h.messages().empty() ? std::string() : h.messages().back().primary;
}

TEST(Startup, LanguageCallbackSwitchesTheStringTable)
{
    const std::string english = "Invalid folder for saving the PS-file, the desktop will be used instead.";
    const std::string german =
        "Ungültiger Ordner zum Speichern der PS-Datei! Als alternativer Speicherort dient der Schreibtisch.";
    auto h = e2e::loadedHost();
    EXPECT_EQ(folderMessage(*h), english);
    for (int16_t code : {3, 19}) {
        h->sendLanguage(2);
        h->sendLanguage(code);
        EXPECT_EQ(folderMessage(*h), german) << code;
    }
    for (int16_t code : {2, 35}) {
        h->sendLanguage(3);
        h->sendLanguage(code);
        EXPECT_EQ(folderMessage(*h), english) << code;
    }
    // The host's language at start-up counts too.
    HostOptions swiss;
    swiss.language = 19;
    auto h2 = e2e::loadedHost(swiss);
    EXPECT_EQ(folderMessage(*h2), german);
}

} // namespace

namespace {

TEST(Startup, AnotherInterfaceOrAMissingGroupEndsStartUp)
{
    HostOptions other;
    other.tripleRevision = 600;
    auto h = e2e::loadedHost(other);
    EXPECT_EQ(h->activateResult(), 0);
    EXPECT_EQ(h->setupResult(), static_cast<int32_t>(0x51000401));
    EXPECT_TRUE(h->registrations().empty());

    HostOptions noBoxes;
    noBoxes.missingGroup = "box";
    auto h2 = e2e::loadedHost(noBoxes);
    EXPECT_EQ(h2->setupResult(), static_cast<int32_t>(0x51000401));
    EXPECT_TRUE(h2->registrations().empty());
}

TEST(Startup, LogWritesTheHeaderAndThePrintFilePathWhenSwitchedOn)
{
    const std::string log = e2e::homeFolder() + "/Documents/Kestrovan/Folantra.txt";
    ::setenv("FOLANTRA_LOG", "1", 1);
    {
        auto h = e2e::loadedHost();
        ::unsetenv("FOLANTRA_LOG");
        subhost::Document d = e2e::simpleDocument();
        d.name = "Logged";
        h->openDocument(d);
        e2e::applyOptions(*h, {{"PrintToFile", "1"}});
        std::string ps;
        printDocument(*h, ps);
    } // the host unloads the plug-in
    std::ifstream in(log, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text.rfind("\r\t####\tFolantra 4.20: \r", 0), 0u) << text;
    EXPECT_NE(text.find("psPath = " + e2e::homeFolder() + "/Desktop/Logged.ps\r"), std::string::npos) << text;
    std::remove(log.c_str());

    // Off by default: nothing is written.
    auto quiet = e2e::loadedHost();
    EXPECT_FALSE(std::ifstream(log).good());
}

} // namespace
