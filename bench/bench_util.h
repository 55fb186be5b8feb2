// What the benchmarks share: a private home for the plug-in's preferences,
// the benchmark document and a host with the plug-in started.
#pragma once

#include "subhost/host.h"

#include <memory>
#include <string>

namespace bench {

// A document of `pages` single-page A4 spreads with `boxesPerSpread` filled
// boxes each, every `blankEvery`-th page without any (0: none blank); blank
// pages prepared at job start, a 9 pt bleed in the print settings.
subhost::Document benchDocument(int pages, int boxesPerSpread, int blankEvery);

// Writes the plug-in's preferences file in the private home (the plug-in
// reads it when it starts); empty text removes it.
void writePreferences(const std::string& text);

// A host with the plug-in started (a 6 pt Bleed module; with `passive`, a
// PDF module that keeps the plug-in out of every job). Throws when the
// plug-in cannot start.
std::unique_ptr<subhost::Host> startedHost(bool passive = false);

// Every option that writes something per page, chosen as a print output
// style: boxes, border, scale 95 % by 105 % and a title.
void chooseAllOptions(subhost::Host& host);

// Discards what a job writes.
class NullStream : public subhost::JobStream {
public:
    void write(const char*, std::size_t n) override { bytes += n; }
    std::size_t bytes = 0;
};

} // namespace bench
