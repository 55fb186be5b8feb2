#include "subhost/host.h"

#include "subhost/headless.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace subhost {

namespace {
constexpr int32_t kPdfModuleCode = 0x5001;
constexpr int32_t kBleedModuleCode = 0x5002;
constexpr int32_t kPdfGroupId = 101;
constexpr int32_t kBleedGroupId = 102;

Host* hostOf(const xtgroup* g) { return static_cast<Host*>(g->host); }
Host* hostOf(const xtsetuprec* r) { return static_cast<Host*>(r->host); }

xtfixed toFixed(double points) { return static_cast<xtfixed>(std::lround(points * 65536.0)); }
double toPoints(xtfixed f) { return f / 65536.0; }

Document* currentDoc(const xtgroup* g) { return hostOf(g)->currentDocument(); }

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
    Document* d = currentDoc(g);
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

// ---- document measure ----
int32_t XTAPI docCurrent(const xtgroup* g) { return hostOf(g)->currentRef(); }

int32_t XTAPI docPageWidth(const xtgroup* g, int32_t doc, xtfixed* out)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr)
        return -1;
    *out = toFixed(d->pageWidth);
    return 0;
}

int32_t XTAPI docPageHeight(const xtgroup* g, int32_t doc, xtfixed* out)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr)
        return -1;
    *out = toFixed(d->pageHeight);
    return 0;
}

// ---- pages and spreads ----
int32_t XTAPI pageCount(const xtgroup* g, int32_t doc, int32_t, int16_t* count)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr)
        return -1;
    *count = static_cast<int16_t>(d->pageCount());
    return 0;
}

int32_t XTAPI pageNumData(const xtgroup* g, int16_t page, pagenumdata* out)
{
    Document* d = currentDoc(g);
    int spread = 0, position = 0;
    std::memset(out, 0, sizeof *out);
    if (d == nullptr || !d->locatePage(page, &spread, &position))
        return -1;
    out->spread = static_cast<int16_t>(spread + 1);
    out->pageInSpread = static_cast<int16_t>(position);
    out->docPage = page;
    return 0;
}

int32_t XTAPI spreadPageToSpread(const xtgroup* g, const pagenumdata* pnd, fixedrect* r)
{
    Document* d = currentDoc(g);
    if (d == nullptr || pnd->spread < 1 || pnd->spread > static_cast<int>(d->spreads.size()))
        return -1;
    xtfixed dx = toFixed(pnd->pageInSpread * d->pageWidth);
    r->left += dx;
    r->right += dx;
    return 0;
}

int32_t XTAPI spreadPages(const xtgroup* g, int16_t spread, int16_t** list, int32_t* bytes)
{
    Host* h = hostOf(g);
    Document* d = h->currentDocument();
    *list = nullptr;
    *bytes = 0;
    if (d == nullptr || spread < 1 || spread > static_cast<int>(d->spreads.size()))
        return -1;
    int n = d->spreads[spread - 1].pages;
    auto* pages = static_cast<int16_t*>(h->allocBlock(sizeof(int16_t) * n));
    int first = d->firstPageOfSpread(spread - 1);
    for (int i = 0; i < n; ++i)
        pages[i] = static_cast<int16_t>(first + i);
    *list = pages;
    *bytes = static_cast<int32_t>(sizeof(int16_t) * n);
    return 0;
}

// ---- fixed rectangles ----
void XTAPI rectOffset(const xtgroup*, fixedrect* r, xtfixed dh, xtfixed dv)
{
    r->left += dh;
    r->right += dh;
    r->top += dv;
    r->bottom += dv;
}

uint8_t XTAPI rectIntersect(const xtgroup*, const fixedrect* a, const fixedrect* b)
{
    return (a->left < b->right && b->left < a->right && a->top < b->bottom && b->top < a->bottom) ? 1 : 0;
}

