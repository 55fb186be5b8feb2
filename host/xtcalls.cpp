#include "host/xtcalls.h"

#include "host/xtglue.h"

#include <cstring>
#include <initializer_list>

xtsetuprec* xtsetupptr = nullptr;
const xtgroup* gPDFFuncGrpHndl = nullptr;
const xtgroup* gBleedFuncHndl = nullptr;

namespace {
const xtgroup* sUnicode = nullptr;
const xtgroup* sGraphics = nullptr;
const xtgroup* sString = nullptr;
const xtgroup* sOpenType = nullptr;
const xtgroup* sPrint = nullptr;
const xtgroup* sUtility = nullptr;
const xtgroup* sDocMeasure = nullptr;
const xtgroup* sPage = nullptr;
const xtgroup* sSpread = nullptr;
const xtgroup* sFixedRect = nullptr;
const xtgroup* sBox = nullptr;
const xtgroup* sTextBox = nullptr;
const xtgroup* sBoxFields = nullptr;
const xtgroup* sDocData = nullptr;
const xtgroup* sOutputStyle = nullptr;
const xtgroup* sXmlNode = nullptr;
const xtgroup* sHeadless = nullptr;
const xtgroup* sWinDialog = nullptr;

// Entry n of a group as the function type F, or null.
template <class F> F entry(const xtgroup* g, uint32_t n)
{
    if (g == nullptr || g->entries == nullptr || n >= g->count)
        return nullptr;
    return reinterpret_cast<F>(g->entries[n]);
}
} // namespace

bool xtBindHostGroups()
{
    struct ById { int32_t id; const xtgroup** slot; };
    const ById byId[] = {{XT_GROUPID_UNICODE, &sUnicode}, {XT_GROUPID_GRAPHICS, &sGraphics},
                         {XT_GROUPID_STRING, &sString}, {XT_GROUPID_OPENTYPE, &sOpenType}};
    for (const ById& g : byId)
        if (xtGlueBindGroupById(g.id, g.slot) != 0)
            return false;
    struct ByName { const char* name; const xtgroup** slot; };
    const ByName byName[] = {{XT_GROUP_PRINT, &sPrint},         {XT_GROUP_UTILITY, &sUtility},
                             {XT_GROUP_DOCMEASURE, &sDocMeasure}, {XT_GROUP_PAGE, &sPage},
                             {XT_GROUP_SPREAD, &sSpread},       {XT_GROUP_FIXEDRECT, &sFixedRect},
                             {XT_GROUP_BOX, &sBox},             {XT_GROUP_TEXTBOX, &sTextBox},
                             {XT_GROUP_BOXFIELDS, &sBoxFields},   {XT_GROUP_DOCDATA, &sDocData},
                             {XT_GROUP_OUTPUTSTYLE, &sOutputStyle}, {XT_GROUP_XMLNODE, &sXmlNode}};
    for (const ByName& g : byName)
        if (xtGlueBindGroupByName(g.name, g.slot) != 0)
            return false;
    // The headless window system is not a host group proper: a host with a
    // real window system does not offer it.
    if (xtGlueBindGroupByName(XT_GROUP_HEADLESS, &sHeadless) != 0)
        sHeadless = nullptr;
    // Nor is the Windows dialog interface offered by a host without Windows.
    if (xtGlueBindGroupByName(XT_GROUP_WINDIALOG, &sWinDialog) != 0)
        sWinDialog = nullptr;
    return true;
}

void xtUnbindHostGroups()
{
    for (const xtgroup** g : {&sUnicode, &sGraphics, &sString, &sOpenType, &sPrint, &sUtility, &sDocMeasure, &sPage,
                              &sSpread, &sFixedRect, &sBox, &sTextBox, &sBoxFields, &sDocData, &sOutputStyle,
                              &sXmlNode, &sHeadless, &sWinDialog, &gPDFFuncGrpHndl,
                              &gBleedFuncHndl})
        *g = nullptr;
}

