// Document data: the XTension data a document keeps for the plug-in (its
// options), the document's changed mark, its name and its path.
#include "subhost/host_private.h"

#include <cstring>
#include <string>

namespace subhost {

namespace {

// ---- document data ----
int32_t XTAPI docDataGet(const xtgroup* g, int32_t doc, uint32_t code, void** block, int32_t* size)
{
    Host* h = hostOf(g);
    Document* d = h->document(doc);
    *block = nullptr;
    *size = 0;
    if (d == nullptr)
        return -1;
    auto it = d->xtData.find(code);
    if (it == d->xtData.end())
        return -1;
    *block = h->allocBlock(it->second.size());
    if (!it->second.empty())
        std::memcpy(*block, it->second.data(), it->second.size());
    *size = static_cast<int32_t>(it->second.size());
    return 0;
}

int32_t XTAPI docDataSet(const xtgroup* g, int32_t doc, uint32_t code, const void* block, int32_t size)
{
    Host* h = hostOf(g);
    Document* d = h->document(doc);
    if (d == nullptr || size < 0 || (block == nullptr && size > 0))
        return -1;
    const auto* bytes = static_cast<const uint8_t*>(block);
    d->xtData[code].assign(bytes, bytes + size);
    h->record("docdata-set", static_cast<int32_t>(code), size);
    return 0;
}

int32_t XTAPI docMarkChanged(const xtgroup* g, int32_t doc, int32_t level)
{
    Host* h = hostOf(g);
    Document* d = h->document(doc);
    if (d == nullptr)
        return -1;
    d->changed = true;
    h->record("doc-changed", doc, level);
    return 0;
}

int32_t copyText(const std::string& text, char* out, int32_t cap)
{
    if (out == nullptr || cap <= 0 || text.size() + 1 > static_cast<std::size_t>(cap))
        return -1;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return 0;
}

int32_t XTAPI docPath(const xtgroup* g, int32_t doc, char* out, int32_t cap)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr || !d->path)
        return -1;
    return copyText(*d->path, out, cap);
}

int32_t XTAPI docName(const xtgroup* g, int32_t doc, char* out, int32_t cap)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr)
        return -1;
    return copyText(d->name, out, cap);
}

} // namespace

void installDocDataGroup(Host::Groups& g, Host* h)
{
    g.docDataTable.set<XT_DOCDATA_GET, docDataGet>();
    g.docDataTable.set<XT_DOCDATA_SET, docDataSet>();
    g.docDataTable.set<XT_DOCDATA_MARKCHANGED, docMarkChanged>();
    g.docDataTable.set<XT_DOCDATA_PATH, docPath>();
    g.docDataTable.set<XT_DOCDATA_NAME, docName>();
    initGroup(g.docdata, h, XT_GROUPID_DOCDATA, g.docDataTable);
}

} // namespace subhost
