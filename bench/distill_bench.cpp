// What the plug-in's PostScript costs the distiller: one job printed three
// ways through the substitute host with every option on (the plug-in kept
// passive by the PDF module, the standard form, the compact form) and each
// distilled by Ghostscript.
//   BM_DistillTime/pages:P/boxes:B           Ghostscript's processor time and
//                                            wall time, the three runs taken
//                                            in turn in every iteration;
//   BM_DistillInstructions/pages:P/boxes:B   Ghostscript's instruction counts
//                                            under valgrind (callgrind), when
//                                            valgrind is installed.
// FOLANTRA_BENCH_KEEP=1 keeps the jobs and PDFs (the folder is named at the end).
// The counters give each form's time or count and the ratios to the passive
// job (default_ratio, compact_ratio; of the fastest of five processor times
// for BM_DistillTime).
#include "bench/bench_util.h"
#include "subhost/printjob.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace subhost;

namespace {

const char* const kForms[3] = {"passive", "default", "compact"};

// The folder of this run's jobs and PDFs, removed when the program ends
// unless FOLANTRA_BENCH_KEEP is set (to look at the jobs).
struct Scratch {
    fs::path dir = fs::temp_directory_path() / ("folantra-distill-" + std::to_string(::getpid()));
    ~Scratch()
    {
        if (std::getenv("FOLANTRA_BENCH_KEEP") != nullptr) {
            std::fprintf(stderr, "jobs kept in %s\n", dir.string().c_str());
            return;
        }
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
} sScratch;

// The job of `pages` pages with `boxes` boxes per spread printed the three
// ways, once per process.
struct Jobs {
    std::string ps[3];
    std::uintmax_t bytes[3] = {};
};

const Jobs& jobs(int pages, int boxes)
{
    static std::map<std::pair<int, int>, Jobs> made;
    auto key = std::make_pair(pages, boxes);
    auto it = made.find(key);
    if (it != made.end())
        return it->second;
    Jobs j;
    fs::create_directories(sScratch.dir);
    for (int form = 0; form < 3; ++form) {
        bench::writePreferences(form == 2 ? "[General]\nCompact=1\n" : "");
        auto h = bench::startedHost(form == 0);
        h->openDocument(bench::benchDocument(pages, boxes, 5));
        bench::chooseAllOptions(*h);
        j.ps[form] = (sScratch.dir / (std::to_string(pages) + "-" + std::to_string(boxes) + "-" + kForms[form] + ".ps"))
                         .string();
        PrintReport report = printDocument(*h, nullptr, j.ps[form]);
        if (!report.fileError.empty() || report.pagesWritten != pages)
            throw std::runtime_error("cannot print the job: " + report.fileError);
        j.bytes[form] = fs::file_size(j.ps[form]);
    }
    bench::writePreferences("");
    return made.emplace(key, j).first->second;
}

std::string quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string gsCommand(const std::string& ps)
{
    return "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dAutoRotatePages=/None -o " + quote(ps + ".pdf") + " " +
           quote(ps);
}

double childSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct Seconds {
    double wall = 0, cpu = 0;
};

// What one distiller run takes: wall time, and the processor time of
// Ghostscript (user and system), which a busy machine disturbs far less.
Seconds distil(const std::string& ps)
{
    const double cpu0 = childSeconds();
    auto t0 = std::chrono::steady_clock::now();
    int status = std::system((gsCommand(ps) + " >/dev/null 2>&1").c_str());
    auto t1 = std::chrono::steady_clock::now();
    if (status != 0)
        throw std::runtime_error("gs failed on " + ps);
    return Seconds{std::chrono::duration<double>(t1 - t0).count(), childSeconds() - cpu0};
}

void BM_DistillTime(benchmark::State& state)
{
    const Jobs& j = jobs(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Seconds seconds[3];
    Seconds fastest[3];
    int round = 0;
    for (auto _ : state) {
        // Each form runs once per iteration, starting with a different one
        // each time, so that a slower moment of the machine is shared.
        for (int k = 0; k < 3; ++k) {
            int form = (k + round) % 3;
            Seconds s = distil(j.ps[form]);
            seconds[form].wall += s.wall;
            seconds[form].cpu += s.cpu;
            if (round == 0 || s.cpu < fastest[form].cpu)
                fastest[form].cpu = s.cpu;
            if (round == 0 || s.wall < fastest[form].wall)
                fastest[form].wall = s.wall;
        }
        ++round;
    }
    const double n = static_cast<double>(state.iterations());
    for (int form = 0; form < 3; ++form) {
        state.counters[std::string(kForms[form]) + "_cpu_s"] = seconds[form].cpu / n;
        state.counters[std::string(kForms[form]) + "_wall_s"] = seconds[form].wall / n;
    }
    // The ratios are of each form's fastest run: other work on the machine
    // only ever adds to a run's time, so the fastest is the least disturbed.
    state.counters["default_ratio"] = fastest[1].cpu / fastest[0].cpu;
    state.counters["compact_ratio"] = fastest[2].cpu / fastest[0].cpu;
    state.counters["default_wall_ratio"] = fastest[1].wall / fastest[0].wall;
    state.counters["compact_wall_ratio"] = fastest[2].wall / fastest[0].wall;
    state.counters["compact_ps_MB"] = static_cast<double>(j.bytes[2]) / 1e6;
    state.counters["default_ps_MB"] = static_cast<double>(j.bytes[1]) / 1e6;
}
BENCHMARK(BM_DistillTime)
    ->Args({2000, 10})
    ->ArgNames({"pages", "boxes"})
    ->Iterations(5)
    ->Unit(benchmark::kSecond);

// Ghostscript's instruction count for one job, read from callgrind's log.
double instructions(const std::string& ps)
{
    const std::string log = ps + ".callgrind.log";
    std::string command = "valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file=" + quote(log) + " " +
                          gsCommand(ps) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("valgrind or gs failed on " + ps);
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        auto at = line.find("Collected : ");
        if (at != std::string::npos)
            return std::stod(line.substr(at + 12));
    }
    throw std::runtime_error("no instruction count in " + log);
}

void BM_DistillInstructions(benchmark::State& state)
{
    if (std::system("command -v valgrind >/dev/null 2>&1") != 0) {
        state.SkipWithError("valgrind is not installed: no instruction counts");
        for (auto _ : state) {
        }
        return;
    }
    const Jobs& j = jobs(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    double count[3] = {};
    for (auto _ : state)
        for (int form = 0; form < 3; ++form)
            count[form] = instructions(j.ps[form]);
    for (int form = 0; form < 3; ++form)
        state.counters[std::string(kForms[form]) + "_Ginstr"] = count[form] / 1e9;
    state.counters["default_ratio"] = count[1] / count[0];
    state.counters["compact_ratio"] = count[2] / count[0];
    const double pages = static_cast<double>(state.range(0));
    state.counters["default_extra_per_page"] = (count[1] - count[0]) / pages;
    state.counters["compact_extra_per_page"] = (count[2] - count[0]) / pages;
}
BENCHMARK(BM_DistillInstructions)
    ->Args({2000, 10})
    ->ArgNames({"pages", "boxes"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
