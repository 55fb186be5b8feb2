#include "integration/inprocess.h"

#include "common/private_home.h"

#include "util/mystrings.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

extern "C" int32_t XTActivateCallback(xtactivaterec* rec);

namespace fs = std::filesystem;

namespace inprocess {

namespace {
const testhome::PrivateHome sPrivateHome("folantra-int-home-");
} // namespace

std::string home() { return std::getenv("HOME"); }

std::unique_ptr<subhost::Host> startedHost(subhost::HostOptions options)
{
    setResourceFolder(FOLANTRA_SOURCE_DIR "/resources");
    auto host = std::make_unique<subhost::Host>(options);
    host->loadEntry(XTActivateCallback);
    host->messages().clear(); // this program has no resources folder beside it
    return host;
}

subhost::Document document(const std::string& name)
{
    subhost::Document d;
    d.name = name;
    d.pageWidth = 595.276;
    d.pageHeight = 841.89;
    d.spreads.push_back(subhost::Spread{});
    return d;
}

std::string freshFolder(const std::string& name)
{
    fs::path p = fs::path(home()) / "work" / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

} // namespace inprocess
