// Documents and pages: the current document and its page size, its pages
// and spreads, fixed rectangles, and the boxes on its spreads (the plug-in
// creates temporary boxes for blank pages and deletes them after the job).
#include "subhost/host_private.h"

#include <algorithm>
#include <cstring>

namespace subhost {

namespace {

Document* currentDoc(const xtgroup* g) { return hostOf(g)->currentDocument(); }

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

} // namespace

void installDocumentGroups(Host::Groups& g, Host* h)
{
    g.docTable.set<XT_DOC_CURRENT, docCurrent>();
    g.docTable.set<XT_DOC_PAGEWIDTH, docPageWidth>();
    g.docTable.set<XT_DOC_PAGEHEIGHT, docPageHeight>();
    initGroup(g.docmeasure, h, XT_GROUPID_DOCMEASURE, g.docTable);
    g.pageTable.set<XT_PAGE_COUNT, pageCount>();
    g.pageTable.set<XT_PAGE_NUMDATA, pageNumData>();
    initGroup(g.page, h, XT_GROUPID_PAGE, g.pageTable);
    g.spreadTable.set<XT_SPREAD_PAGETOSPREAD, spreadPageToSpread>();
    g.spreadTable.set<XT_SPREAD_PAGES, spreadPages>();
    initGroup(g.spread, h, XT_GROUPID_SPREAD, g.spreadTable);
    g.rectTable.set<XT_FIXEDRECT_OFFSET, rectOffset>();
    g.rectTable.set<XT_FIXEDRECT_INTERSECT, rectIntersect>();
    initGroup(g.fixedrect, h, XT_GROUPID_FIXEDRECT, g.rectTable);
    g.boxTable.set<XT_BOX_FIRST, boxFirst>();
    g.boxTable.set<XT_BOX_NEXT, boxNext>();
    g.boxTable.set<XT_BOX_DELETE, boxDelete>();
    g.boxTable.set<XT_BOX_CREATE, boxCreate>();
    g.boxTable.set<XT_BOX_BOUNDS, boxBounds>();
    initGroup(g.box, h, XT_GROUPID_BOX, g.boxTable);
    g.textTable.set<XT_TEXTBOX_RELEASEDESC, textBoxRelease>();
    g.textTable.set<XT_TEXTBOX_NEWDESC, textBoxNew>();
    initGroup(g.textbox, h, XT_GROUPID_TEXTBOX, g.textTable);
    g.fieldsTable.set<XT_BOXFIELDS_RELEASE, boxFieldsRelease>();
    initGroup(g.boxfields, h, XT_GROUPID_BOXFIELDS, g.fieldsTable);
}

} // namespace subhost