// ---- boxes ----
int32_t XTAPI boxFirst(const xtgroup* g, int32_t doc, int16_t spread, xtboxref* out)
{
    Document* d = hostOf(g)->document(doc);
    if (d == nullptr || spread < 1 || spread > static_cast<int>(d->spreads.size()) ||
        d->spreads[spread - 1].boxes.empty())
        return -1;
    *out = d->spreads[spread - 1].boxes.front().id;
    return 0;
}

int32_t XTAPI boxNext(const xtgroup* g, xtboxref box, xtboxref* out)
{
    Document* d = currentDoc(g);
    int spread = 0;
    if (d == nullptr || d->findBox(box, &spread) == nullptr)
        return -1;
    auto& boxes = d->spreads[spread].boxes;
    for (std::size_t i = 0; i + 1 < boxes.size(); ++i)
        if (boxes[i].id == box) {
            *out = boxes[i + 1].id;
            return 0;
        }
    return -1;
}

int32_t XTAPI boxBounds(const xtgroup* g, xtboxref box, fixedrect* out)
{
    Document* d = currentDoc(g);
    Box* b = d ? d->findBox(box) : nullptr;
    if (b == nullptr)
        return -1;
    *out = fixedrect{toFixed(b->top), toFixed(b->left), toFixed(b->bottom), toFixed(b->right)};
    return 0;
}

int32_t XTAPI boxCreate(const xtgroup* g, int32_t doc, xtboxdesc* desc, int16_t spread, int32_t, int32_t, xtboxref* out)
{
    Host* h = hostOf(g);
    Document* d = h->document(doc);
    *out = 0;
    if (d == nullptr || desc == nullptr || spread < 1 || spread > static_cast<int>(d->spreads.size()))
        return -1;
    Box b;
    b.id = d->nextBoxId++;
    b.top = toPoints(desc->bounds.top);
    b.left = toPoints(desc->bounds.left);
    b.bottom = toPoints(desc->bounds.bottom);
    b.right = toPoints(desc->bounds.right);
    b.stroke = toPoints(desc->frameWidth);
    b.temporary = true;
    d->spreads[spread - 1].boxes.push_back(b);
    d->boxAdded(b.id, spread - 1);
    *out = b.id;
    h->record("box-create", spread, static_cast<int32_t>(b.id), desc->runaround);
    h->record("fields-open", 0, static_cast<int32_t>(b.id));
    return 0;
}

int32_t XTAPI boxDelete(const xtgroup* g, xtboxref box, int32_t)
{
    Host* h = hostOf(g);
    Document* d = h->currentDocument();
    int spread = 0;
    if (d == nullptr || d->findBox(box, &spread) == nullptr)
        return -1;
    auto& boxes = d->spreads[spread].boxes;
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [box](const Box& b) { return b.id == box; }), boxes.end());
    d->boxRemoved(box);
    h->record("box-delete", spread + 1, static_cast<int32_t>(box));
    return 0;
}

int32_t XTAPI textBoxRelease(const xtgroup* g, xtboxdesc* desc, int32_t)
{
    hostOf(g)->freeBlock(desc);
    return 0;
}

int32_t XTAPI textBoxNew(const xtgroup* g, int32_t doc, int32_t shape, int32_t content, xtboxdesc** out)
{
    Host* h = hostOf(g);
    *out = nullptr;
    if (h->document(doc) == nullptr)
        return -1;
    auto* desc = static_cast<xtboxdesc*>(h->allocBlock(sizeof(xtboxdesc)));
    desc->version = XT_GROUP_VERSION;
    desc->size = sizeof(xtboxdesc);
    desc->document = doc;
    desc->shape = shape;
    desc->content = content;
    // A new description comes with the host's default frame and runaround.
    desc->frameWidth = toFixed(1.0);
    desc->runaround = 1;
    *out = desc;
    return 0;
}

int32_t XTAPI boxFieldsRelease(const xtgroup* g, xtboxref box, int32_t)
{
    hostOf(g)->record("fields-release", 0, static_cast<int32_t>(box));
    return 0;
}

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

