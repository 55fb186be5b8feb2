#include "subhost/adopted.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace subhost {

namespace {

std::string linkTarget(const std::string& link)
{
    char buf[4096];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// The parent's pid from /proc/PID/stat (the field after the state, which
// follows the command name in parentheses).
int parentOf(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/stat");
    std::string stat;
    std::getline(in, stat);
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    int ppid = -1;
    rest >> state >> ppid;
    return ppid;
}

std::string commandLine(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!raw.empty() && raw.back() == '\0')
        raw.pop_back();
    for (char& c : raw)
        if (c == '\0')
            c = ' ';
    return raw;
}

// The command line of the program that a process started: "" when it has no
// child, or when the child is not (or no longer) a program of its own: still
// the copy of the host that failed to start it, or ending.
std::string childCommandLine(int pid, const std::string& selfExe)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    int child = 0;
    if (!(in >> child) || child <= 0)
        return std::string();
    std::string exe = linkTarget("/proc/" + std::to_string(child) + "/exe");
    if (exe.empty() || exe == selfExe)
        return std::string();
    return commandLine(child);
}

void record(AdoptedProgram& p, int status)
{
    p.ended = true;
    if (WIFEXITED(status))
        p.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        p.signal = WTERMSIG(status);
}

} // namespace

bool adoptOrphans() { return ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0; }

std::vector<AdoptedProgram> adoptedPrograms(bool wait)
{
    std::vector<AdoptedProgram> found;
    const int self = static_cast<int>(::getpid());
    const std::string selfExe = linkTarget("/proc/self/exe");
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return found;
    while (dirent* e = ::readdir(proc)) {
        std::string name = e->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (parentOf(name) != self)
            continue;
        AdoptedProgram p;
        p.pid = std::atoi(name.c_str());
        std::string exe = linkTarget("/proc/" + name + "/exe");
        const bool hostCopy = !exe.empty() && exe == selfExe;
        // A copy of the host shows the host's own command line, which says
        // nothing about the program.
        p.command = hostCopy ? std::string() : commandLine(p.pid);
        int status = 0;
        pid_t done = ::waitpid(p.pid, &status, WNOHANG);
        if (done == p.pid) {
            // Ended already: a zombie shows neither its program nor its
            // command line any more.
            record(p, status);
        } else if (hostCopy) {
            // Still the host's copy: the process that waits for the program
            // (and ends as the program did, 127 when it could not start it),
            // or one that could not start it at all.
            p.command = childCommandLine(p.pid, selfExe);
            if (p.command.empty() || wait)
                waitFor(p);
        } else if (exe.empty()) {
            // Neither a program nor a command line, and not yet a zombie: the
            // process is ending right now. Wait the moment it takes.
            waitFor(p);
        }
        // The waiting copy ends with 127 when the program could not be started.
        p.started = !(p.ended && p.signal == 0 && p.exitStatus == 127);
        if (!p.started)
            p.command.clear();
        found.push_back(p);
    }
    ::closedir(proc);
    return found;
}

void waitFor(AdoptedProgram& program)
{
    if (program.ended)
        return;
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(program.pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done == program.pid)
        record(program, status);
    else
        program.ended = true;
}

} // namespace subhost
