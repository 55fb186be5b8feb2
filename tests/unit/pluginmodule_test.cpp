// The built plug-in file loads on its own (no runtime libraries beside it),
// offers its entry under the name the host looks for, and answers the
// handshake. On Windows this is the DLL as the host would load it.
#include "unit/testmodule.h"
#include "util/platform.h"
#include "xthost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeHost {
    uint8_t answer = 1;
    std::vector<uint32_t> checkedIds;
    std::vector<int32_t> announced;
    std::vector<int32_t> startValues;
};

FakeHost& host(xtactivaterec* rec) { return *static_cast<FakeHost*>(rec->host); }

uint8_t XTAPI compatible(xtactivaterec* rec, uint32_t id, int32_t, int32_t, uint32_t, int32_t)
{
    host(rec).checkedIds.push_back(id);
    return host(rec).answer;
}
void XTAPI announce(xtactivaterec* rec, int32_t value) { host(rec).announced.push_back(value); }
int32_t XTAPI registerStart(xtactivaterec* rec, xtstartproc fn, int32_t, int32_t value, int32_t)
{
    if (fn != nullptr)
        host(rec).startValues.push_back(value);
    return 0;
}

xtactivaterec activationRecord(FakeHost* fake, const uint32_t* version)
{
    xtactivaterec rec{};
    rec.version = XT_ACTIVATE_VERSION;
    rec.size = sizeof rec;
    rec.host = fake;
    rec.compatible = compatible;
    rec.announce = announce;
    rec.registerStart = registerStart;
    rec.hostVersion = version;
    return rec;
}

xtactivateproc pluginEntry()
{
    char self[512] = {};
    if (!plat::modulePath(self, sizeof self))
        return nullptr;
    std::string path(self);
    std::string::size_type sep = path.find_last_of(plat::kPathSep);
    path = (sep == std::string::npos ? std::string() : path.substr(0, sep + 1)) + ".." + plat::kPathSep +
           "XTensions" + plat::kPathSep + "Folantra.xnt";
    return reinterpret_cast<xtactivateproc>(testing_util::loadModuleSymbol(path, XT_ENTRY_NAME));
}

} // namespace

TEST(PluginModule, LoadsAndAnswersTheHandshake)
{
    xtactivateproc entry = pluginEntry();
    ASSERT_NE(entry, nullptr) << "XTensions/Folantra.xnt did not load or has no " XT_ENTRY_NAME;

    const uint32_t version = 0x0A000000;
    FakeHost refusing;
    refusing.answer = 0;
    xtactivaterec rec = activationRecord(&refusing, &version);
    EXPECT_EQ(entry(&rec), static_cast<int32_t>(XT_ERR_STARTUP));
    EXPECT_EQ(refusing.checkedIds, std::vector<uint32_t>{0x4B444943u});
    EXPECT_TRUE(refusing.startValues.empty());

    FakeHost accepting;
    rec = activationRecord(&accepting, &version);
    EXPECT_EQ(entry(&rec), 0);
    EXPECT_EQ(accepting.announced, std::vector<int32_t>{200});
    EXPECT_EQ(accepting.startValues, (std::vector<int32_t>{200, 200}));

    EXPECT_EQ(entry(nullptr), static_cast<int32_t>(XT_ERR_STARTUP));
}