// ---- output styles and XML nodes ----
struct NodeCopy {
    pugi::xml_document doc;
};

xtxmlelem* elemHandle(pugi::xml_node n) { return reinterpret_cast<xtxmlelem*>(n.internal_object()); }
pugi::xml_node elemNode(xtxmlelem* e) { return pugi::xml_node(reinterpret_cast<pugi::xml_node_struct*>(e)); }

int32_t XTAPI styleKind(const xtgroup* g, xtstyleref ref, uint32_t* kind)
{
    OutputStyle* s = hostOf(g)->style(ref);
    if (s == nullptr)
        return -1;
    *kind = s->kind;
    return 0;
}

int32_t XTAPI styleGetNode(const xtgroup* g, xtstyleref ref, uint32_t code, xtxmlnode** out)
{
    Host* h = hostOf(g);
    OutputStyle* s = h->style(ref);
    *out = nullptr;
    if (s == nullptr)
        return -1;
    auto it = s->nodes.find(code);
    if (it == s->nodes.end())
        return -1;
    auto* copy = new NodeCopy;
    if (!copy->doc.load_buffer(it->second.data(), it->second.size()) || !copy->doc.first_child()) {
        delete copy;
        return -1;
    }
    ++h->mOutstandingNodes;
    *out = reinterpret_cast<xtxmlnode*>(copy);
    return 0;
}

int32_t XTAPI styleSetNode(const xtgroup* g, xtstyleref ref, uint32_t code, const xtxmlnode* node)
{
    Host* h = hostOf(g);
    OutputStyle* s = h->style(ref);
    if (s == nullptr || node == nullptr)
        return -1;
    const auto* copy = reinterpret_cast<const NodeCopy*>(node);
    std::ostringstream text;
    copy->doc.first_child().print(text, "", pugi::format_raw);
    s->nodes[code] = text.str();
    h->record("style-set", ref, static_cast<int32_t>(code));
    return 0;
}

int32_t XTAPI xmlElement(const xtgroup*, xtxmlnode* node, xtxmlelem** out)
{
    *out = nullptr;
    if (node == nullptr)
        return -1;
    pugi::xml_node e = reinterpret_cast<NodeCopy*>(node)->doc.first_child();
    if (!e)
        return -1;
    *out = elemHandle(e);
    return 0;
}

int32_t XTAPI xmlFindChild(const xtgroup*, xtxmlelem* elem, const char* name, xtxmlelem** out)
{
    *out = nullptr;
    pugi::xml_node c = elem ? elemNode(elem).child(name) : pugi::xml_node();
    if (!c)
        return -1;
    *out = elemHandle(c);
    return 0;
}

int32_t XTAPI xmlCreateChild(const xtgroup*, xtxmlelem* elem, const char* name, xtxmlelem** out)
{
    *out = nullptr;
    if (elem == nullptr || name == nullptr || name[0] == '\0')
        return -1;
    pugi::xml_node c = elemNode(elem).append_child(name);
    if (!c)
        return -1;
    *out = elemHandle(c);
    return 0;
}

int32_t XTAPI xmlGetValue(const xtgroup*, xtxmlelem* elem, const char* name, char* out, int32_t cap)
{
    if (elem == nullptr || out == nullptr || cap <= 0)
        return -1;
    pugi::xml_attribute a = elemNode(elem).attribute(name);
    if (!a)
        return -1;
    std::size_t n = std::strlen(a.value());
    if (n > static_cast<std::size_t>(cap) - 1)
        n = static_cast<std::size_t>(cap) - 1;
    std::memcpy(out, a.value(), n);
    out[n] = '\0';
    return static_cast<int32_t>(n);
}

int32_t XTAPI xmlSetValue(const xtgroup*, xtxmlelem* elem, const char* name, const char* value)
{
    if (elem == nullptr || name == nullptr)
        return -1;
    pugi::xml_node e = elemNode(elem);
    pugi::xml_attribute a = e.attribute(name);
    if (!a)
        a = e.append_attribute(name);
    return a.set_value(value ? value : "") ? 0 : -1;
}

