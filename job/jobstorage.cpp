#include "job/jobstorage.h"

#include "host/xtcalls.h"
#include "settings/mysettings.h"
#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/mystr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr const char* kSection = "Settings";
constexpr const char* kElement = "Folantra";

// Writes a float the same way whatever the C library's locale says.
void formatFloat(char* out, std::size_t cap, const char* format, float v)
{
    std::snprintf(out, cap, format, static_cast<double>(v));
    for (char* p = out; *p; ++p)
        if (*p == ',')
            *p = '.';
}

// Reads a named value of the style's element; empty when it is missing. The
// host cuts a longer value at a byte count: a character it cut in two goes.
bool readValue(xtxmlelem* elem, const char* name, char* out, int32_t cap)
{
    out[0] = '\0';
    if (xtXmlGetValue(elem, name, out, cap) <= 0) {
        out[0] = '\0';
        return false;
    }
    std::size_t last = static_cast<std::size_t>(cap) - 1;
    std::size_t n = strnlen(out, last);
    if (n == last)
        n = utf8Complete(out, n);
    out[n] = '\0';
    return n > 0;
}

// A line break inside a value would end the entry line of the block (and be
// folded by the style's XML), so each CR or LF of a text is stored as a blank.
void flattenLineBreaks(char* text)
{
    for (char* p = text; *p != '\0'; ++p)
        if (*p == '\r' || *p == '\n')
            *p = ' ';
}

// The record as it is stored: title, author and keywords without line breaks.
FolantraRec storedForm(const FolantraRec* rec)
{
    FolantraRec copy;
    std::memcpy(&copy, rec, sizeof copy);
    flattenLineBreaks(copy.metaData.title);
    flattenLineBreaks(copy.metaData.author);
    flattenLineBreaks(copy.metaData.keywords);
    return copy;
}

// Gives the host's copy of a block or a style's node back also when an
// exception passes.
struct DisposeBlock {
    void operator()(void* block) const noexcept { xtDisposeBlock(block); }
};
struct DisposeNode {
    void operator()(xtxmlnode* node) const noexcept { xtXmlDispose(node); }
};

// The current document's block in `store`: 0, -1 when the document has
// none, -108 when it cannot be held.
std::int32_t readDocBlock(CMySettings& store)
{
    int32_t size = 0;
    void* data = xtGetDocData(xtCurrentDoc(), XT_PLUGIN_ID, &size);
    if (data == nullptr)
        return CMySettings::kRefused;
    std::unique_ptr<void, DisposeBlock> block(data);
    return size > 0 ? store.setupText(block.get(), size) : CMySettings::kRefused;
}

// Sets a text entry of the block. A stored value longer than the record's
// 255 bytes was read cut; while the record still holds that cut form, the
// whole stored value is kept.
std::int32_t setText(CMySettings& store, const char* key, const char* text)
{
    char stored[CMySettings::kMaxLine + 1];
    long n = store.getString(kSection, key, stored, sizeof stored);
    if (n > 255) {
        std::size_t cut = utf8Fit(stored, static_cast<std::size_t>(n), 255);
        if (std::strlen(text) == cut && std::memcmp(stored, text, cut) == 0)
            return store.set(kSection, key, stored);
    }
    return store.set(kSection, key, text);
}

// The style's "Folantra" element, created when the node has none.
xtxmlelem* folantraElement(xtxmlnode* node)
{
    xtxmlelem* root = xtXmlElement(node);
    if (root == nullptr)
        return nullptr;
    xtxmlelem* child = xtXmlFindChild(root, kElement);
    return child ? child : xtXmlCreateChild(root, kElement);
}
} // namespace

void checkFolder(char* folder)
{
    if (folder[0] == '\0' || fileExists(folder, 0))
        return;
    setMsg2("%s", folder);
    msgBox("invalidFolder");
    char desktop[512] = {};
    getDesktopFolder(desktop);
    std::memcpy(folder, desktop, sizeof desktop);
}

bool getJobHandle(FolantraRec* rec)
{
    clearRec(rec);
    CMySettings store;
    std::int32_t status = readDocBlock(store);
    if (status == CMySettings::kNoMemory)
        return false;
    if (status != CMySettings::kOK)
        return true;
    for (const OptionRow& row : kOptions) {
        switch (row.stored) {
        case Stored::No:
            break;
        case Stored::Flag:
            rec->flags[row.flag] = static_cast<int8_t>(store.getInt32(kSection, row.key, 0) & 0xFF);
            break;
        case Stored::Text: {
            // The block keeps 255 bytes of every text, of the folder too.
            RecText text = recText(rec, row.field);
            store.getString(kSection, row.key, text.chars, text.size < 256 ? text.size : 256);
            if (row.field == RecField::Folder)
                checkFolder(rec->folder);
            break;
        }
        case Stored::Scale:
            *recScale(rec, row.field) = store.getFloat(kSection, row.key, 1.0f);
            break;
        }
    }
    return true;
}

