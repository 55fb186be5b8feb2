// The plug-in's cost in a print job, measured through the substitute host
// with the real plug-in binary:
//   - per page: the page snippet (155) and the scale snippet (150) with every
//     option on;
//   - job start with blank-page preparation and job end for a 2,000-page
//     document with 10 boxes per spread and every fifth page blank.
#include "subhost/host.h"
#include "subhost/printjob.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

using namespace subhost;

namespace {

Document benchDocument(int pages, int boxesPerSpread, int blankEvery)
{
    Document d;
    d.name = "Bench";
    d.pageWidth = 595.276;
    d.pageHeight = 841.89;
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
        d.spreads.push_back(s);
    }
    d.print.blankPages = true;
    d.print.bleedBits = 0x200;
    d.print.bleedAmount = 9;
    d.print.output = 1;
    return d;
}

std::unique_ptr<Host> startedHost()
{
    HostOptions o;
    o.bleed.state = ModuleState::Present;
    o.bleed.bleed = 6;
    auto h = std::make_unique<Host>(o);
    if (!h->load(FOLANTRA_PLUGIN_PATH) || h->setupResult() != 0)
        throw std::runtime_error("cannot start the plug-in: " + h->error());
    return h;
}

// Every option that writes something per page.
void chooseAllOptions(Host& h)
{
    OutputStyle s;
    s.name = "all";
    s.nodes[XT_PLUGIN_ID] = "<xtension code=\"KDIC\"><Folantra TrimBox=\"1\" PageBorder=\"1\" Scale=\"1\" "
                            "ScX=\"0.95\" ScY=\"1.05\" Title=\"Benchmark\"/></xtension>";
    h.styles().push_back(s);
    h.chooseStyle(static_cast<xtstyleref>(h.styles().size()));
}

// The job-start record of a print job of the host's current document.
xtjobstartrec jobStart(const Host& h)
{
    xtjobstartrec start{};
    start.hdr = xtcbheader{XT_CB_JOBSTART, sizeof start};
    start.kind = 3;
    start.doc = h.currentRef();
    return start;
}

void BM_PageSnippets(benchmark::State& state)
{
    auto h = startedHost();
    Document d = benchDocument(4, 10, 0);
    d.print.blankPages = false;
    h->openDocument(d);
    chooseAllOptions(*h);
    std::string stream;
    h->setStream(&stream);
    xtjobstartrec start = jobStart(*h);
    h->call(XT_CB_JOBSTART, &start.hdr);
    xtcbheader setup{XT_CB_DOCSETUP, sizeof setup};
    h->call(XT_CB_DOCSETUP, &setup);
    xtpagerec page{};
    page.hdr = xtcbheader{XT_CB_PAGESETUP, sizeof page};
    int16_t p = 1;
    for (auto _ : state) {
        page.page = p;
        page.hdr.code = XT_CB_PAGESETUP;
        h->call(XT_CB_PAGESETUP, &page.hdr);
        page.hdr.code = XT_CB_PAGESCALE;
        h->call(XT_CB_PAGESCALE, &page.hdr);
        p = static_cast<int16_t>(p % 4 + 1);
        if (stream.size() > (1u << 20))
            stream.clear();
    }
    xtcbheader end{XT_CB_JOBEND, sizeof end};
    h->call(XT_CB_JOBEND, &end);
    h->setStream(nullptr);
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("pages");
}
BENCHMARK(BM_PageSnippets);

void BM_JobStartWithBlankPages(benchmark::State& state)
{
    auto h = startedHost();
    h->openDocument(benchDocument(2000, 10, 5));
    std::string stream;
    h->setStream(&stream);
    xtjobstartrec start = jobStart(*h);
    xtcbheader end{XT_CB_JOBEND, sizeof end};
    for (auto _ : state) {
        h->call(XT_CB_JOBSTART, &start.hdr);
        state.PauseTiming();
        if (h->eventsOf("box-create").size() != 400)
            state.SkipWithError("expected 400 temporary boxes");
        h->events().clear();
        state.ResumeTiming();
        h->call(XT_CB_JOBEND, &end);
        h->events().clear();
        for (xtpageranges* r : h->rangeBlocks)
            std::free(r);
        h->rangeBlocks.clear();
    }
    h->setStream(nullptr);
    state.SetLabel("2,000 pages, 400 blank; job start and end");
}
BENCHMARK(BM_JobStartWithBlankPages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
