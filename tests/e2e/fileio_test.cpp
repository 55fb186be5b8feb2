// How folantra-host writes its files (the job, a saved document, a style
// file): a link planted where a temporary file could go is never followed, a
// replaced file keeps its mode and owner, a link is written through, a device
// or FIFO is written in place, the longest names work, and every failure
// names the file and the system's reason.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;

const std::string kSample = FOLANTRA_SOURCE_DIR "/samples/brochure.json";
const std::string kStyles = FOLANTRA_SOURCE_DIR "/samples/styles.xml";

std::string q(const std::string& s) { return pdfcheck::shellQuote(s); }

Outcome run(const std::string& args)
{
    return e2e::runCommand(std::string(FOLANTRA_HOST_PATH) + " " + args);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct stat statOf(const std::string& path)
{
    struct stat st{};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A document whose stored settings print to a file in `folder`, which the
// plug-in names "Named.ps".
std::string documentPrintingTo(const std::string& dir, const std::string& folder)
{
    std::string block = "\r[Settings]\rFolder=" + folder + "\rDistill=0\rAskForName=0\rPrintToFile=1\r";
    nlohmann::json j = {{"name", "Named.qxp"},
                        {"pageSize", {{"width", 595.276}, {"height", 841.89}}},
                        {"spreads", {{{"pages", 1}}}},
                        {"xtensionData", {{"KDIC", {{"text", block}}}}}};
    std::string file = dir + "/named.json";
    std::ofstream(file) << j.dump(1);
    return file;
}

// A style-editor run that confirms the style unchanged and saves the styles.
Outcome saveStyles(const std::string& dir, const std::string& from, const std::string& to)
{
    std::ofstream(dir + "/ok.txt") << "ok\n";
    return run("style-editor --styles " + q(from) + " --style 'Proof with boxes' --script " + q(dir + "/ok.txt") +
               " --save " + q(to));
}

// A device node of our own with the given numbers (1,3 null; 1,7 full), so
// the system's own node is never at stake; the system's when nodes cannot be
// made here (not root: then the system's cannot be replaced either).
std::string deviceNode(const std::string& dir, const char* name, unsigned minor)
{
    std::string node = dir + "/" + name;
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0)
        return node;
    return std::string("/dev/") + name;
}

TEST(FileWrites, LinksPlantedAtTheOldTemporaryNamesAreNeverFollowed)
{
    std::string dir = e2e::tempFolder("fileio-planted");
    std::string victim = dir + "/victim.txt";
    std::ofstream(victim) << "victim";
    std::string styles = dir + "/styles.xml";
    fs::copy_file(kStyles, styles);
    const std::string named = dir + "/Named.ps", job = dir + "/job.ps", saved = dir + "/saved.json",
                      savedStyles = dir + "/saved.xml";
    for (const std::string& file : {named, job, saved, savedStyles})
        fs::create_symlink(victim, file + ".part");

    Outcome o = run("print " + q(documentPrintingTo(dir, dir)) + " --save " + q(saved));
    EXPECT_EQ(o.status, 0) << o.output;
    o = run("print " + q(kSample) + " -o " + q(job));
    EXPECT_EQ(o.status, 0) << o.output;
    o = saveStyles(dir, styles, savedStyles);
    EXPECT_EQ(o.status, 0) << o.output;

    EXPECT_EQ(readFile(victim), "victim");
    EXPECT_EQ(readFile(named).rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_EQ(readFile(job).rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_NE(readFile(saved).find("\"Named.qxp\""), std::string::npos);
    EXPECT_NE(readFile(savedStyles).find("Proof with boxes"), std::string::npos);
    for (const std::string& file : {named, job, saved, savedStyles}) {
        EXPECT_TRUE(S_ISREG(statOf(file).st_mode)) << file;
        EXPECT_TRUE(fs::is_symlink(file + ".part")) << file;
    }
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
}

TEST(FileWrites, ReplacedFilesKeepTheirModeAndOwner)
{
    std::string dir = e2e::tempFolder("fileio-mode");
    std::string doc = dir + "/doc.json", styles = dir + "/styles.xml", job = dir + "/job.ps";
    fs::copy_file(kSample, doc);
    fs::copy_file(kStyles, styles);
    std::ofstream(job) << "old job";
    ::chmod(doc.c_str(), 0600);
    ::chmod(styles.c_str(), 0640);
    ::chmod(job.c_str(), 0604);
    // Only root can give the files to another owner; the host, run as root,
    // gives the new ones back.
    bool root = ::geteuid() == 0;
    for (const std::string& f : {doc, styles, job})
        if (root) {
            ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);
        }

    Outcome o = run("print " + q(doc) + " -o " + q(job) + " --save " + q(doc));
    EXPECT_EQ(o.status, 0) << o.output;
    o = saveStyles(dir, styles, styles);
    EXPECT_EQ(o.status, 0) << o.output;

    EXPECT_EQ(readFile(job).rfind("%!PS-Adobe-3.0", 0), 0u);
    const std::pair<std::string, unsigned> modes[] = {{doc, 0600}, {styles, 0640}, {job, 0604}};
    for (const auto& [file, mode] : modes) {
        struct stat st = statOf(file);
        EXPECT_EQ(st.st_mode & 07777, mode) << file;
        if (root) {
            EXPECT_EQ(st.st_uid, 65534u) << file;
            EXPECT_EQ(st.st_gid, 65534u) << file;
        }
    }
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
}

TEST(FileWrites, LinksAreWrittenThroughAndStayLinks)
{
    std::string dir = e2e::tempFolder("fileio-links");
    fs::create_directories(dir + "/real");
    // A relative link to a file not there yet, and a link to that link.
    fs::create_symlink("real/job.ps", dir + "/job.ps");
    fs::create_symlink(dir + "/job.ps", dir + "/again.ps");
    fs::create_symlink("real/doc.json", dir + "/doc.json");

    Outcome o = run("print " + q(kSample) + " -o " + q(dir + "/job.ps") + " --save " + q(dir + "/doc.json"));
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(readFile(dir + "/real/job.ps").rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_NE(readFile(dir + "/real/doc.json").find("\"pageSize\""), std::string::npos);

    // The file at the end of two links is replaced, its mode kept.
    std::ofstream(dir + "/real/job.ps") << "old";
    ::chmod((dir + "/real/job.ps").c_str(), 0640);
    o = run("print " + q(kSample) + " -o " + q(dir + "/again.ps"));
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(readFile(dir + "/real/job.ps").rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_EQ(statOf(dir + "/real/job.ps").st_mode & 07777, 0640u);
    for (const char* link : {"/job.ps", "/again.ps", "/doc.json"})
        EXPECT_TRUE(fs::is_symlink(dir + link)) << link;
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
    EXPECT_TRUE(e2e::temporaryFilesIn(dir + "/real").empty());
}

TEST(FileWrites, DevicesAndFifosAreWrittenInPlaceNeverReplaced)
{
    std::string dir = e2e::tempFolder("fileio-devices");
    std::string null = deviceNode(dir, "null", 3), full = deviceNode(dir, "full", 7);
    Outcome o = run("print " + q(kSample) + " -o " + q(null));
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(S_ISCHR(statOf(null).st_mode));

    // A device that refuses the bytes: the failure says so, nothing replaces it.
    o = run("print " + q(kSample) + " -o " + q(full));
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("cannot write " + full + ": " + std::strerror(ENOSPC)), std::string::npos) << o.output;
    EXPECT_TRUE(S_ISCHR(statOf(full).st_mode));

    // A FIFO with a reader gets the job.
    std::string fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string got;
    std::thread reading([&] {
        // Until the writer has come and gone (no hang-up before it comes).
        pollfd p{reader, POLLIN, 0};
        char buf[4096];
        while (::poll(&p, 1, 60000) > 0) {
            ssize_t n = ::read(reader, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EAGAIN)
                break;
        }
    });
    o = run("print " + q(kSample) + " -o " + q(fifo));
    reading.join();
    ::close(reader);
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(got.rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_NE(got.find("%%EOF"), std::string::npos);

    // Without a reader it is refused at once rather than waited for.
    o = run("print " + q(kSample) + " -o " + q(fifo));
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("cannot write " + fifo + ": "), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("no program reads from this FIFO"), std::string::npos) << o.output;
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
}

TEST(FileWrites, TheLongestNamesAreWrittenAndEveryFailureSaysWhy)
{
    std::string dir = e2e::tempFolder("fileio-names");
    std::string job = dir + "/" + std::string(252, 'j') + ".ps";
    std::string doc = dir + "/" + std::string(250, 'd') + ".json";
    Outcome o = run("print " + q(kSample) + " -o " + q(job) + " --save " + q(doc));
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(readFile(job).rfind("%!PS-Adobe-3.0", 0), 0u);
    EXPECT_TRUE(fs::exists(doc));

    std::string tooLong = dir + "/" + std::string(253, 'j') + ".ps";
    o = run("print " + q(kSample) + " -o " + q(tooLong));
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("cannot write " + tooLong + ": " + std::strerror(ENAMETOOLONG)), std::string::npos)
        << o.output;

    // A folder the user may not write into; root is above that, so the host
    // then runs as nobody.
    std::string locked = dir + "/locked";
    fs::create_directories(locked);
    std::ofstream(locked + "/job.ps") << "old";
    ::chmod(locked.c_str(), 0555);
    std::string as = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (!as.empty() && e2e::runCommand("setpriv --version").status != 0)
        GTEST_SKIP() << "running as root without setpriv";
    o = e2e::runCommand(as + FOLANTRA_HOST_PATH + " print " + q(kSample) + " -o " + q(locked + "/job.ps"));
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(o.output.find("cannot write " + locked + "/job.ps: " + std::strerror(EACCES)), std::string::npos)
        << o.output;
    EXPECT_EQ(readFile(locked + "/job.ps"), "old");
}

} // namespace
