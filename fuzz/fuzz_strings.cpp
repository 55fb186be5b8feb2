// String-table lookups over an arbitrary table. Input: the table text, then
// after the first 0x01 byte the keys and labels to look up (separated by 0x02).
#include "util/mystrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string sFolder;

void removeFolder()
{
    unlink((sFolder + "/MyStrings_E.xml").c_str());
    rmdir(sFolder.c_str());
}

// The table is written to a file in a private folder on every run, since the
// string tables are read from resources.
const std::string& folder()
{
    if (sFolder.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        sFolder = std::string(base) + "/folantra-fuzz-strings-" + std::to_string(getpid());
        mkdir(sFolder.c_str(), 0700);
        setResourceFolder(sFolder.c_str());
        std::atexit(removeFolder);
    }
    return sFolder;
}

void lookUp(const std::string& key)
{
    char out[251];
    std::memset(out, 0x5A, sizeof out);
    long n = getString(key.c_str(), out);
    if (n < 0 || n > 250 || std::strlen(out) != static_cast<std::size_t>(n))
        std::abort();
    if (n == 0 && !key.empty())
        std::abort(); // a missing text shows the key itself

    char input[512];
    char output[512];
    std::memset(output, 0, sizeof output);
    std::size_t len = key.size() < 511 ? key.size() : 511;
    std::memcpy(input, key.data(), len);
    input[len] = '\0';
    translateString(input, output);
    std::size_t outLen = strnlen(output, sizeof output);
    if (outLen > 253 || (len > 0 && outLen == 0))
        std::abort();

    MyStr s = stringWithKey(key.c_str(), 1);
    if (s.length() < 1)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string all(reinterpret_cast<const char*>(data), size);
    std::size_t split = all.find('\x01');
    std::string table = all.substr(0, split);
    std::string keys = split == std::string::npos ? std::string("title") : all.substr(split + 1);

    std::string path = folder() + "/MyStrings_E.xml";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(table.data(), 1, table.size(), f);
        std::fclose(f);
    }
    setupLanguage(static_cast<std::int16_t>(size > 0 ? data[0] : 0));
    if (setupMyStrings() != 0)
        std::abort();

    std::size_t start = 0;
    for (int i = 0; i < 16 && start <= keys.size(); ++i) {
        std::size_t end = keys.find('\x02', start);
        std::string key = keys.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lookUp(key.c_str());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    cleanupMyStrings();
    return 0;
}
