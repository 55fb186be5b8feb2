// Reading a style file, as both substitute hosts do (the same parser and the
// same checks on Linux and Windows): the time grows with the file.
//   BM_StyleFileSiblings/N     N sibling elements in another plug-in's node;
//   BM_StyleFileAttributes/N   N attributes on one element of that node.
// Each reports its complexity over the sizes, up to 160,000 elements and
// 90,000 attributes.
#include "subhost/styles.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string styleFile(const std::string& node)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<outputstyles><style name=\"Big\" kind=\"RTPX\">"
           "<xtension code=\"KDIC\"><Folantra TrimBox=\"1\" Title=\"Gr&#252;&#223;e &amp; more\"/></xtension>"
           "<xtension code=\"OTHR\">" +
           node + "</xtension></style></outputstyles>\n";
}

void BM_StyleFileSiblings(benchmark::State& state)
{
    std::string node = "<other>";
    for (long i = 0; i < state.range(0); ++i)
        node += "<e a=\"1\"/>";
    node += "</other>";
    std::string xml = styleFile(node);
    for (auto _ : state)
        benchmark::DoNotOptimize(subhost::parseStyles(xml, "big.xml"));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(xml.size()));
}
BENCHMARK(BM_StyleFileSiblings)->RangeMultiplier(2)->Range(10000, 160000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_StyleFileAttributes(benchmark::State& state)
{
    std::string node = "<other";
    for (long i = 0; i < state.range(0); ++i)
        node += " a" + std::to_string(i) + "=\"v\"";
    node += "/>";
    std::string xml = styleFile(node);
    for (auto _ : state)
        benchmark::DoNotOptimize(subhost::parseStyles(xml, "big.xml"));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StyleFileAttributes)->Arg(11250)->Arg(22500)->Arg(45000)->Arg(90000)->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