int32_t xtRegisterCallback(int32_t code, xtcallback handler, int32_t priority)
{
    if (xtsetupptr == nullptr || xtsetupptr->registerCallback == nullptr)
        return XT_ERR_NOTFOUND;
    return xtsetupptr->registerCallback(xtsetupptr, code, handler, XT_REGISTER_FLAGS, priority, 0);
}

bool xtPdfWantsOut()
{
    auto f = entry<xt_pdf_stayout_fn>(gPDFFuncGrpHndl, XT_PDF_STAYOUT);
    if (f == nullptr)
        return false;
    uint8_t answer = 0;
    f(gPDFFuncGrpHndl, &answer);
    return answer == 1;
}

bool xtBleedOfDocument(int32_t doc, xtfixed* bleed)
{
    auto f = entry<xt_bleed_get_fn>(gBleedFuncHndl, XT_BLEED_GET);
    xtbleedanswer block;
    std::memset(&block, 0, sizeof block);
    if (f == nullptr)
        return false;
    f(gBleedFuncHndl, doc, XT_STYLE_KIND_PRINT, &block);
    *bleed = block.bleed;
    return true;
}

int32_t getSysPrVars(xtprintsettings* out)
{
    std::memset(out, 0, sizeof *out);
    auto f = entry<xt_print_settings_fn>(sPrint, XT_PRINT_SETTINGS);
    return f ? f(sPrint, out) : XT_ERR_NOTFOUND;
}

const xtpageranges* xtGetPageRanges()
{
    auto f = entry<xt_print_pageranges_fn>(sPrint, XT_PRINT_PAGERANGES);
    const xtpageranges* ranges = nullptr;
    if (f == nullptr || f(sPrint, &ranges) != 0)
        return nullptr;
    return ranges;
}

int32_t xtPrintState()
{
    auto f = entry<xt_print_state_fn>(sPrint, XT_PRINT_STATE);
    int32_t state = 0;
    if (f)
        f(sPrint, &state);
    return state;
}

xtfileref* xtMakeFileRef(const char* path)
{
    auto f = entry<xt_util_fileref_fn>(sUtility, XT_UTIL_FILEREF);
    xtfileref* ref = nullptr;
    if (f == nullptr || f(sUtility, path, &ref) != 0)
        return nullptr;
    return ref;
}

int32_t XTSetFile(const xtfileref* file)
{
    auto f = entry<xt_print_setfile_fn>(sPrint, XT_PRINT_SETFILE);
    return f ? f(sPrint, file) : XT_ERR_NOTFOUND;
}

int32_t xtWriteStream(const char* bytes, int32_t n)
{
    auto f = entry<xt_util_writestream_fn>(sUtility, XT_UTIL_WRITESTREAM);
    return f ? f(sUtility, bytes, n) : XT_ERR_NOTFOUND;
}

void xtDisposeBlock(void* block)
{
    auto f = entry<xt_util_dispose_fn>(sUtility, XT_UTIL_DISPOSE);
    if (f && block)
        f(sUtility, block);
}

int32_t xtCurrentDoc()
{
    auto f = entry<xt_doc_current_fn>(sDocMeasure, XT_DOC_CURRENT);
    return f ? f(sDocMeasure) : -1;
}

bool xtDocPageWidth(int32_t doc, xtfixed* out)
{
    auto f = entry<xt_doc_measure_fn>(sDocMeasure, XT_DOC_PAGEWIDTH);
    return f && f(sDocMeasure, doc, out) == 0;
}

bool xtDocPageHeight(int32_t doc, xtfixed* out)
{
    auto f = entry<xt_doc_measure_fn>(sDocMeasure, XT_DOC_PAGEHEIGHT);
    return f && f(sDocMeasure, doc, out) == 0;
}

int16_t xtPageCount(int32_t doc)
{
    auto f = entry<xt_page_count_fn>(sPage, XT_PAGE_COUNT);
    int16_t count = 0;
    if (f == nullptr || f(sPage, doc, 0, &count) != 0)
        return 0;
    return count;
}