void XTAPI xmlDispose(const xtgroup* g, xtxmlnode* node)
{
    if (node == nullptr)
        return;
    delete reinterpret_cast<NodeCopy*>(node);
    --hostOf(g)->mOutstandingNodes;
}

// ---- optional modules ----
int32_t XTAPI pdfStayOut(const xtgroup* g, uint8_t* answer)
{
    Host* h = hostOf(g);
    *answer = h->options().pdf.stayOut ? 1 : 0;
    h->record("pdf-asked", 0, *answer);
    return 0;
}

int32_t XTAPI bleedGet(const xtgroup* g, int32_t doc, uint32_t kind, xtbleedanswer* block)
{
    Host* h = hostOf(g);
    block->kind = kind;
    block->bleed = toFixed(h->options().bleed.bleed);
    h->record("bleed-asked", doc, static_cast<int32_t>(kind));
    return 0;
}

// ---- headless window system ----
int32_t XTAPI headlessMsgBox(const xtgroup* g, const char* title, const char* primary, const char* secondary,
                             int32_t buttons)
{
    return hostOf(g)->answerMessageBox(title, primary, secondary, buttons);
}

template <std::size_t N> struct Table {
    xtproc entries[N] = {};
};

template <class F> xtproc proc(F f) { return reinterpret_cast<xtproc>(f); }

const Table<32>& printTable()
{
    static Table<32> t = [] {
        Table<32> x;
        x.entries[XT_PRINT_STATE] = proc(printState);
        x.entries[XT_PRINT_PAGERANGES] = proc(printPageRanges);
        x.entries[XT_PRINT_SETTINGS] = proc(printSettings);
        x.entries[XT_PRINT_SETFILE] = proc(printSetFile);
        return x;
    }();
    return t;
}
} // namespace

// Every group the host offers, bound to this host.
struct Host::Groups {
    xtgroup unicode, graphics, string, opentype;
    xtgroup print, utility, docmeasure, page, spread, fixedrect, box, textbox, boxfields, headless;
    xtgroup docdata, outputstyle, xmlnode;
    xtgroup pdf, bleed;
    Table<6> docDataTable;
    Table<4> styleTable;
    Table<7> xmlTable;
    Table<4> utilityTable;
    Table<XT_HEADLESS_COUNT> headlessTable;
    Table<5> docTable;
    Table<22> pageTable;
    Table<11> spreadTable;
    Table<8> rectTable;
    Table<43> boxTable;
    Table<3> textTable, fieldsTable;
    Table<13> pdfTable;
    Table<1> bleedTable;
};

namespace {
template <std::size_t N> void initGroup(xtgroup& g, Host* h, int32_t id, const Table<N>& t)
{
    g.version = XT_GROUP_VERSION;
    g.groupId = id;
    g.host = h;
    g.count = static_cast<uint32_t>(N);
    g.reserved = 0;
    g.entries = t.entries;
}

void initEmpty(xtgroup& g, Host* h, int32_t id)
{
    g = xtgroup{XT_GROUP_VERSION, id, h, 0, 0, nullptr};
}

// ---- the activation and setup records ----
uint8_t XTAPI actCompatible(xtactivaterec* rec, uint32_t id, int32_t, int32_t kind, uint32_t version, int32_t)
{
    Host* h = static_cast<Host*>(rec->host);
    bool ok = !h->options().refuseHandshake && id == XT_PLUGIN_ID && kind == XT_HANDSHAKE_KIND &&
              version == XT_HANDSHAKE_VERSION;
    h->record("handshake", static_cast<int32_t>(id), kind, ok ? 1 : 0);
    return ok ? 1 : 0;
}
} // namespace

