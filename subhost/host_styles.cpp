// Output styles and XML nodes: a print output style's kind, and the copies
// of its XTension data that the plug-in reads, edits and stores back.
#include "subhost/host_private.h"

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace subhost {

namespace {

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

} // namespace

void installStyleGroups(Host::Groups& g, Host* h)
{
    g.styleTable.set<XT_STYLE_KIND, styleKind>();
    g.styleTable.set<XT_STYLE_GETNODE, styleGetNode>();
    g.styleTable.set<XT_STYLE_SETNODE, styleSetNode>();
    initGroup(g.outputstyle, h, XT_GROUPID_OUTPUTSTYLE, g.styleTable);
    g.xmlTable.set<XT_XML_ELEMENT, xmlElement>();
    g.xmlTable.set<XT_XML_FINDCHILD, xmlFindChild>();
    g.xmlTable.set<XT_XML_CREATECHILD, xmlCreateChild>();
    g.xmlTable.set<XT_XML_GETVALUE, xmlGetValue>();
    g.xmlTable.set<XT_XML_SETVALUE, xmlSetValue>();
    g.xmlTable.set<XT_XML_DISPOSE, xmlDispose>();
    initGroup(g.xmlnode, h, XT_GROUPID_XMLNODE, g.xmlTable);
}

} // namespace subhost
