#include "output/printtofile.h"

#include "host/xtcalls.h"
#include "job/folantrarec.h"
#include "log/dump.h"
#include "output/psname.h"
#include "settings/prefs.h"
#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/platform.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kDistiller = "Acrobat Distiller";

// The file this job was sent to: set only when the host took the file, with
// what the path named at that moment. The distiller runs at the job's end
// only on a regular file that has changed since (or was new), so neither a
// refused file nor a failed write hands it an older job of the same name.
struct JobFile {
    bool set = false;
    bool existed = false;
    FileStamp before;
};
JobFile sJobFile;

// Copies `text` into a buffer of `cap` bytes; false when it does not fit.
bool copyWhole(char* out, std::size_t cap, const char* text)
{
    std::size_t n = std::strlen(text);
    if (n + 1 > cap)
        return false;
    std::memcpy(out, text, n + 1);
    return true;
}

// Appends `suffix`; false when the result would not fit.
bool appendText(char* out, const char* suffix, std::size_t cap)
{
    std::size_t n = std::strlen(out), m = std::strlen(suffix);
    if (n + m + 1 > cap)
        return false;
    std::memcpy(out + n, suffix, m + 1);
    return true;
}

// A path that does not fit is not cut into another path: the job is not
// sent to a file at all, and the user is told.
void refusePath(const char* folder, const char* name, const char* why = "psPathTooLong")
{
    setMsg2("%s%c%s", folder, plat::kPathSep, name);
    msgBox(why);
}
} // namespace

void setFileDestination()
{
    char folder[512];
    char docPath[512];
    char name[256];
    std::memset(folder, 0, sizeof folder);
    std::memset(docPath, 0, sizeof docPath);
    std::memset(name, 0, sizeof name);
    FolantraRec* sys = getSysRec();
    sys->psPath[0] = '\0';
    sJobFile = JobFile{};

    // A saved document's path is split at its last separator (on Windows "\"
    // or "/"); a document never saved has a name, which is no path: its job
    // goes to the desktop under that name.
    int32_t doc = xtCurrentDoc();
    const char* sep = nullptr;
    if (xtDocPath(doc, docPath, sizeof docPath))
        sep = lastSeparator(docPath);
    else
        xtDocName(doc, docPath, 256);

    bool absolute = false; // the folder is absolute already
    if (sep != nullptr) {
        std::memcpy(folder, docPath, static_cast<std::size_t>(sep - docPath));
        if (!copyWhole(name, sizeof name, sep + 1)) {
            refusePath(folder, sep + 1);
            return;
        }
    } else {
        getDesktopFolder(folder);
        if (!copyWhole(name, sizeof name, docPath)) {
            refusePath(folder, docPath);
            return;
        }
    }

    if (sys->folder[0] != '\0') {
        if (fileExists(sys->folder, 0)) {
            std::memcpy(folder, sys->folder, sizeof folder);
            folder[sizeof folder - 1] = '\0';
        } else {
            setMsg2("%s", sys->folder);
            msgBox("invalidFolder");
            std::memset(folder, 0, sizeof folder);
            getDesktopFolder(folder);
        }
    } else if (sep != nullptr) {
        // The document's own folder is made absolute with its separator,
        // which then goes again: a document in a root ("/", a drive's "C:\")
        // stays in that root, which without the separator would read as a
        // relative folder ("", "C:").
        const char separator[2] = {plat::kPathSep, '\0'};
        if (!appendText(folder, separator, sizeof folder) || !makeAbsolute(folder, sizeof folder)) {
            folder[sep - docPath] = '\0';
            refusePath(folder, name);
            return;
        }
        std::size_t n = std::strlen(folder);
        if (n > 0 && folder[n - 1] == plat::kPathSep)
            folder[n - 1] = '\0';
        absolute = true;
    }

    // A relative folder (a stored one, or that of a document opened by a
    // relative path) would depend on the working folder at every later use
    // and could read as an option to the distiller: it is made absolute.
    if (!absolute && !makeAbsolute(folder, sizeof folder)) {
        refusePath(folder, name);
        return;
    }

    bool named = prefInt("AddPS", 0) == 1 ? appendText(name, ".ps", sizeof name) : replaceExtension(name, ".ps", sizeof name);
    if (!named) {
        refusePath(folder, name);
        return;
    }
    if (getSetting(sys, kFlagAskForName) == 1)
        getPSName(folder, name);
    // The name, the document's or a typed one, names a file in the folder or
    // the job is not printed to a file: "../x.ps" would leave the folder, and
    // on Windows "NUL" or "aux.ps" would send the job to a device.
    switch (checkFileName(name)) {
    case FileNameFault::leavesFolder:
        refusePath(folder, name, "psNameLeavesFolder");
        return;
    case FileNameFault::device:
        refusePath(folder, name, "psNameDevice");
        return;
    case FileNameFault::none:
        break;
    }

    int n = std::snprintf(sys->psPath, sizeof sys->psPath, "%s%c%s", folder, plat::kPathSep, name);
    if (n < 0 || n >= static_cast<int>(sizeof sys->psPath)) {
        sys->psPath[0] = '\0';
        refusePath(folder, name);
        return;
    }
    dprintf("psPath = %s" PSEOL, sys->psPath);

    // What the path names before the host opens it for this job.
    FileStamp before;
    bool existed = getFileStamp(sys->psPath, &before);
    xtfileref* file = xtMakeFileRef(sys->psPath);
    int32_t err = file ? XTSetFile(file) : XT_ERR_NOTFOUND;
    xtDisposeBlock(file);
    if (err != 0) {
        msgBox("Internal error: XTSetFile (%d)", static_cast<int>(err));
        return;
    }
    sJobFile.set = true;
    sJobFile.existed = existed;
    sJobFile.before = before;
}

void runDistillerStep()
{
    const JobFile job = sJobFile;
    sJobFile = JobFile{};
    const char* path = getPSPath();
    if (path == nullptr || !job.set || !getDistiller())
        return;
    FileStamp now;
    if (!getFileStamp(path, &now) || !now.regular) {
        dprintf("distiller not started: %s is no file", path);
        return;
    }
    if (job.existed && sameFileStamp(job.before, now)) {
        dprintf("distiller not started: %s was not written by this job", path);
        return;
    }
    if (openDoc(path, kDistiller))
        return;
    // A start that failed is never silent: the log and the user are told,
    // with the file, so it can be distilled by hand.
    dprintf("distiller not started: %s", path);
    setMsg2("%s", path);
    msgBox("distillerNotStarted");
}
