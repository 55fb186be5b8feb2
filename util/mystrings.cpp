#include "util/mystrings.h"

#include "ui/toolkit.h"
#include "util/files.h"
#include "util/platform.h"
#include "util/xmlreader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

std::int16_t gLanguage = 0;

namespace {

char* sMyStrings = nullptr;   // the loaded table, owned
std::string sResourceFolder;  // set by tests; empty: the plug-in's own resources

const char kEllipsis[] = "\xE2\x80\xA6"; // U+2026 in UTF-8

const char* languageSuffix(std::int16_t language)
{
    switch (language) {
    case 1:
        return "_F";
    case 3:
        return "_D";
    case 5:
        return "_N";
    default:
        return nullptr;
    }
}

char* copyResource(const std::string& name, const char* type)
{
    if (sResourceFolder.empty())
        return copyPlatformResource(name.c_str(), type);
    char path[512];
    std::string file = name + "." + type;
    if (sResourceFolder.size() + 1 + file.size() + 1 > sizeof path)
        return nullptr;
    std::memcpy(path, sResourceFolder.c_str(), sResourceFolder.size() + 1);
    addPathComponent(path, file.c_str());
    return copyResourceFile(path);
}

// Copies at most 250 bytes of `text` into `out`, terminated.
long copyCut(const char* text, char* out)
{
    std::size_t n = utf8Fit(text, strnlen(text, 251), 250);
    std::memcpy(out, text, n);
    out[n] = '\0';
    return static_cast<long>(n);
}

} // namespace

std::int16_t* setupLanguage(std::int16_t code)
{
    gLanguage = ((code & 0xFFEF) == 3) ? 3 : 0;
    return &gLanguage;
}

char* getResourceData(const char* name, const char* type, std::int16_t language)
{
    if (name == nullptr || type == nullptr)
        return nullptr;
    std::string base(name);
    if (char* data = copyResource(base, type))
        return data;
    if (const char* suffix = languageSuffix(language))
        if (char* data = copyResource(base + suffix, type))
            return data;
    return copyResource(base + "_E", type);
}

char* copyResourceFile(const char* path)
{
    // The file is closed also when the text cannot be held (out of memory).
    std::unique_ptr<std::FILE, FileCloser> f(openFile(path, "rb"));
    if (f == nullptr)
        return nullptr;
    std::string bytes;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0)
        bytes.append(chunk, n);
    bool failed = std::ferror(f.get()) != 0;
    f.reset();
    if (failed)
        return nullptr;
    char* copy = static_cast<char*>(myalloc(bytes.size() + 2, 1));
    if (copy != nullptr && !bytes.empty())
        std::memcpy(copy, bytes.data(), bytes.size());
    return copy;
}

void setResourceFolder(const char* folder)
{
    sResourceFolder = folder != nullptr ? folder : "";
}

int setupMyStrings()
{
    cleanupMyStrings();
    setMyStrTranslator(translateString);
    sMyStrings = getResourceData("MyStrings", "xml", gLanguage);
    return sMyStrings != nullptr ? 0 : -1;
}

void cleanupMyStrings()
{
    myfree(sMyStrings);
    sMyStrings = nullptr;
}

long getString(const char* key, char* out)
{
    if (out == nullptr)
        return 0;
    if (key == nullptr) {
        out[0] = '\0';
        return 0;
    }
    long n = getXMLString(sMyStrings, key, out);
    if (n > 0)
        return n;
    return copyCut(key, out);
}

void translateString(char* input, char* output)
{
    if (input == nullptr || output == nullptr)
        return;
    std::size_t n = std::strlen(input);
    if (n == 0)
        return;
    if (n >= 4 && std::memcmp(input + n - 3, kEllipsis, 3) == 0) {
        input[n - 3] = '\0';
        long len = getString(input, output);
        std::memcpy(output + len, kEllipsis, sizeof kEllipsis);
    } else if (input[n - 1] == ':') {
        input[n - 1] = '\0';
        long len = getString(input, output);
        output[len] = ':';
        output[len + 1] = '\0';
    } else {
        getString(input, output);
    }
}

MyStr stringWithKey(const char* key, unsigned char ellipsis)
{
    char text[2048];
    getString(key, text);
    if (ellipsis == 1)
        addEllipsisToString(text, sizeof text);
    return MyStr(text, 0);
}

void addEllipsisToString(char* text, std::size_t capacity)
{
    if (text == nullptr)
        return;
    std::size_t n = strnlen(text, capacity);
    if (n + sizeof kEllipsis > capacity)
        return;
    std::memcpy(text + n, kEllipsis, sizeof kEllipsis);
}
