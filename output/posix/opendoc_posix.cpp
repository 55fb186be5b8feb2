// Without the macOS workspace, an application is a program: "Acrobat
// Distiller" is Ghostscript's ps2pdf, or the program that FOLANTRA_DISTILLER
// names. It runs without a shell, with the PostScript file and the PDF beside
// it as its two arguments, and the plug-in does not wait for it: a process of
// its own waits, writes the program's exit status to the log and ends with
// that status (127 when the program could not be started). The program
// inherits none of the host's descriptors beyond the standard three.
#include "ui/toolkit.h"

#include "log/dump.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
// The PDF's path: the PostScript path with its extension replaced.
std::string pdfBeside(const std::string& ps)
{
    std::string::size_type slash = ps.rfind('/');
    std::string::size_type dot = ps.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return ps + ".pdf";
    return ps.substr(0, dot) + ".pdf";
}

// Ghostscript reads a '%' in its output file name as a page-number format;
// "%%" stands for the character itself.
std::string literalOutputName(const std::string& path)
{
    std::string out;
    for (char c : path) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

// Closes every descriptor from `from` on, except `keep`.
void closeDescriptorsFrom(int from, int keep)
{
    long max = sysconf(_SC_OPEN_MAX);
    if (max < 0 || max > 65536)
        max = 65536;
    for (int fd = from; fd < max; ++fd)
        if (fd != keep)
            close(fd);
}

// How a waited-for program ended, for the log.
std::string describeStatus(int status)
{
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "ended";
}
} // namespace

bool openDoc(const char* path, const char* application)
{
    if (path == nullptr || application == nullptr || std::strcmp(application, "Acrobat Distiller") != 0)
        return false;
    // Only an absolute path: a relative one could read as an option.
    if (path[0] != '/')
        return false;
    std::vector<std::string> args;
    const char* site = std::getenv("FOLANTRA_DISTILLER");
    if (site != nullptr && site[0] != '\0') {
        args = {site, path, pdfBeside(path)};
    } else {
        args = {"ps2pdf", "-dAutoRotatePages=/None", path, literalOutputName(pdfBeside(path))};
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    // A pipe that closes on a successful exec tells whether the program started.
    int report[2];
    if (pipe(report) != 0)
        return false;
    fcntl(report[1], F_SETFD, FD_CLOEXEC);
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // The child leaves at once, so the host gets no zombie and never
        // waits for the distiller; the grandchild waits for the program and
        // logs how it ended.
        if (fork() != 0)
            _exit(0);
        setsid();
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
        }
        closeDescriptorsFrom(3, report[1]);
        pid_t program = fork();
        if (program == 0) {
            execvp(argv[0], argv.data());
            int err = errno;
            ssize_t ignored = write(report[1], &err, sizeof err);
            (void)ignored;
            _exit(127);
        }
        if (program < 0) {
            int err = errno;
            ssize_t ignored = write(report[1], &err, sizeof err);
            (void)ignored;
            _exit(1);
        }
        close(report[1]);
        int status = 0;
        while (waitpid(program, &status, 0) < 0 && errno == EINTR) {
        }
        dprintf("openDoc: %s %s ended: %s", argv[0], path, describeStatus(status).c_str());
        // The waiting process ends as the program did, so that whoever waits
        // for it (a host that adopts orphans) learns how the program ended.
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0));
    }
    close(report[1]);
    waitpid(child, nullptr, 0);
    int err = 0;
    ssize_t got = read(report[0], &err, sizeof err);
    close(report[0]);
    bool started = got <= 0;
    dprintf("openDoc: %s %s (%s)", argv[0], path, started ? "started" : std::strerror(err));
    return started;
}
