#include "subhost/styles.h"

#include "subhost/document.h"
#include "subhost/fileio.h"

#include <pugixml.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace subhost {

namespace {
// Elements may nest this deep inside an XTension node; deeper nesting is no
// setting of any plug-in, and refusing it keeps every later step (printing
// the node, saving it indented) in proportion to the file.
constexpr int kMaxNodeDepth = 64;

// The deepest nesting of elements below `node` (its children count 1),
// found without recursion.
int nestingDepth(pugi::xml_node node)
{
    int deepest = 0;
    int depth = 0;
    pugi::xml_node n = node.first_child();
    if (!n)
        return 0;
    depth = 1;
    while (n && n != node) {
        if (n.type() == pugi::node_element && depth > deepest)
            deepest = depth;
        if (n.first_child()) {
            n = n.first_child();
            ++depth;
            continue;
        }
        while (n != node && !n.next_sibling()) {
            n = n.parent();
            --depth;
        }
        if (n != node)
            n = n.next_sibling();
    }
    return deepest;
}
bool startsWith(const std::string& text, std::size_t at, const char* prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// pugixml does not expand entities declared in a DTD and keeps a reference
// to one ("&co;") as its literal text, which would reach the plug-in and be
// saved as "&amp;co;". A style file that declares entities, or refers to one
// XML does not define, is refused instead; character references and the five
// entities of XML are read as usual. Comments, CDATA sections and processing
// instructions hold no references.
void refuseEntities(const std::string& xml, const std::string& fileName)
{
    std::size_t i = 0;
    auto skipTo = [&](const char* end) {
        std::size_t e = xml.find(end, i);
        i = e == std::string::npos ? xml.size() : e + std::strlen(end);
    };
    while (i < xml.size()) {
        if (startsWith(xml, i, "<!--")) {
            skipTo("-->");
        } else if (startsWith(xml, i, "<![CDATA[")) {
            skipTo("]]>");
        } else if (startsWith(xml, i, "<?")) {
            skipTo("?>");
        } else if (startsWith(xml, i, "<!DOCTYPE")) {
            std::size_t subset = xml.find_first_of("[>", i);
            if (subset != std::string::npos && xml[subset] == '[') {
                std::size_t close = xml.find(']', subset);
                std::size_t entity = xml.find("<!ENTITY", subset);
                if (entity != std::string::npos && (close == std::string::npos || entity < close))
                    throw StyleError(fileName + ": declares an entity in its DTD at byte " + std::to_string(entity) +
                                     "; the host does not expand entities, so a style file must not declare any");
                i = close == std::string::npos ? xml.size() : close;
            }
            skipTo(">");
        } else if (xml[i] == '&') {
            std::size_t semi = xml.find(';', i);
            std::string name = semi == std::string::npos ? std::string() : xml.substr(i + 1, semi - i - 1);
            bool isName = !name.empty() && name.find_first_of(" \t\r\n<>&\"'") == std::string::npos;
            if (!isName)
                throw StyleError(fileName + ": not valid XML: an & that starts no reference at byte " +
                                 std::to_string(i) + " (an & in a text is written &amp;)");
            bool known = name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot" ||
                         (name.size() > 1 && name[0] == '#');
            if (!known)
                throw StyleError(fileName + ": refers to the entity &" + name.substr(0, 40) + "; at byte " +
                                 std::to_string(i) + ", which XML does not define (the host expands no "
                                 "entities of a DTD)");
            i = semi + 1;
        } else {
            ++i;
        }
    }
}
} // namespace

std::vector<OutputStyle> parseStyles(const std::string& xml, const std::string& fileName)
{
    pugi::xml_document doc;
    pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size());
    if (!r)
        throw StyleError(fileName + ": not valid XML: " + r.description() + " at byte " + std::to_string(r.offset));
    refuseEntities(xml, fileName);
    pugi::xml_node root = doc.child("outputstyles");
    if (!root)
        throw StyleError(fileName + ": missing the element <outputstyles>");
    std::vector<OutputStyle> styles;
    for (pugi::xml_node s : root.children("style")) {
        OutputStyle style;
        style.name = s.attribute("name").value();
        if (style.name.empty())
            throw StyleError(fileName + ": a <style> without a name");
        std::string kind = s.attribute("kind").value();
        if (kind.size() != 4)
            throw StyleError(fileName + ": style \"" + style.name + "\": kind must be a four-character code");
        style.kind = fourccValue(kind);
        for (pugi::xml_node x : s.children("xtension")) {
            std::string code = x.attribute("code").value();
            if (code.size() != 4)
                throw StyleError(fileName + ": style \"" + style.name + "\": xtension code must have four characters");
            if (nestingDepth(x) > kMaxNodeDepth)
                throw StyleError(fileName + ": style \"" + style.name + "\": xtension " + code +
                                 ": elements nested deeper than " + std::to_string(kMaxNodeDepth) + " levels");
            std::ostringstream text;
            x.print(text, "", pugi::format_raw);
            style.nodes[fourccValue(code)] = text.str();
        }
        styles.push_back(std::move(style));
    }
    return styles;
}

std::vector<OutputStyle> loadStyles(const std::string& file)
{
    pugi::xml_document probe;
    std::ifstream in(std::filesystem::u8path(file), std::ios::binary);
    if (!in)
        throw StyleError(file + ": cannot be opened");
    std::stringstream ss;
    ss << in.rdbuf();
    return parseStyles(ss.str(), file);
}

std::string stylesToXml(const std::vector<OutputStyle>& styles)
{
    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("outputstyles");
    for (const OutputStyle& style : styles) {
        pugi::xml_node s = root.append_child("style");
        s.append_attribute("name") = style.name.c_str();
        s.append_attribute("kind") = fourccText(style.kind).c_str();
        for (const auto& [code, text] : style.nodes) {
            pugi::xml_document node;
            if (node.load_buffer(text.data(), text.size()) && node.first_child())
                s.append_copy(node.first_child());
        }
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
}

void saveStyles(const std::string& file, const std::vector<OutputStyle>& styles)
{
    writeFileAtomically(file, stylesToXml(styles));
}

} // namespace subhost
