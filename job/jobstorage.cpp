#include "job/jobstorage.h"

#include "host/xtcalls.h"
#include "settings/mysettings.h"
#include "ui/msgbox.h"
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

// Reads a named value of the style's element; empty when it is missing.
bool readValue(xtxmlelem* elem, const char* name, char* out, int32_t cap)
{
    out[0] = '\0';
    return xtXmlGetValue(elem, name, out, cap) > 0 && out[0] != '\0';
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
    int32_t size = 0;
    void* data = xtGetDocData(xtCurrentDoc(), XT_PLUGIN_ID, &size);
    if (data == nullptr)
        return true;
    std::unique_ptr<void, DisposeBlock> block(data);
    CMySettings store;
    std::int32_t status = size > 0 ? store.setup(block.get(), size, 0) : CMySettings::kRefused;
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
    CMySettings store;
    if (store.setup(4096L) != 0)
        return;
    // A block that lacks an entry is never stored: when the store cannot
    // take one (it could not grow), the document keeps the block it had.
    std::int32_t failed = 0;
    for (int16_t i = kFlagTrimBox; i <= kFlagScale; ++i)
        failed |= store.set(kSection, kFolantraKeys[i], static_cast<std::int32_t>(rec->flags[i]));
    failed |= store.set(kSection, kFolantraKeys[8], rec->folder);
    failed |= store.setFloat(kSection, "ScX", rec->scaleX);
    failed |= store.setFloat(kSection, "ScY", rec->scaleY);
    failed |= store.set(kSection, "Title", rec->metaData.title);
    failed |= store.set(kSection, "Author", rec->metaData.author);
    failed |= store.set(kSection, "Keywords", rec->metaData.keywords);
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