struct ActivateGlue {
    static void XTAPI announce(xtactivaterec* rec, int32_t value)
    {
        Host* h = static_cast<Host*>(rec->host);
        h->mAnnounced = value;
        h->record("announce", 0, value);
    }
    static int32_t XTAPI registerStart(xtactivaterec* rec, xtstartproc fn, int32_t flags, int32_t value, int32_t)
    {
        Host* h = static_cast<Host*>(rec->host);
        h->mStartProcs.push_back(fn);
        h->record("start-register", static_cast<int32_t>(h->mStartProcs.size()), flags, value);
        return 0;
    }
};

namespace {
int32_t XTAPI setupBindById(const xtsetuprec* rec, int32_t id, const xtgroup** out)
{
    Host::Groups& g = hostOf(rec)->groups();
    *out = nullptr;
    switch (id) {
    case XT_GROUPID_UNICODE: *out = &g.unicode; break;
    case XT_GROUPID_GRAPHICS: *out = &g.graphics; break;
    case XT_GROUPID_STRING: *out = &g.string; break;
    case XT_GROUPID_OPENTYPE: *out = &g.opentype; break;
    case kPdfGroupId:
        if (hostOf(rec)->options().pdf.state == ModuleState::Present)
            *out = &g.pdf;
        break;
    case kBleedGroupId:
        if (hostOf(rec)->options().bleed.state == ModuleState::Present)
            *out = &g.bleed;
        break;
    default: break;
    }
    hostOf(rec)->record("bind-id", id, 0, *out ? 0 : -1);
    return *out ? 0 : -1;
}

int32_t XTAPI setupBindByName(const xtsetuprec* rec, const char* name, const xtgroup** out)
{
    Host::Groups& g = hostOf(rec)->groups();
    struct Named { const char* name; xtgroup* group; };
    const Named named[] = {{XT_GROUP_PRINT, &g.print},         {XT_GROUP_UTILITY, &g.utility},
                           {XT_GROUP_DOCMEASURE, &g.docmeasure}, {XT_GROUP_PAGE, &g.page},
                           {XT_GROUP_SPREAD, &g.spread},       {XT_GROUP_FIXEDRECT, &g.fixedrect},
                           {XT_GROUP_BOX, &g.box},             {XT_GROUP_TEXTBOX, &g.textbox},
                           {XT_GROUP_BOXFIELDS, &g.boxfields}, {XT_GROUP_DOCDATA, &g.docdata},
                           {XT_GROUP_OUTPUTSTYLE, &g.outputstyle}, {XT_GROUP_XMLNODE, &g.xmlnode},
                           {XT_GROUP_HEADLESS, &g.headless}};
    *out = nullptr;
    if (hostOf(rec)->options().missingGroup == name)
        return -1;
    for (const Named& n : named)
        if (std::strcmp(n.name, name) == 0)
            *out = n.group;
    auto extra = hostOf(rec)->extraGroups.find(name);
    if (*out == nullptr && extra != hostOf(rec)->extraGroups.end())
        *out = extra->second;
    return *out ? 0 : -1;
}

int32_t XTAPI setupModuleCode(const xtsetuprec* rec, uint32_t module, int32_t* code)
{
    const HostOptions& o = hostOf(rec)->options();
    if (module == XT_MODULE_PDF && o.pdf.state != ModuleState::Absent) {
        *code = kPdfModuleCode;
        return 0;
    }
    if (module == XT_MODULE_BLEED && o.bleed.state != ModuleState::Absent) {
        *code = kBleedModuleCode;
        return 0;
    }
    return -1;
}

int32_t XTAPI setupModuleGroupId(const xtsetuprec*, int32_t code, int32_t* id)
{
    if (code == kPdfModuleCode) {
        *id = kPdfGroupId;
        return 0;
    }
    if (code == kBleedModuleCode) {
        *id = kBleedGroupId;
        return 0;
    }
    return -1;
}

int32_t XTAPI setupRegisterCallback(const xtsetuprec* rec, int32_t code, xtcallback handler, int32_t flags,
                                    int32_t priority, int32_t)
{
    return hostOf(rec)->registerCallback(code, handler, flags, priority);
}

int32_t XTAPI setupNewCode(const xtsetuprec* rec, int32_t, int32_t* out)
{
    *out = hostOf(rec)->newCallbackCode();
    return 0;
}
} // namespace

