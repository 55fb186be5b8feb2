// What the files of the host's function groups share: the way from a table
// back to its host, fixed-point conversion, the tables themselves, the guard
// every entry runs through, and one install function per family of groups.
// Only the host's own files include it.
#pragma once

#include "subhost/host.h"
#include "xtheadless.h"

#include <cmath>
#include <cstddef>
#include <exception>
#include <type_traits>

namespace subhost {

inline Host* hostOf(const xtgroup* g) { return static_cast<Host*>(g->host); }
inline Host* hostOf(const xtsetuprec* r) { return static_cast<Host*>(r->host); }
inline Host* hostOf(const xtactivaterec* r) { return static_cast<Host*>(r->host); }

inline xtfixed toFixed(double points) { return static_cast<xtfixed>(std::lround(points * 65536.0)); }
inline double toPoints(xtfixed f) { return f / 65536.0; }

// The callback codes and group ids this host gives its optional modules.
// They are the host's choice: a plug-in asks for them at start-up.
constexpr int32_t kPdfModuleCode = 0x5001;
constexpr int32_t kBleedModuleCode = 0x5002;
constexpr int32_t kPdfGroupId = 101;
constexpr int32_t kBleedGroupId = 102;

// ---- the guard ----
//
// No exception leaves the host through an entry the plug-in called: each
// entry runs in a guard that catches everything, records the fact on its
// host (Host::entryFailed) and answers the entry's failure value. That is
// XT_ERR_NOTFOUND for entries that answer a status, 0 for those that answer
// a byte, nothing for those without a result, unless the entry is given its
// own (Fail).

template <class R> constexpr R defaultFailure()
{
    if constexpr (std::is_same_v<R, uint8_t>)
        return 0;
    else
        return XT_ERR_NOTFOUND;
}

// Where a failed entry is recorded: its group id, or 0 for the entries of
// the setup and activation records.
inline int32_t groupOf(const xtgroup* g) { return g ? g->groupId : 0; }
inline int32_t groupOf(const xtsetuprec*) { return 0; }
inline int32_t groupOf(const xtactivaterec*) { return 0; }
template <class T> Host* hostOfOrNull(T* first) { return first ? hostOf(first) : nullptr; }

template <class First> void entryFailedOn(First first, int32_t entry, int32_t answer, const char* what) noexcept
{
    if (Host* h = hostOfOrNull(first))
        h->entryFailed(groupOf(first), entry, answer, what);
}

template <auto F, int32_t Entry, auto... Fail> struct Guard;

template <class R, class First, class... Rest, R(XTAPI* F)(First, Rest...), int32_t Entry, auto... Fail>
struct Guard<F, Entry, Fail...> {
    static_assert(sizeof...(Fail) <= 1, "one failure value at most");

    static R failure()
    {
        if constexpr (sizeof...(Fail) == 1)
            return static_cast<R>((Fail, ...));
        else
            return defaultFailure<R>();
    }

    static R XTAPI call(First first, Rest... rest) noexcept
    {
        try {
            if (Host* h = hostOfOrNull(first))
                h->entryStarts(groupOf(first), Entry);
            return F(first, rest...);
        } catch (const std::exception& e) {
            return fail(first, e.what());
        } catch (...) {
            return fail(first, "unknown exception");
        }
    }

    static R fail(First first, const char* what) noexcept
    {
        if constexpr (std::is_void_v<R>) {
            entryFailedOn(first, Entry, 0, what);
        } else {
            entryFailedOn(first, Entry, static_cast<int32_t>(failure()), what);
            return failure();
        }
    }
};

// The guarded form of F, entry `Entry` of its table (for the setup and
// activation records: the entry's offset in the record).
template <auto F, int32_t Entry, auto... Fail> constexpr auto guarded() { return &Guard<F, Entry, Fail...>::call; }

// ---- the tables ----

template <std::size_t N> struct Table {
    xtproc entries[N] = {};

    // Entry `Entry` becomes the guarded F.
    template <int32_t Entry, auto F, auto... Fail> void set()
    {
        static_assert(Entry >= 0 && static_cast<std::size_t>(Entry) < N, "entry beyond the table");
        entries[Entry] = reinterpret_cast<xtproc>(guarded<F, Entry, Fail...>());
    }
};

// Every group the host offers, bound to this host.
struct Host::Groups {
    xtgroup unicode, graphics, string, opentype;
    xtgroup print, utility, docmeasure, page, spread, fixedrect, box, textbox, boxfields, headless;
    xtgroup docdata, outputstyle, xmlnode;
    xtgroup pdf, bleed;
    Table<XT_PRINT_ENTRIES> printTable;
    Table<XT_DOCDATA_ENTRIES> docDataTable;
    Table<XT_STYLE_ENTRIES> styleTable;
    Table<XT_XML_ENTRIES> xmlTable;
    Table<XT_UTIL_ENTRIES> utilityTable;
    Table<XT_HEADLESS_ENTRIES> headlessTable;
    Table<XT_DOC_ENTRIES> docTable;
    Table<XT_PAGE_ENTRIES> pageTable;
    Table<XT_SPREAD_ENTRIES> spreadTable;
    Table<XT_FIXEDRECT_ENTRIES> rectTable;
    Table<XT_BOX_ENTRIES> boxTable;
    Table<XT_TEXTBOX_ENTRIES> textTable;
    Table<XT_BOXFIELDS_ENTRIES> fieldsTable;
    Table<XT_PDF_ENTRIES> pdfTable;
    Table<XT_BLEED_ENTRIES> bleedTable;
};

template <std::size_t N> void initGroup(xtgroup& g, Host* h, int32_t id, const Table<N>& t)
{
    g.version = XT_GROUP_VERSION;
    g.groupId = id;
    g.host = h;
    g.count = static_cast<uint32_t>(N);
    g.reserved = 0;
    g.entries = t.entries;
}

inline void initEmpty(xtgroup& g, Host* h, int32_t id) { g = xtgroup{XT_GROUP_VERSION, id, h, 0, 0, nullptr}; }

// ---- one install function per family ----

// Print and stream: the print group and the utility group (host_print.cpp).
void installPrintGroups(Host::Groups& g, Host* h);
// Documents and pages: measures, pages, spreads, rectangles, boxes, text-box
// descriptions and box fields (host_documents.cpp).
void installDocumentGroups(Host::Groups& g, Host* h);
// The documents' XTension data, names and paths (host_docdata.cpp).
void installDocDataGroup(Host::Groups& g, Host* h);
// Output styles and their XML nodes (host_styles.cpp).
void installStyleGroups(Host::Groups& g, Host* h);
// The headless window system's group: message boxes and the plug-in's
// dialogs and pane (host_dialogs.cpp).
void installDialogGroup(Host::Groups& g, Host* h);
// Set-up and registration (host_setup.cpp): the groups bound by id, the
// optional modules' groups, the setup record (binding, module codes,
// callback registration) and the activation record (the handshake).
void installSetupGroups(Host::Groups& g, Host* h);
void installSetupRecord(xtsetuprec& rec, Host* h, const HostOptions& options);
void installActivationRecord(xtactivaterec& rec, Host* h);

} // namespace subhost
