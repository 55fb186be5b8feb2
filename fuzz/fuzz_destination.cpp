// The print file's path at job start (setFileDestination) from arbitrary
// document paths and names, stored folders and the "AddPS" switch, inside the
// substitute host with the plug-in's code linked in. Input: a flag byte (bit
// 0: the document was saved and has a path; bit 1: "AddPS" is 1), then the
// document's path, its name and the stored folder, separated by zero bytes.
//
// No buffer may be overrun (the sanitizers watch the 512-byte ones), and the
// job gets either no file and a message, or exactly the file the rules give:
// an absolute path ending in ".ps", in the document's folder (the root
// included), the stored folder when it exists, else the desktop, with the
// document's file name, its extension replaced or ".ps" appended.
#include "host/xtcalls.h"
#include "job/folantrarec.h"
#include "output/printtofile.h"
#include "settings/mysettings.h"
#include "subhost/host.h"
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/mystrings.h"

#include "tests/common/private_home.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

extern "C" int32_t XTActivateCallback(xtactivaterec* rec);

namespace {

const testhome::PrivateHome sHome("folantra-fuzz-dest-");
std::unique_ptr<subhost::Host> sHost;
std::string sWork;

std::string piece(const std::string& all, std::size_t& at)
{
    std::size_t end = all.find('\0', at);
    std::string p = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? all.size() : end + 1;
    return p;
}

// The rules, written out once more: the path the job should get, or "" when
// it cannot have one.
std::string expectedPath(const std::string& source, bool isPath, const std::string& stored, bool addPS,
                         bool* folderMissing)
{
    std::string folder, name;
    bool absolute = false;
    // A never-saved document's name is a name, never split as a path.
    std::size_t sep = isPath ? source.rfind('/') : std::string::npos;
    if (sep != std::string::npos) {
        folder = source.substr(0, sep);
        name = source.substr(sep + 1);
        absolute = source[0] == '/'; // "" for a document in the root
    } else {
        char desktop[kPathSize] = {};
        getDesktopFolder(desktop);
        folder = desktop;
        name = source;
    }
    if (name.size() > 255)
        return "";
    *folderMissing = false;
    if (!stored.empty()) {
        struct stat st;
        if (stat(stored.c_str(), &st) == 0) {
            folder = stored;
        } else {
            *folderMissing = true;
            char desktop[kPathSize] = {};
            getDesktopFolder(desktop);
            folder = desktop;
        }
        absolute = false;
    }
    if (!absolute && (folder.empty() || folder[0] != '/'))
        folder = folder.empty() ? sWork : sWork + "/" + folder;
    if (folder.size() > 511)
        return "";
    // A never-saved document's name that holds a separator would leave the
    // folder: refused.
    if (!isPath && name.find('/') != std::string::npos)
        return "";
    std::size_t dot = name.rfind('.');
    name = addPS || dot == std::string::npos ? name + ".ps" : name.substr(0, dot) + ".ps";
    if (name.size() > 255)
        return "";
    // A name that would leave its folder is refused.
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return "";
    std::string path = folder + "/" + name;
    return path.size() > 511 ? "" : path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Relative folders are taken against a working folder of the fuzzer's
    // own, which holds a few that exist.
    sWork = std::string(std::getenv("HOME")) + "/work";
    for (const char* sub : {"", "/sub", "/-dx", "/100%done"})
        mkdir((sWork + sub).c_str(), 0700);
    if (chdir(sWork.c_str()) != 0)
        std::abort();
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr)
        std::abort();
    sWork = cwd;

    setResourceFolder(FOLANTRA_SOURCE_DIR "/resources");
    sHost = std::make_unique<subhost::Host>();
    sHost->loadEntry(XTActivateCallback);
    subhost::Document d;
    d.name = "Report.qxp";
    d.pageWidth = 595.276;
    d.pageHeight = 841.89;
    d.spreads.push_back(subhost::Spread{});
    sHost->openDocument(d);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::string all(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t at = 0;
    std::string path = piece(all, at), name = piece(all, at), stored = piece(all, at);
    bool saved = (data[0] & 1) != 0;
    bool addPS = (data[0] & 2) != 0;
    if (name.size() > 255)
        name.resize(255); // the host's names hold at most 255 bytes
    if (stored.size() > 511)
        stored.resize(511);

    subhost::Document* doc = sHost->currentDocument();
    doc->name = name;
    if (saved)
        doc->path = path;
    else
        doc->path.reset();
    FolantraRec* sys = getSysRec();
    clearRec(sys);
    sys->flags[kFlagPrintToFile] = 1;
    std::memcpy(sys->folder, stored.c_str(), stored.size() + 1);
    gPrefs.set("General", "AddPS", addPS ? "1" : "0");
    sHost->messages().clear();
    sHost->events().clear(); // the host records every call: keep the run's memory flat
    sHost->jobFile.clear();

    setFileDestination();

    // A path too long for the host's answer is no path: the name is taken.
    bool isPath = saved && path.size() < kPathSize;
    std::string source = isPath ? path : name;
    bool folderMissing = false;
    std::string expected = expectedPath(source, isPath, stored, addPS, &folderMissing);
    std::string got(sys->psPath, strnlen(sys->psPath, sizeof sys->psPath));
    if (got.size() >= sizeof sys->psPath)
        std::abort();
    if (got != expected) {
        std::fprintf(stderr, "psPath \"%s\", expected \"%s\"\n", got.c_str(), expected.c_str());
        std::abort();
    }
    if (got.empty()) {
        // Refused: the user is told, and the host was given no file.
        if (sHost->messages().empty() || !sHost->jobFile.empty())
            std::abort();
    } else {
        if (got[0] != '/' || got.size() < 3 || got.compare(got.size() - 3, 3, ".ps") != 0)
            std::abort();
        if (sHost->jobFile != got)
            std::abort();
        if (sHost->messages().size() != (folderMissing ? 1u : 0u))
            std::abort();
    }
    return 0;
}
