#include "postscript/metadata.h"

#include "postscript/psprintf.h"
#include "ui/dialogs.h"
#include "util/mystr.h"
#include "util/platform.h"

#include <cstdio>
#include <cstring>

namespace {
struct Entry {
    const char* key;
    const char* text;
};

void writeEntry(const char* key, const char* field)
{
    if (field[0] == '\0')
        return;
    std::size_t len = utf8Fit(field, strnlen(field, 256), 255);
    std::u16string units = utf8ToUtf16(field, len);
    if (units.empty())
        return;
    // At most 255 bytes give at most 255 code units: 1020 digits fit.
    char digits[1024];
    std::memset(digits, 0, sizeof digits);
    std::size_t pos = 0;
    for (char16_t u : units) {
        if (pos + 4 >= sizeof digits)
            break;
        std::snprintf(digits + pos, sizeof digits - pos, "%04X", static_cast<unsigned>(u));
        pos += 4;
    }
    psPrintf(PSEOL "/pdfmark where {pop [/%s <FEFF%s> /DOCINFO pdfmark} if", key, digits);
}

constexpr int kTitleField = 3, kAuthorField = 4, kKeywordsField = 5;

// Reads a field into a 256-byte text, the bytes behind the text cleared.
void readField(DialogRef dialog, int id, char* field)
{
    char text[256] = {};
    getControlText(getControl(dialog, id), text);
    std::memset(field, 0, 256);
    std::memcpy(field, text, std::strlen(text));
}

std::uint8_t metaDataOK(ControlRef, DialogRef dialog, void* user)
{
    auto* meta = static_cast<MetaData*>(user);
    readField(dialog, kTitleField, meta->title);
    readField(dialog, kAuthorField, meta->author);
    readField(dialog, kKeywordsField, meta->keywords);
    quitModalDialog(dialog, 1);
    return 1;
}

std::uint8_t metaDataSetup(DialogRef dialog, void* user)
{
    auto* meta = static_cast<MetaData*>(user);
    setControlText(getControl(dialog, kTitleField), meta->title);
    setControlText(getControl(dialog, kAuthorField), meta->author);
    setControlText(getControl(dialog, kKeywordsField), meta->keywords);
    setControlHandler(getControl(dialog, 1), metaDataOK, meta);
    setControlFocus(getControl(dialog, kTitleField));
    return 0;
}
} // namespace

void writeMetaData() { writeMetaData(&getSysRec()->metaData); }

void writeMetaData(const MetaData* meta)
{
    const Entry entries[] = {{"Title", meta->title}, {"Author", meta->author}, {"Keywords", meta->keywords}};
    for (const Entry& e : entries)
        writeEntry(e.key, e.text);
    psPrintf(PSEOL PSEOL);
}

bool getMetaData(MetaData* meta)
{
    if (meta == nullptr)
        return false;
    return doModalDialog("MetaData", metaDataSetup, meta) == 1;
}
