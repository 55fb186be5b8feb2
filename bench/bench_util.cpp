#include "bench/bench_util.h"

#include "common/private_home.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace subhost;

namespace bench {

namespace {
const testhome::PrivateHome sPrivateHome("folantra-bench-home-");
} // namespace

Document benchDocument(int pages, int boxesPerSpread, int blankEvery)
{
    Document d;
    d.name = "Bench";
    d.pageWidth = 595.276;
    d.pageHeight = 841.89;
    d.spreads.reserve(static_cast<std::size_t>(pages));
    for (int p = 1; p <= pages; ++p) {
        Spread s;
        if (blankEvery == 0 || p % blankEvery != 0)
            for (int b = 0; b < boxesPerSpread; ++b) {
                Box box;
                box.id = d.nextBoxId++;
                box.top = 20 + 70 * b;
                box.left = 40;
                box.bottom = box.top + 60;
                box.right = 500;
                box.fill = std::vector<double>{0.5};
                s.boxes.push_back(box);
            }
        d.spreads.push_back(std::move(s));
    }
    d.print.blankPages = true;
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 9;
    d.print.output = 1;
    return d;
}

void writePreferences(const std::string& text)
{
    fs::path dir = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Kestrovan";
    fs::create_directories(dir);
    if (text.empty())
        fs::remove(dir / "Folantra.ini");
    else
        std::ofstream(dir / "Folantra.ini", std::ios::binary) << text;
}

std::unique_ptr<Host> startedHost(bool passive)
{
    HostOptions o;
    o.bleed.state = ModuleState::Present;
    o.bleed.bleed = 6;
    if (passive) {
        o.pdf.state = ModuleState::Present;
        o.pdf.stayOut = true;
    }
    auto h = std::make_unique<Host>(o);
    if (!h->load(FOLANTRA_PLUGIN_PATH) || h->setupResult() != 0)
        throw std::runtime_error("cannot start the plug-in: " + h->error());
    return h;
}

void chooseAllOptions(Host& h)
{
    OutputStyle s;
    s.name = "all";
    s.nodes[XT_PLUGIN_ID] = "<xtension code=\"KDIC\"><Folantra TrimBox=\"1\" PageBorder=\"1\" Scale=\"1\" "
                            "ScX=\"0.95\" ScY=\"1.05\" Title=\"Benchmark\"/></xtension>";
    h.styles().push_back(s);
    h.chooseStyle(static_cast<xtstyleref>(h.styles().size()));
}

} // namespace bench
