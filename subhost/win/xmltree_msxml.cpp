// The XML tree of the Windows host: parsed by MSXML, kept and written here.
#include "pugixml.hpp"

#include <windows.h>
#include <msxml2.h>
#include <objbase.h>

#include <cstring>

namespace pugi {
namespace {

// MSXML 3's DOM document and its interface.
const CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const IID kIXMLDOMDocument = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::string narrow(const wchar_t* w, int n = -1)
{
    if (w == nullptr)
        return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, w, n, &s[0], bytes, nullptr, nullptr);
    if (n < 0 && !s.empty())
        s.pop_back(); // the terminator
    return s;
}

std::string bstrText(BSTR b) { return b ? narrow(b, static_cast<int>(SysStringLen(b))) : std::string(); }

template <class T> struct Com {
    T* p = nullptr;
    ~Com()
    {
        if (p)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

bool blank(const std::string& s)
{
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

// Copies an MSXML node's element and text children into the tree.
void copyChildren(IXMLDOMNode* from, xml_node_struct* to)
{
    Com<IXMLDOMNodeList> list;
    if (FAILED(from->get_childNodes(list.out())) || list.p == nullptr)
        return;
    long n = 0;
    list->get_length(&n);
    for (long i = 0; i < n; ++i) {
        Com<IXMLDOMNode> child;
        if (FAILED(list->get_item(i, child.out())) || child.p == nullptr)
            continue;
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT) {
            auto e = std::make_unique<xml_node_struct>();
            e->type = node_element;
            e->parent = to;
            BSTR name = nullptr;
            child->get_nodeName(&name);
            e->name = bstrText(name);
            SysFreeString(name);
            Com<IXMLDOMNamedNodeMap> attrs;
            if (SUCCEEDED(child->get_attributes(attrs.out())) && attrs.p != nullptr) {
                long count = 0;
                attrs->get_length(&count);
                for (long k = 0; k < count; ++k) {
                    Com<IXMLDOMNode> a;
                    if (FAILED(attrs->get_item(k, a.out())) || a.p == nullptr)
                        continue;
                    auto attr = std::make_unique<xml_attribute_struct>();
                    BSTR an = nullptr, av = nullptr;
                    a->get_nodeName(&an);
                    a->get_text(&av);
                    attr->name = bstrText(an);
                    attr->value = bstrText(av);
                    SysFreeString(an);
                    SysFreeString(av);
                    e->attributes.push_back(std::move(attr));
                }
            }
            copyChildren(child.p, e.get());
            to->children.push_back(std::move(e));
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            BSTR t = nullptr;
            child->get_text(&t);
            std::string text = bstrText(t);
            SysFreeString(t);
            if (blank(text))
                continue;
            auto p = std::make_unique<xml_node_struct>();
            p->type = node_pcdata;
            p->value = text;
            p->parent = to;
            to->children.push_back(std::move(p));
        }
    }
}

void escape(std::ostream& out, const std::string& s, bool attribute)
{
    for (char c : s) {
        switch (c) {
        case '&': out << "&amp;"; break;
        case '<': out << "&lt;"; break;
        case '>': out << "&gt;"; break;
        case '"':
            if (attribute)
                out << "&quot;";
            else
                out << c;
            break;
        default: out << c; break;
        }
    }
}

void write(std::ostream& out, const xml_node_struct* n, const char* indent, unsigned flags, int depth)
{
    bool pretty = (flags & format_raw) == 0 && (flags & format_indent) != 0;
    auto pad = [&] {
        if (pretty)
            for (int i = 0; i < depth; ++i)
                out << indent;
    };
    switch (n->type) {
    case node_pcdata:
        escape(out, n->value, false);
        return;
    case node_declaration:
        pad();
        out << "<?" << (n->name.empty() ? "xml" : n->name);
        for (const auto& a : n->attributes) {
            out << ' ' << a->name << "=\"";
            escape(out, a->value, true);
            out << '"';
        }
        out << "?>";
        if (pretty)
            out << '\n';
        return;
    case node_element: {
        pad();
        out << '<' << n->name;
        for (const auto& a : n->attributes) {
            out << ' ' << a->name << "=\"";
            escape(out, a->value, true);
            out << '"';
        }
        if (n->children.empty()) {
            out << " />";
            if (pretty)
                out << '\n';
            return;
        }
        out << '>';
        bool textOnly = true;
        for (const auto& c : n->children)
            textOnly = textOnly && c->type == node_pcdata;
        if (textOnly || !pretty) {
            for (const auto& c : n->children)
                write(out, c.get(), indent, flags, depth + 1);
        } else {
            out << '\n';
            for (const auto& c : n->children)
                write(out, c.get(), indent, flags, depth + 1);
            pad();
        }
        out << "</" << n->name << '>';
        if (pretty)
            out << '\n';
        return;
    }
    default:
        for (const auto& c : n->children)
            write(out, c.get(), indent, flags, depth);
        return;
    }
}

std::unique_ptr<xml_node_struct> copyOf(const xml_node_struct* n, xml_node_struct* parent)
{
    auto c = std::make_unique<xml_node_struct>();
    c->type = n->type;
    c->name = n->name;
    c->value = n->value;
    c->parent = parent;
    for (const auto& a : n->attributes)
        c->attributes.push_back(std::make_unique<xml_attribute_struct>(*a));
    for (const auto& k : n->children)
        c->children.push_back(copyOf(k.get(), c.get()));
    return c;
}

} // namespace

xml_node xml_node::first_child() const
{
    if (!mN || mN->children.empty())
        return xml_node();
    return xml_node(mN->children.front().get());
}

xml_node xml_node::next_sibling() const
{
    if (!mN || !mN->parent)
        return xml_node();
    const auto& siblings = mN->parent->children;
    for (std::size_t i = 0; i + 1 < siblings.size(); ++i)
        if (siblings[i].get() == mN)
            return xml_node(siblings[i + 1].get());
    return xml_node();
}

xml_node xml_node::child(const char* name) const
{
    if (mN)
        for (const auto& c : mN->children)
            if (c->type == node_element && c->name == name)
                return xml_node(c.get());
    return xml_node();
}

std::vector<xml_node> xml_node::children(const char* name) const
{
    std::vector<xml_node> out;
    if (mN)
        for (const auto& c : mN->children)
            if (c->type == node_element && c->name == name)
                out.emplace_back(c.get());
    return out;
}

xml_attribute xml_node::attribute(const char* name) const
{
    if (mN)
        for (const auto& a : mN->attributes)
            if (a->name == name)
                return xml_attribute(a.get());
    return xml_attribute();
}

xml_node xml_node::append_child(const char* name)
{
    if (!mN || name == nullptr)
        return xml_node();
    auto c = std::make_unique<xml_node_struct>();
    c->type = node_element;
    c->name = name;
    c->parent = mN;
    mN->children.push_back(std::move(c));
    return xml_node(mN->children.back().get());
}

xml_node xml_node::append_child(xml_node_type type)
{
    if (!mN)
        return xml_node();
    auto c = std::make_unique<xml_node_struct>();
    c->type = type;
    if (type == node_declaration)
        c->name = "xml";
    c->parent = mN;
    mN->children.push_back(std::move(c));
    return xml_node(mN->children.back().get());
}

xml_attribute xml_node::append_attribute(const char* name)
{
    if (!mN || name == nullptr)
        return xml_attribute();
    auto a = std::make_unique<xml_attribute_struct>();
    a->name = name;
    mN->attributes.push_back(std::move(a));
    return xml_attribute(mN->attributes.back().get());
}

xml_node xml_node::append_copy(const xml_node& proto)
{
    if (!mN || !proto)
        return xml_node();
    mN->children.push_back(copyOf(proto.mN, mN));
    return xml_node(mN->children.back().get());
}

void xml_node::print(std::ostream& out, const char* indent, unsigned int flags) const
{
    if (mN)
        write(out, mN, indent, flags, 0);
}

xml_document::xml_document() : mRoot(std::make_unique<xml_node_struct>())
{
    mRoot->type = node_document;
    mN = mRoot.get();
}

xml_parse_result xml_document::load_buffer(const void* contents, std::size_t size)
{
    mRoot->children.clear();
    mRoot->attributes.clear();
    xml_parse_result result;
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Com<IXMLDOMDocument> doc;
        if (FAILED(CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument,
                                    reinterpret_cast<void**>(doc.out())))) {
            result.reason = "the platform's XML parser (MSXML) is not available";
        } else {
            doc->put_async(VARIANT_FALSE);
            doc->put_validateOnParse(VARIANT_FALSE);
            doc->put_resolveExternals(VARIANT_FALSE);
            // The bytes as they are, so the parser honours their encoding.
            SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
            void* data = nullptr;
            if (bytes != nullptr && SUCCEEDED(SafeArrayAccessData(bytes, &data))) {
                if (size > 0)
                    std::memcpy(data, contents, size);
                SafeArrayUnaccessData(bytes);
            }
            VARIANT source;
            VariantInit(&source);
            source.vt = VT_ARRAY | VT_UI1;
            source.parray = bytes;
            VARIANT_BOOL ok = VARIANT_FALSE;
            doc->load(source, &ok);
            if (bytes != nullptr)
                SafeArrayDestroy(bytes);
            if (ok == VARIANT_TRUE) {
                copyChildren(doc.p, mRoot.get());
                result.ok = true;
            } else {
                Com<IXMLDOMParseError> error;
                result.reason = "not well-formed";
                if (SUCCEEDED(doc->get_parseError(error.out())) && error.p != nullptr) {
                    BSTR reason = nullptr;
                    long pos = 0;
                    error->get_reason(&reason);
                    error->get_filepos(&pos);
                    std::string r = bstrText(reason);
                    SysFreeString(reason);
                    while (!r.empty() && (r.back() == '\n' || r.back() == '\r' || r.back() == ' '))
                        r.pop_back();
                    if (!r.empty())
                        result.reason = r;
                    result.offset = pos;
                }
            }
        }
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return result;
}

void xml_document::save(std::ostream& out, const char* indent, unsigned int flags, xml_encoding) const
{
    for (const auto& c : mRoot->children)
        write(out, c.get(), indent, flags, 0);
}

} // namespace pugi
