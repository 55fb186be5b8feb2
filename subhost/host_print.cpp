// Print and stream: the state of the job, its page ranges and settings, its
// output file, and the stream the plug-in writes its PostScript into.
#include "subhost/host_private.h"

#include <cstdlib>
#include <cstring>

namespace subhost {

namespace {

// ---- print ----
int32_t XTAPI printState(const xtgroup* g, int32_t* state)
{
    *state = hostOf(g)->printing() ? 3 : 0;
    return 0;
}

int32_t XTAPI printPageRanges(const xtgroup* g, const xtpageranges** out)
{
    Host* h = hostOf(g);
    Document* d = h->currentDocument();
    *out = nullptr;
    if (d == nullptr)
        return -1;
    std::vector<PageRange> ranges = d->print.ranges ? *d->print.ranges : std::vector<PageRange>{{1, d->pageCount()}};
    std::size_t bytes = 4 + 4 * ranges.size();
    auto* block = static_cast<xtpageranges*>(std::calloc(1, bytes));
    block->count = static_cast<int16_t>(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i)
        block->ranges[i] = xtpagerange{static_cast<int16_t>(ranges[i].first), static_cast<int16_t>(ranges[i].last)};
    h->rangeBlocks.push_back(block); // host-owned, freed at the end of the job
    *out = block;
    return 0;
}

int32_t XTAPI printSettings(const xtgroup* g, xtprintsettings* out)
{
    Document* d = hostOf(g)->currentDocument();
    std::memset(out, 0, sizeof *out);
    out->version = XT_GROUP_VERSION;
    out->size = sizeof *out;
    if (d == nullptr)
        return -1;
    const PrintSettings& p = d->print;
    out->flags = (p.blankPages ? XT_PRINT_BLANKPAGES : 0u) | (p.wholeSpreads ? XT_PRINT_SPREADS : 0u) | p.bleedBits;
    out->output = p.output;
    out->bleedAmount = toFixed(p.bleedAmount);
    out->bleedOffset = toFixed(p.bleedOffset);
    return 0;
}

int32_t XTAPI printSetFile(const xtgroup* g, const xtfileref* file)
{
    Host* h = hostOf(g);
    if (file == nullptr || !h->blockIsOurs(const_cast<xtfileref*>(file)))
        return -50;
    if (h->options().setFileError != 0) {
        h->record("setfile-refused", 0, h->options().setFileError);
        return h->options().setFileError;
    }
    h->jobFile = reinterpret_cast<const char*>(file);
    h->record("setfile");
    return 0;
}

// ---- utility ----
int32_t XTAPI utilFileRef(const xtgroup* g, const char* path, xtfileref** out)
{
    *out = nullptr;
    if (path == nullptr || path[0] == '\0')
        return -1;
    std::size_t n = std::strlen(path);
    auto* ref = static_cast<char*>(hostOf(g)->allocBlock(n + 1));
    std::memcpy(ref, path, n + 1);
    *out = reinterpret_cast<xtfileref*>(ref);
    return 0;
}

int32_t XTAPI utilWriteStream(const xtgroup* g, const char* bytes, int32_t n)
{
    Host* h = hostOf(g);
    if (!h->printing() || n < 0) {
        h->record("stream-refused", 0, n);
        return -1;
    }
    h->stream()->append(bytes, static_cast<std::size_t>(n));
    return 0;
}

void XTAPI utilDispose(const xtgroup* g, void* block) { hostOf(g)->freeBlock(block); }

} // namespace

void installPrintGroups(Host::Groups& g, Host* h)
{
    g.printTable.set<XT_PRINT_STATE, printState>();
    g.printTable.set<XT_PRINT_PAGERANGES, printPageRanges>();
    g.printTable.set<XT_PRINT_SETTINGS, printSettings>();
    g.printTable.set<XT_PRINT_SETFILE, printSetFile>();
    initGroup(g.print, h, XT_GROUPID_PRINT, g.printTable);
    g.utilityTable.set<XT_UTIL_WRITESTREAM, utilWriteStream>();
    g.utilityTable.set<XT_UTIL_DISPOSE, utilDispose>();
    g.utilityTable.set<XT_UTIL_FILEREF, utilFileRef>();
    initGroup(g.utility, h, XT_GROUPID_UTILITY, g.utilityTable);
}

} // namespace subhost