bool xtGetPageNumData(int16_t page, pagenumdata* out)
{
    std::memset(out, 0, sizeof *out);
    auto f = entry<xt_page_numdata_fn>(sPage, XT_PAGE_NUMDATA);
    return f && f(sPage, page, out) == 0;
}

bool xtPageToSpread(const pagenumdata* pnd, fixedrect* rect)
{
    auto f = entry<xt_spread_pagetospread_fn>(sSpread, XT_SPREAD_PAGETOSPREAD);
    return f && f(sSpread, pnd, rect) == 0;
}

int16_t* xtSpreadToPages(int16_t spread, int32_t* bytes)
{
    auto f = entry<xt_spread_pages_fn>(sSpread, XT_SPREAD_PAGES);
    int16_t* list = nullptr;
    *bytes = 0;
    if (f == nullptr || f(sSpread, spread, &list, bytes) != 0)
        return nullptr;
    return list;
}

void xtOffsetRect(fixedrect* r, xtfixed dh, xtfixed dv)
{
    auto f = entry<xt_fixedrect_offset_fn>(sFixedRect, XT_FIXEDRECT_OFFSET);
    if (f)
        f(sFixedRect, r, dh, dv);
}

bool xtRectsMeet(const fixedrect* a, const fixedrect* b)
{
    auto f = entry<xt_fixedrect_intersect_fn>(sFixedRect, XT_FIXEDRECT_INTERSECT);
    return f && f(sFixedRect, a, b) == 1;
}

bool xtFirstBox(int32_t doc, int16_t spread, xtboxref* out)
{
    auto f = entry<xt_box_first_fn>(sBox, XT_BOX_FIRST);
    return f && f(sBox, doc, spread, out) == 0;
}

bool xtNextBox(xtboxref box, xtboxref* out)
{
    auto f = entry<xt_box_next_fn>(sBox, XT_BOX_NEXT);
    return f && f(sBox, box, out) == 0;
}

bool xtBoxBounds(xtboxref box, fixedrect* out)
{
    auto f = entry<xt_box_bounds_fn>(sBox, XT_BOX_BOUNDS);
    return f && f(sBox, box, out) == 0;
}

xtboxdesc* xtNewTextBoxDesc(int32_t doc)
{
    auto f = entry<xt_textbox_newdesc_fn>(sTextBox, XT_TEXTBOX_NEWDESC);
    xtboxdesc* desc = nullptr;
    if (f == nullptr || f(sTextBox, doc, 4, 5, &desc) != 0)
        return nullptr;
    return desc;
}

void xtReleaseTextBoxDesc(xtboxdesc* desc)
{
    auto f = entry<xt_textbox_releasedesc_fn>(sTextBox, XT_TEXTBOX_RELEASEDESC);
    if (f && desc)
        f(sTextBox, desc, 1);
}

bool xtCreateBox(int32_t doc, xtboxdesc* desc, int16_t spread, xtboxref* out)
{
    auto f = entry<xt_box_create_fn>(sBox, XT_BOX_CREATE);
    *out = 0;
    return f && f(sBox, doc, desc, spread, 0, 0, out) == 0 && *out != 0;
}

void xtReleaseBoxFields(xtboxref box)
{
    auto f = entry<xt_boxfields_release_fn>(sBoxFields, XT_BOXFIELDS_RELEASE);
    if (f)
        f(sBoxFields, box, 1);
}

void xtDeleteBox(xtboxref box)
{
    auto f = entry<xt_box_delete_fn>(sBox, XT_BOX_DELETE);
    if (f)
        f(sBox, box, 0);
}

void* xtGetDocData(int32_t doc, uint32_t code, int32_t* size)
{
    auto f = entry<xt_docdata_get_fn>(sDocData, XT_DOCDATA_GET);
    void* block = nullptr;
    *size = 0;
    if (f == nullptr || f(sDocData, doc, code, &block, size) != 0)
        return nullptr;
    return block;
}