Host::Host(HostOptions options) : mOptions(options), mGroups(std::make_unique<Groups>())
{
    Groups& g = *mGroups;
    initEmpty(g.unicode, this, XT_GROUPID_UNICODE);
    initEmpty(g.graphics, this, XT_GROUPID_GRAPHICS);
    initEmpty(g.string, this, XT_GROUPID_STRING);
    initEmpty(g.opentype, this, XT_GROUPID_OPENTYPE);
    initGroup(g.print, this, 10, printTable());
    g.utilityTable.entries[XT_UTIL_WRITESTREAM] = proc(utilWriteStream);
    g.utilityTable.entries[XT_UTIL_DISPOSE] = proc(utilDispose);
    g.utilityTable.entries[XT_UTIL_FILEREF] = proc(utilFileRef);
    initGroup(g.utility, this, 11, g.utilityTable);
    g.docTable.entries[XT_DOC_CURRENT] = proc(docCurrent);
    g.docTable.entries[XT_DOC_PAGEWIDTH] = proc(docPageWidth);
    g.docTable.entries[XT_DOC_PAGEHEIGHT] = proc(docPageHeight);
    initGroup(g.docmeasure, this, 12, g.docTable);
    g.pageTable.entries[XT_PAGE_COUNT] = proc(pageCount);
    g.pageTable.entries[XT_PAGE_NUMDATA] = proc(pageNumData);
    initGroup(g.page, this, 13, g.pageTable);
    g.spreadTable.entries[XT_SPREAD_PAGETOSPREAD] = proc(spreadPageToSpread);
    g.spreadTable.entries[XT_SPREAD_PAGES] = proc(spreadPages);
    initGroup(g.spread, this, 14, g.spreadTable);
    g.rectTable.entries[XT_FIXEDRECT_OFFSET] = proc(rectOffset);
    g.rectTable.entries[XT_FIXEDRECT_INTERSECT] = proc(rectIntersect);
    initGroup(g.fixedrect, this, 15, g.rectTable);
    g.boxTable.entries[XT_BOX_FIRST] = proc(boxFirst);
    g.boxTable.entries[XT_BOX_NEXT] = proc(boxNext);
    g.boxTable.entries[XT_BOX_DELETE] = proc(boxDelete);
    g.boxTable.entries[XT_BOX_CREATE] = proc(boxCreate);
    g.boxTable.entries[XT_BOX_BOUNDS] = proc(boxBounds);
    initGroup(g.box, this, 16, g.boxTable);
    g.textTable.entries[XT_TEXTBOX_RELEASEDESC] = proc(textBoxRelease);
    g.textTable.entries[XT_TEXTBOX_NEWDESC] = proc(textBoxNew);
    initGroup(g.textbox, this, 17, g.textTable);
    g.fieldsTable.entries[XT_BOXFIELDS_RELEASE] = proc(boxFieldsRelease);
    initGroup(g.boxfields, this, 18, g.fieldsTable);
    g.docDataTable.entries[XT_DOCDATA_GET] = proc(docDataGet);
    g.docDataTable.entries[XT_DOCDATA_SET] = proc(docDataSet);
    g.docDataTable.entries[XT_DOCDATA_MARKCHANGED] = proc(docMarkChanged);
    g.docDataTable.entries[XT_DOCDATA_PATH] = proc(docPath);
    g.docDataTable.entries[XT_DOCDATA_NAME] = proc(docName);
    initGroup(g.docdata, this, 20, g.docDataTable);
    g.styleTable.entries[XT_STYLE_KIND] = proc(styleKind);
    g.styleTable.entries[XT_STYLE_GETNODE] = proc(styleGetNode);
    g.styleTable.entries[XT_STYLE_SETNODE] = proc(styleSetNode);
    initGroup(g.outputstyle, this, 21, g.styleTable);
    g.xmlTable.entries[XT_XML_ELEMENT] = proc(xmlElement);
    g.xmlTable.entries[XT_XML_FINDCHILD] = proc(xmlFindChild);
    g.xmlTable.entries[XT_XML_CREATECHILD] = proc(xmlCreateChild);
    g.xmlTable.entries[XT_XML_GETVALUE] = proc(xmlGetValue);
    g.xmlTable.entries[XT_XML_SETVALUE] = proc(xmlSetValue);
    g.xmlTable.entries[XT_XML_DISPOSE] = proc(xmlDispose);
    initGroup(g.xmlnode, this, 22, g.xmlTable);
    g.headlessTable.entries[XT_HEADLESS_MSGBOX] = proc(headlessMsgBox);
    mHeadless = std::make_unique<Headless>(*this);
    installHeadlessEntries(g.headlessTable.entries, XT_HEADLESS_COUNT);
    initGroup(g.headless, this, 19, g.headlessTable);
    g.pdfTable.entries[XT_PDF_STAYOUT] = proc(pdfStayOut);
    initGroup(g.pdf, this, kPdfGroupId, g.pdfTable);
    g.bleedTable.entries[XT_BLEED_GET] = proc(bleedGet);
    initGroup(g.bleed, this, kBleedGroupId, g.bleedTable);

    mSetup.version = XT_SETUP_VERSION;
    mSetup.size = sizeof mSetup;
    mSetup.host = this;
    mSetup.bindGroupById = setupBindById;
    mSetup.bindGroupByName = setupBindByName;
    mSetup.moduleCallbackCode = setupModuleCode;
    mSetup.moduleGroupId = setupModuleGroupId;
    mSetup.tripleKind = XT_TRIPLE_KIND;
    mSetup.tripleRevision = options.tripleRevision;
    mSetup.tripleVersion = XT_TRIPLE_VERSION;
    mSetup.registerCallback = setupRegisterCallback;
    mSetup.newCallbackCode = setupNewCode;
    mSetup.language = options.language;
    mVersionWord = options.hostVersion;
}

