// The substitute hosts' command line: one definition of the commands and
// options of folantra-host (Linux and Windows) and folantra-host-mac
// (GNUstep), and one dispatch of them. Each host supplies what depends on
// its toolkit through a HostToolkit: its windows (the print dialog and the
// output-style editor), its scripted user, where its plug-in lies and how it
// learns of the distiller the plug-in starts.
//
// Exit codes: 0 success, 1 failure (a bad file, a refused plug-in, a job or a
// distiller that failed, a script that did not apply), 2 usage error.
#pragma once

#include "subhost/adopted.h"
#include "subhost/host.h"
#include "subhost/scriptuser.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

namespace subhost {

// What a command writes: lines for people, or one JSON result with --json.
struct Output {
    bool json = false;
    // The scripted commands write their JSON once, at their end, with what
    // the user saw; until then a failure is only recorded.
    bool deferred = false;
    nlohmann::ordered_json result = nlohmann::ordered_json::object();

    // A line for people (nothing in JSON mode).
    template <class T> Output& operator<<(const T& v)
    {
        if (!json)
            std::cout << v;
        return *this;
    }
    // A failure: on standard error, and in the JSON result.
    int fail(const std::string& message, int status = 1);
    // The end of a scripted command in JSON mode: the narration as lines, the
    // script's faults, and whether everything went as scripted.
    void finishScripted(const std::string& narration, const std::vector<std::string>& scriptErrors, bool stepsLeft,
                        bool ok);
    int done();
};

class HostToolkit {
public:
    virtual ~HostToolkit() = default;

    // The program's name in its help, its version and its messages.
    virtual const char* programName() const = 0;
    // The plug-in loaded without --plugin.
    virtual std::string defaultPluginPath(const char* argv0) const = 0;
    // The host is made and the plug-in not yet loaded: offer what the plug-in
    // binds besides the host's groups and start the scripted user, who takes
    // `steps` and narrates into `narration` (null: nowhere).
    virtual void attach(Host& host, const std::vector<ScriptStep>& steps, std::ostream* narration) = 0;
    // The file that is loaded for the plug-in named `path`.
    virtual std::string pluginFile(const std::string& path) { return path; }
    // What `info` adds about the plug-in's start in this toolkit.
    virtual void describeStart(Host&, Output&) {}
    // The command that the script is for begins.
    virtual void scriptBegins(Host&) {}
    // The print dialog of the current document and the output-style editor
    // of a style, with the plug-in's pane; true when confirmed.
    virtual bool runPrintDialog(Host& host) = 0;
    virtual bool runStyleEditor(Host& host, xtstyleref style) = 0;
    // The scripted user's part is over (it may be called more than once).
    virtual void finishScript() {}
    virtual const std::vector<std::string>& scriptErrors() const = 0;
    virtual bool scriptDone() const = 0;
    // A print job is coming: from now on the host learns of the distillers
    // the plug-in starts (by default they become the host's children).
    virtual void watchDistillers() { adoptOrphans(); }
    // The distillers the plug-in started, waited for with `wait`.
    virtual std::vector<AdoptedProgram> distillers(bool wait) { return adoptedPrograms(wait); }
    // Why `program` could not be started, for its message.
    virtual std::string distillerNotStarted(const AdoptedProgram& program) const = 0;
    // The host is about to go (the plug-in is still loaded).
    virtual void detach(Host&) {}
};

// The plug-in beside a program on a POSIX system: XTensions/Folantra.xnt
// beside it in a build folder, lib/folantra/XTensions/Folantra.xnt in an
// installed prefix (bin/ beside lib/).
std::string pluginBesideProgram(const char* argv0);

// Parses the command line, runs the command with `toolkit` and answers the
// exit code.
int runCommandLine(int argc, char** argv, HostToolkit& toolkit);

} // namespace subhost