bool xtSetDocData(int32_t doc, uint32_t code, const void* block, int32_t size)
{
    auto f = entry<xt_docdata_set_fn>(sDocData, XT_DOCDATA_SET);
    return f && f(sDocData, doc, code, block, size) == 0;
}

void xtMarkDocChanged(int32_t doc, int32_t level)
{
    auto f = entry<xt_docdata_markchanged_fn>(sDocData, XT_DOCDATA_MARKCHANGED);
    if (f)
        f(sDocData, doc, level);
}

bool xtDocPath(int32_t doc, char* out, int32_t cap)
{
    auto f = entry<xt_docdata_text_fn>(sDocData, XT_DOCDATA_PATH);
    return f && f(sDocData, doc, out, cap) == 0;
}

bool xtDocName(int32_t doc, char* out, int32_t cap)
{
    auto f = entry<xt_docdata_text_fn>(sDocData, XT_DOCDATA_NAME);
    return f && f(sDocData, doc, out, cap) == 0;
}

bool xtStyleKind(xtstyleref style, uint32_t* kind)
{
    auto f = entry<xt_style_kind_fn>(sOutputStyle, XT_STYLE_KIND);
    *kind = 0;
    return f && f(sOutputStyle, style, kind) == 0;
}

xtxmlnode* xtStyleGetNode(xtstyleref style, uint32_t code)
{
    auto f = entry<xt_style_getnode_fn>(sOutputStyle, XT_STYLE_GETNODE);
    xtxmlnode* node = nullptr;
    if (f == nullptr || f(sOutputStyle, style, code, &node) != 0)
        return nullptr;
    return node;
}

bool xtStyleSetNode(xtstyleref style, uint32_t code, const xtxmlnode* node)
{
    auto f = entry<xt_style_setnode_fn>(sOutputStyle, XT_STYLE_SETNODE);
    return f && f(sOutputStyle, style, code, node) == 0;
}

xtxmlelem* xtXmlElement(xtxmlnode* node)
{
    auto f = entry<xt_xml_element_fn>(sXmlNode, XT_XML_ELEMENT);
    xtxmlelem* e = nullptr;
    if (f == nullptr || f(sXmlNode, node, &e) != 0)
        return nullptr;
    return e;
}

namespace {
// Finds (XT_XML_FINDCHILD) or creates (XT_XML_CREATECHILD) a named child.
xtxmlelem* xmlChild(uint32_t which, xtxmlelem* elem, const char* name)
{
    auto f = entry<xt_xml_child_fn>(sXmlNode, which);
    xtxmlelem* e = nullptr;
    if (f == nullptr || f(sXmlNode, elem, name, &e) != 0)
        return nullptr;
    return e;
}
} // namespace

xtxmlelem* xtXmlFindChild(xtxmlelem* elem, const char* name) { return xmlChild(XT_XML_FINDCHILD, elem, name); }
xtxmlelem* xtXmlCreateChild(xtxmlelem* elem, const char* name) { return xmlChild(XT_XML_CREATECHILD, elem, name); }

int32_t xtXmlGetValue(xtxmlelem* elem, const char* name, char* out, int32_t cap)
{
    auto f = entry<xt_xml_getvalue_fn>(sXmlNode, XT_XML_GETVALUE);
    return f ? f(sXmlNode, elem, name, out, cap) : -1;
}

bool xtXmlSetValue(xtxmlelem* elem, const char* name, const char* value)
{
    auto f = entry<xt_xml_setvalue_fn>(sXmlNode, XT_XML_SETVALUE);
    return f && f(sXmlNode, elem, name, value) == 0;
}

void xtXmlDispose(xtxmlnode* node)
{
    auto f = entry<xt_xml_dispose_fn>(sXmlNode, XT_XML_DISPOSE);
    if (f && node)
        f(sXmlNode, node);
}

const xtgroup* xtHeadlessGroup() { return sHeadless; }

const xtgroup* xtWinDialogGroup() { return sWinDialog; }