Host::~Host()
{
    if (mSetupCalled)
        sendQuit();
    for (void* b : mBlocks)
        std::free(b);
    for (xtpageranges* r : rangeBlocks)
        std::free(r);
    mRegistrations.clear();
    mModule.reset();
}

bool Host::load(const std::string& pluginPath)
{
    mModule = loadPluginModule(pluginPath, mError);
    if (!mModule)
        return false;
    activate(mModule->entry());
    return true;
}

void Host::loadEntry(xtactivateproc entry) { activate(entry); }

void Host::activate(xtactivateproc entry)
{
    xtactivaterec act{};
    act.version = XT_ACTIVATE_VERSION;
    act.size = sizeof act;
    act.host = this;
    act.compatible = actCompatible;
    act.announce = ActivateGlue::announce;
    act.registerStart = ActivateGlue::registerStart;
    act.hostVersion = &mVersionWord;
    mActivateResult = entry(&act);
    record("activate", 0, 0, mActivateResult);
    if (mActivateResult != 0)
        return;
    // The code-request function first, so that codes exist when setup
    // registers the callbacks that use them.
    if (mStartProcs.size() >= 2) {
        int32_t r = mStartProcs[1](&mSetup);
        record("start", 2, 0, r);
    }
    if (!mStartProcs.empty()) {
        mSetupCalled = true;
        mSetupResult = mStartProcs[0](&mSetup);
        record("start", 1, 0, mSetupResult);
    }
}

std::vector<Event> Host::eventsOf(const std::string& what) const
{
    std::vector<Event> out;
    for (const Event& e : mEvents)
        if (e.what == what)
            out.push_back(e);
    return out;
}

