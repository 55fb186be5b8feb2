#include "e2e/e2e_util.h"

#include "common/private_home.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace e2e {

namespace {
fs::path scratchRoot() { return fs::temp_directory_path() / ("folantra-e2e-" + std::to_string(::getpid())); }

// The scratch folders go when the test program ends.
struct RemoveAtExit {
    ~RemoveAtExit()
    {
        std::error_code ec;
        fs::remove_all(scratchRoot(), ec);
    }
} sRemoveAtExit;

const testhome::PrivateHome sPrivateHome("folantra-e2e-home-");
} // namespace

std::string homeFolder() { return std::getenv("HOME"); }

void writePreferences(const std::string& text)
{
    fs::path dir = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Kestrovan";
    fs::create_directories(dir);
    std::ofstream(dir / "Folantra.ini", std::ios::binary) << text;
}

void removePreferences()
{
    fs::remove(fs::path(std::getenv("XDG_CONFIG_HOME")) / "Kestrovan" / "Folantra.ini");
}

void applyOptions(subhost::Host& host, const std::map<std::string, std::string>& values)
{
    std::string node = "<xtension code=\"KDIC\"><Folantra";
    for (const auto& [k, v] : values) {
        std::string escaped;
        for (char c : v)
            escaped += c == '"' ? std::string("&quot;") : c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : std::string(1, c);
        node += " " + k + "=\"" + escaped + "\"";
    }
    node += "/></xtension>";
    subhost::OutputStyle style;
    style.name = "Test style " + std::to_string(host.styles().size() + 1);
    style.nodes[0x4B444943u] = node;
    host.styles().push_back(style);
    host.chooseStyle(static_cast<xtstyleref>(host.styles().size()));
}

std::unique_ptr<subhost::Host> loadedHost(subhost::HostOptions options)
{
    auto host = std::make_unique<subhost::Host>(options);
    if (!host->load(FOLANTRA_PLUGIN_PATH))
        throw std::runtime_error(host->error());
    return host;
}

subhost::Document simpleDocument(int pages)
{
    subhost::Document d;
    d.name = "Sample.qxp";
    d.pageWidth = 595.276;
    d.pageHeight = 841.890;
    for (int i = 0; i < pages; ++i) {
        subhost::Spread s;
        s.pages = 1;
        subhost::Box b;
        b.id = d.nextBoxId++;
        b.top = 72;
        b.left = 72;
        b.bottom = 144;
        b.right = 300;
        b.fill = std::vector<double>{0.5};
        s.boxes.push_back(b);
        d.spreads.push_back(s);
    }
    return d;
}

std::string tempFolder(const std::string& name)
{
    fs::path p = scratchRoot() / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

subhost::Document documentWith(const std::string& lines, int pages)
{
    subhost::Document d = simpleDocument(pages);
    std::string text = "\r[Settings]\r" + lines;
    std::vector<uint8_t>& block = d.xtData[XT_PLUGIN_ID];
    block.assign(text.begin(), text.end());
    block.push_back(0);
    return d;
}

subhost::OutputStyle styleWith(const std::string& attributes, const std::string& name)
{
    subhost::OutputStyle s;
    s.name = name;
    s.nodes[XT_PLUGIN_ID] = "<xtension code=\"KDIC\"><Folantra " + attributes + "/></xtension>";
    return s;
}

std::string blockOf(subhost::Host& host)
{
    const auto& data = host.currentDocument()->xtData;
    auto it = data.find(XT_PLUGIN_ID);
    return it == data.end() ? "<none>" : std::string(it->second.begin(), it->second.end());
}

std::vector<std::string> temporaryFilesIn(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.size() == 15 && name.rfind(".fo", 0) == 0 && name.compare(11, 4, ".tmp") == 0)
            found.push_back(name);
    }
    return found;
}

Outcome runCommand(const std::string& commandLine)
{
    std::string out;
    FILE* f = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (f == nullptr)
        return Outcome{-1, "cannot start: " + commandLine};
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    int status = ::pclose(f);
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

} // namespace e2e