void setJobHandle(const FolantraRec* given)
{
    FolantraRec rec = storedForm(given);
    // The new block is the document's block with the stored entries set, so
    // that whatever else it holds (other sections, lines the plug-in cannot
    // read) stays; a document without one starts from an empty store.
    CMySettings store;
    std::int32_t status = readDocBlock(store);
    if (status == CMySettings::kNoMemory)
        return;
    if (status != CMySettings::kOK && store.setup(4096L) != CMySettings::kOK)
        return;
    // A block that lacks an entry is never stored: when the store cannot
    // take one (it could not grow), the document keeps the block it had.
    std::int32_t failed = 0;
    for (const OptionRow& row : kOptions) {
        switch (row.stored) {
        case Stored::No:
            break;
        case Stored::Flag:
            failed |= store.set(kSection, row.key, static_cast<std::int32_t>(rec.flags[row.flag]));
            break;
        case Stored::Text:
            failed |= setText(store, row.key, recText(&rec, row.field).chars);
            break;
        case Stored::Scale:
            failed |= store.setFloat(kSection, row.key, *recScale(&rec, row.field));
            break;
        }
    }
    if (failed != 0 || store.buffer == nullptr)
        return;
    std::size_t size = store.length + 1;
    auto* block = static_cast<char*>(myalloc(size, 1));
    if (block == nullptr)
        return;
    std::memcpy(block, store.buffer, store.length);
    xtSetDocData(xtCurrentDoc(), XT_PLUGIN_ID, block, static_cast<int32_t>(size));
    myfree(block);
}

bool isJobModified(const FolantraRec* rec)
{
    FolantraRec stored;
    // A block that cannot be read now (no memory) may differ: storing the
    // record again is harmless, leaving a change unstored is not.
    if (!getJobHandle(&stored))
        return true;
    const FolantraRec flat = storedForm(rec);
    return !sameRec(&flat, &stored);
}

void getFolantraRecByStyle(xtstyleref style, FolantraRec* rec)
{
    clearRec(rec);
    std::unique_ptr<xtxmlnode, DisposeNode> node(xtStyleGetNode(style, XT_PLUGIN_ID));
    if (node == nullptr)
        return;
    xtxmlelem* elem = folantraElement(node.get());
    if (elem == nullptr)
        return;
    char value[256];
    for (const OptionRow& row : kOptions) {
        switch (row.stored) {
        case Stored::No:
            break;
        case Stored::Flag:
            rec->flags[row.flag] = readValue(elem, row.key, value, sizeof value)
                                       ? static_cast<int8_t>(std::strtol(value, nullptr, 10) & 0xFF)
                                       : 0;
            break;
        case Stored::Text: {
            RecText text = recText(rec, row.field);
            readValue(elem, row.key, text.chars, text.size);
            if (row.field == RecField::Folder)
                checkFolder(rec->folder);
            break;
        }
        case Stored::Scale:
            if (readValue(elem, row.key, value, sizeof value))
                *recScale(rec, row.field) = static_cast<float>(std::strtod(value, nullptr));
            break;
        }
    }
}

void setFolantraRec(xtstyleref style, const FolantraRec* given)
{
    FolantraRec rec = storedForm(given);
    xtxmlnode* node = xtStyleGetNode(style, XT_PLUGIN_ID);
    if (node == nullptr)
        return;
    if (xtxmlelem* elem = folantraElement(node)) {
        char value[64];
        for (const OptionRow& row : kOptions) {
            switch (row.stored) {
            case Stored::No:
                break;
            case Stored::Flag:
                std::snprintf(value, sizeof value, "%d", rec.flags[row.flag]);
                xtXmlSetValue(elem, row.key, value);
                break;
            case Stored::Text:
                xtXmlSetValue(elem, row.key, recText(&rec, row.field).chars);
                break;
            case Stored::Scale:
                formatFloat(value, sizeof value, "%.5f", *recScale(&rec, row.field));
                xtXmlSetValue(elem, row.key, value);
                break;
            }
        }
    }
    xtStyleSetNode(style, XT_PLUGIN_ID, node);
    xtXmlDispose(node);
}
