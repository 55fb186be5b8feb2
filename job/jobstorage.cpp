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
    if (status == CMySettings::kOK) {
        for (int16_t i = kFlagTrimBox; i <= kFlagScale; ++i)
            rec->flags[i] = static_cast<int8_t>(store.getInt32(kSection, kFolantraKeys[i], 0) & 0xFF);
        // The block keeps 255 bytes of the folder.
        store.getString(kSection, kFolantraKeys[8], rec->folder, 256);
        checkFolder(rec->folder);
        rec->scaleX = store.getFloat(kSection, "ScX", 1.0f);
        rec->scaleY = store.getFloat(kSection, "ScY", 1.0f);
        store.getString(kSection, "Title", rec->metaData.title, 256);
        store.getString(kSection, "Author", rec->metaData.author, 256);
        store.getString(kSection, "Keywords", rec->metaData.keywords, 256);
    }
    return true;
}

void setJobHandle(const FolantraRec* given)
{
    const FolantraRec flat = storedForm(given);
    const FolantraRec* rec = &flat;
    // The new block is the document's block with the twelve entries set, so
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
    for (int16_t i = kFlagTrimBox; i <= kFlagScale; ++i)
        failed |= store.set(kSection, kFolantraKeys[i], static_cast<std::int32_t>(rec->flags[i]));
    failed |= setText(store, kFolantraKeys[8], rec->folder);
    failed |= store.setFloat(kSection, "ScX", rec->scaleX);
    failed |= store.setFloat(kSection, "ScY", rec->scaleY);
    failed |= setText(store, "Title", rec->metaData.title);
    failed |= setText(store, "Author", rec->metaData.author);
    failed |= setText(store, "Keywords", rec->metaData.keywords);
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
    if (xtxmlelem* elem = folantraElement(node.get())) {
        char value[256];
        for (int16_t i = kFlagTrimBox; i <= kFlagScale; ++i)
            rec->flags[i] = readValue(elem, kFolantraKeys[i], value, sizeof value)
                                ? static_cast<int8_t>(std::strtol(value, nullptr, 10) & 0xFF)
                                : 0;
        readValue(elem, kFolantraKeys[8], rec->folder, sizeof rec->folder);
        checkFolder(rec->folder);
        if (readValue(elem, "ScX", value, sizeof value))
            rec->scaleX = static_cast<float>(std::strtod(value, nullptr));
        if (readValue(elem, "ScY", value, sizeof value))
            rec->scaleY = static_cast<float>(std::strtod(value, nullptr));
        readValue(elem, "Title", rec->metaData.title, sizeof rec->metaData.title);
        readValue(elem, "Author", rec->metaData.author, sizeof rec->metaData.author);
        readValue(elem, "Keywords", rec->metaData.keywords, sizeof rec->metaData.keywords);
    }
}

void setFolantraRec(xtstyleref style, const FolantraRec* given)
{
    const FolantraRec flat = storedForm(given);
    const FolantraRec* rec = &flat;
    xtxmlnode* node = xtStyleGetNode(style, XT_PLUGIN_ID);
    if (node == nullptr)
        return;
    if (xtxmlelem* elem = folantraElement(node)) {
        char value[64];
        for (int16_t i = kFlagTrimBox; i <= kFlagScale; ++i) {
            std::snprintf(value, sizeof value, "%d", rec->flags[i]);
            xtXmlSetValue(elem, kFolantraKeys[i], value);
        }
        xtXmlSetValue(elem, kFolantraKeys[8], rec->folder);
        formatFloat(value, sizeof value, "%.5f", rec->scaleX);
        xtXmlSetValue(elem, "ScX", value);
        formatFloat(value, sizeof value, "%.5f", rec->scaleY);
        xtXmlSetValue(elem, "ScY", value);
        xtXmlSetValue(elem, "Title", rec->metaData.title);
        xtXmlSetValue(elem, "Author", rec->metaData.author);
        xtXmlSetValue(elem, "Keywords", rec->metaData.keywords);
    }
    xtStyleSetNode(style, XT_PLUGIN_ID, node);
    xtXmlDispose(node);
}
