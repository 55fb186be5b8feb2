#include "e2e/e2e_util.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

namespace e2e {

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
    fs::path p = fs::temp_directory_path() / ("folantra-e2e-" + std::to_string(::getpid())) / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

std::string run(const std::string& command)
{
    std::string out;
    FILE* f = ::popen(command.c_str(), "r");
    if (f == nullptr)
        throw std::runtime_error("cannot run " + command);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    int status = ::pclose(f);
    if (status != 0)
        throw std::runtime_error("command failed (" + std::to_string(status) + "): " + command + "\n" + out);
    return out;
}

} // namespace e2e
