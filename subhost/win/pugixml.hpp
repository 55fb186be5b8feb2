// The Windows build of the substitute host reads XML with the platform's own
// parser (MSXML, through COM) and keeps it in a small tree with the part of
// the pugixml interface that the host's style file and XML nodes use, so the
// host's code is the same on every platform. (Debian ships no MinGW build of
// pugixml.) Parsing follows pugixml's defaults: the declaration, comments and
// blank text are not kept.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace pugi {

enum xml_node_type { node_null, node_document, node_element, node_pcdata, node_declaration };
enum xml_encoding { encoding_auto, encoding_utf8 };
const unsigned int format_indent = 0x01;
const unsigned int format_raw = 0x04;

struct xml_attribute_struct {
    std::string name, value;
};

struct xml_node_struct {
    xml_node_type type = node_null;
    std::string name;  // elements and the declaration
    std::string value; // text
    std::vector<std::unique_ptr<xml_attribute_struct>> attributes;
    std::vector<std::unique_ptr<xml_node_struct>> children;
    xml_node_struct* parent = nullptr;
};

class xml_attribute {
public:
    xml_attribute() = default;
    explicit xml_attribute(xml_attribute_struct* a) : mA(a) {}
    explicit operator bool() const { return mA != nullptr; }
    bool operator!() const { return mA == nullptr; }
    const char* name() const { return mA ? mA->name.c_str() : ""; }
    const char* value() const { return mA ? mA->value.c_str() : ""; }
    bool set_value(const char* v)
    {
        if (!mA)
            return false;
        mA->value = v ? v : "";
        return true;
    }
    xml_attribute& operator=(const char* v)
    {
        set_value(v);
        return *this;
    }

private:
    xml_attribute_struct* mA = nullptr;
};

class xml_node {
public:
    xml_node() = default;
    explicit xml_node(xml_node_struct* n) : mN(n) {}
    explicit operator bool() const { return mN != nullptr; }
    bool operator!() const { return mN == nullptr; }
    xml_node_type type() const { return mN ? mN->type : node_null; }
    const char* name() const { return mN ? mN->name.c_str() : ""; }
    xml_node first_child() const;
    xml_node next_sibling() const;
    xml_node parent() const { return xml_node(mN ? mN->parent : nullptr); }
    bool operator==(const xml_node& other) const { return mN == other.mN; }
    bool operator!=(const xml_node& other) const { return mN != other.mN; }
    xml_node child(const char* name) const;
    std::vector<xml_node> children(const char* name) const;
    xml_attribute attribute(const char* name) const;
    xml_node append_child(const char* name);
    xml_node append_child(xml_node_type type);
    xml_attribute append_attribute(const char* name);
    xml_node append_copy(const xml_node& proto);
    void print(std::ostream& out, const char* indent = "\t", unsigned int flags = format_indent) const;
    xml_node_struct* internal_object() const { return mN; }

protected:
    xml_node_struct* mN = nullptr;
};

struct xml_parse_result {
    bool ok = false;
    std::ptrdiff_t offset = 0;
    std::string reason;
    explicit operator bool() const { return ok; }
    bool operator!() const { return !ok; }
    const char* description() const { return reason.c_str(); }
};

class xml_document : public xml_node {
public:
    xml_document();
    xml_document(const xml_document&) = delete;
    xml_document& operator=(const xml_document&) = delete;
    // Parses UTF-8 (or UTF-16 with its byte-order mark) XML; the old content goes.
    xml_parse_result load_buffer(const void* contents, std::size_t size);
    void save(std::ostream& out, const char* indent = "\t", unsigned int flags = format_indent,
              xml_encoding encoding = encoding_auto) const;

private:
    std::unique_ptr<xml_node_struct> mRoot;
};

} // namespace pugi
