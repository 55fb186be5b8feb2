// The plug-in's cost in a print job, measured through the substitute host
// with the real plug-in binary:
//   BM_PageSnippets/C        the page snippet (155) and the scale snippet
//                            (150) with every option on, C = 1 the compact form;
//   BM_PrintJob/N/C          a whole job of N pages with every option on,
//                            the PostScript discarded: time per page;
//   BM_JobStartWithBlankPages/N
//                            job start over N pages with 10 boxes per spread
//                            and every fifth page blank (blank pages prepared);
//   BM_BlankBoxListScan/N    the part of that job start spent in the element
//                            array's duplicate scan (N/5 box references).
//
// `folantra_bench --write-document FILE PAGES` writes the benchmark document
// for measuring the command-line host; `folantra_bench --print-memory PAGES
// FILE` prints it with every option on into FILE (`-`: kept in memory) and
// tells the process's peak memory before and after (bench/memory_bench.sh).
#include "bench/bench_util.h"
#include "subhost/printjob.h"
#include "util/myarray.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include <sys/resource.h>

using namespace subhost;

namespace {

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
    bench::writePreferences(state.range(0) ? "[General]\nCompact=1\n" : "");
    auto h = bench::startedHost();
    Document d = bench::benchDocument(4, 10, 0);
    d.print.blankPages = false;
    h->openDocument(d);
    bench::chooseAllOptions(*h);
    bench::NullStream stream;
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
        if (h->events().size() > 100000)
            h->events().clear();
    }
    xtcbheader end{XT_CB_JOBEND, sizeof end};
    h->call(XT_CB_JOBEND, &end);
    h->setStream(nullptr);
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes_per_page"] = static_cast<double>(stream.bytes) / static_cast<double>(state.iterations());
    state.SetLabel(state.range(0) ? "compact form" : "standard form");
    bench::writePreferences("");
}
BENCHMARK(BM_PageSnippets)->Arg(0)->Arg(1);

void BM_PrintJob(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    bench::writePreferences(state.range(1) ? "[General]\nCompact=1\n" : "");
    auto h = bench::startedHost();
    h->openDocument(bench::benchDocument(pages, 10, 5));
    bench::chooseAllOptions(*h);
    int written = 0;
    for (auto _ : state) {
        PrintReport report = printDocument(*h, nullptr, std::string());
        written = report.pagesWritten;
        state.PauseTiming();
        h->events().clear();
        state.ResumeTiming();
    }
    if (written != pages)
        state.SkipWithError("not every page was printed");
    state.SetItemsProcessed(state.iterations() * pages);
    state.SetLabel(state.range(1) ? "compact form" : "standard form");
    bench::writePreferences("");
}
BENCHMARK(BM_PrintJob)
    ->ArgsProduct({{1000, 10000, 32767}, {0, 1}})
    ->ArgNames({"pages", "compact"})
    ->Unit(benchmark::kMillisecond);

void BM_JobStartWithBlankPages(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    auto h = bench::startedHost();
    h->openDocument(bench::benchDocument(pages, 10, 5));
    bench::NullStream stream;
    h->setStream(&stream);
    xtjobstartrec start = jobStart(*h);
    xtcbheader end{XT_CB_JOBEND, sizeof end};
    const std::size_t blank = static_cast<std::size_t>(pages / 5);
    for (auto _ : state) {
        h->call(XT_CB_JOBSTART, &start.hdr);
        state.PauseTiming();
        if (h->eventsOf("box-create").size() != blank)
            state.SkipWithError("expected a temporary box on every fifth page");
        h->call(XT_CB_JOBEND, &end);
        h->events().clear();
        for (xtpageranges* r : h->rangeBlocks)
            std::free(r);
        h->rangeBlocks.clear();
        state.ResumeTiming();
    }
    h->setStream(nullptr);
    state.SetItemsProcessed(state.iterations() * pages);
    state.SetLabel(std::to_string(blank) + " blank pages; job start");
}
BENCHMARK(BM_JobStartWithBlankPages)->Arg(1000)->Arg(10000)->Arg(32767)->Unit(benchmark::kMillisecond);

// The blank-page list as job start fills it: one new box reference per blank
// page, each first looked for among those already held.
void BM_BlankBoxListScan(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const auto blank = static_cast<xtboxref>(pages / 5);
    for (auto _ : state) {
        MyArray list(pages, static_cast<int32_t>(sizeof(xtboxref)));
        for (xtboxref box = 1; box <= blank; ++box)
            list.addElem(&box);
        benchmark::DoNotOptimize(list.count());
    }
    state.SetLabel(std::to_string(blank) + " box references");
}
BENCHMARK(BM_BlankBoxListScan)->Arg(1000)->Arg(10000)->Arg(32767)->Unit(benchmark::kMillisecond);

int writeDocument(const char* file, const char* pagesText)
{
    int pages = std::atoi(pagesText);
    if (pages < 1 || pages > kMaxPages) {
        std::cerr << "folantra_bench: pages must be 1 to " << kMaxPages << "\n";
        return 2;
    }
    try {
        saveDocument(bench::benchDocument(pages, 10, 5), file);
    } catch (const std::exception& e) {
        std::cerr << "folantra_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

double peakMB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kB on Linux
}

int printMemory(const char* pagesText, const std::string& file)
{
    int pages = std::atoi(pagesText);
    if (pages < 1 || pages > kMaxPages) {
        std::cerr << "folantra_bench: pages must be 1 to " << kMaxPages << "\n";
        return 2;
    }
    const double start = peakMB();
    auto h = bench::startedHost();
    h->openDocument(bench::benchDocument(pages, 10, 5));
    bench::chooseAllOptions(*h);
    const double held = peakMB();
    std::string memory;
    PrintReport report = printDocument(*h, file == "-" ? &memory : nullptr, file == "-" ? std::string() : file);
    if (!report.fileError.empty() || report.pagesWritten != pages) {
        std::cerr << "folantra_bench: " << report.fileError << "\n";
        return 1;
    }
    const double printed = peakMB();
    std::printf("%d pages: peak %.1f MB at start, %.1f MB holding the document, %.1f MB after printing %s\n", pages,
                start, held, printed, file == "-" ? "into memory" : "into the file");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--write-document") == 0)
        return writeDocument(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--print-memory") == 0)
        return printMemory(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