void Host::record(const std::string& what, int32_t code, int32_t value, int32_t result)
{
    mEvents.push_back(Event{what, code, value, result});
}

int32_t Host::registerCallback(int32_t code, xtcallback handler, int32_t flags, int32_t priority)
{
    if (handler == nullptr)
        return -1;
    mRegistrations.push_back(Registration{code, handler, flags, priority});
    record("register", code, priority, flags);
    return 0;
}

int32_t Host::newCallbackCode()
{
    mHandedOutCodes.push_back(mNextCode);
    return mNextCode++;
}

int32_t Host::call(int32_t code, xtcbheader* rec)
{
    std::vector<Registration> handlers;
    for (const Registration& r : mRegistrations)
        if (r.code == code)
            handlers.push_back(r);
    std::stable_sort(handlers.begin(), handlers.end(),
                     [](const Registration& a, const Registration& b) { return a.priority < b.priority; });
    int32_t result = 0;
    for (const Registration& r : handlers) {
        result = r.handler(rec);
        record("call", code, r.priority, result);
    }
    return result;
}

void Host::sendLanguage(int16_t code)
{
    xtlanguagerec rec{};
    rec.hdr = xtcbheader{XT_CB_LANGUAGE, sizeof rec};
    rec.language = code;
    call(XT_CB_LANGUAGE, &rec.hdr);
}

void Host::sendAbout(bool withRecord, uint8_t* handled)
{
    xtaboutrec rec{};
    rec.hdr = xtcbheader{XT_CB_ABOUT, sizeof rec};
    call(XT_CB_ABOUT, withRecord ? &rec.hdr : nullptr);
    if (handled)
        *handled = rec.handled;
}

void Host::sendQuit()
{
    xtcbheader rec{XT_CB_QUIT, sizeof(xtcbheader)};
    call(XT_CB_QUIT, &rec);
}

int32_t Host::openDocument(Document doc)
{
    mDocuments.push_back(std::make_unique<Document>(std::move(doc)));
    mCurrent = static_cast<int32_t>(mDocuments.size());
    return mCurrent;
}

Document* Host::document(int32_t ref)
{
    if (ref < 1 || ref > static_cast<int32_t>(mDocuments.size()))
        return nullptr;
    return mDocuments[ref - 1].get();
}

Document* Host::currentDocument() { return document(mCurrent); }

OutputStyle* Host::style(xtstyleref ref)
{
    if (ref < 1 || ref > static_cast<xtstyleref>(mStyles.size()))
        return nullptr;
    return &mStyles[ref - 1];
}

void Host::chooseStyle(xtstyleref ref)
{
    xtstylerec rec{};
    rec.hdr = xtcbheader{XT_CB_STYLECHANGED, sizeof rec};
    rec.style = ref;
    call(XT_CB_STYLECHANGED, &rec.hdr);
}

int32_t Host::answerMessageBox(const char* title, const char* primary, const char* secondary, int32_t buttons)
{
    MessageBoxRecord m{title ? title : "", primary ? primary : "", secondary ? secondary : "", buttons, 1};
    if (!mMessageAnswers.empty()) {
        m.answer = mMessageAnswers.front();
        mMessageAnswers.pop_front();
    }
    mMessages.push_back(m);
    record("msgbox", 0, buttons, m.answer);
    return m.answer;
}

void* Host::allocBlock(std::size_t bytes)
{
    void* p = std::calloc(1, bytes ? bytes : 1);
    mBlocks.push_back(p);
    ++mOutstanding;
    return p;
}

bool Host::blockIsOurs(void* block) const
{
    return std::find(mBlocks.begin(), mBlocks.end(), block) != mBlocks.end();
}

void Host::freeBlock(void* block)
{
    auto it = std::find(mBlocks.begin(), mBlocks.end(), block);
    if (it == mBlocks.end()) {
        record("dispose-unknown");
        return;
    }
    std::free(*it);
    mBlocks.erase(it);
    --mOutstanding;
}

} // namespace subhost
