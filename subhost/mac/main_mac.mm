// folantra-host-mac: the substitute host as a GNUstep application, with the
// command line of folantra-host (subhost/cli.h). It loads the plug-in's
// bundle (XTensions/Folantra.xnt beside it), offers the host's callback
// registry, shows its print dialog and output-style editor as real windows
// with the plug-in's pane, and lets a script of user actions
// (docs/ui-script.md) drive every window through its real controls.
#include "subhost/mac/machost.h"

#include "subhost/cli.h"
#include "subhost/utf8.h"

#include <objc/runtime.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <iostream>
#include <string>
#include <vector>

using namespace subhost;

namespace {

// The plug-in's file inside a bundle (GNUstep's layout or a Mac's), or the
// path itself when it names a file.
std::string pluginBinary(const std::string& path, std::string& bundle)
{
    NSString* p = [NSString stringWithUTF8String:path.c_str()];
    BOOL folder = NO;
    if (p == nil || ![[NSFileManager defaultManager] fileExistsAtPath:p isDirectory:&folder] || !folder) {
        NSString* parent = [p stringByDeletingLastPathComponent];
        bundle = parent != nil && [[parent pathExtension] isEqualToString:@"xnt"] ? [parent UTF8String] : "";
        return path;
    }
    bundle = path;
    NSString* mac = [[p stringByAppendingPathComponent:@"Contents/MacOS"] stringByAppendingPathComponent:@"Folantra"];
    if ([[NSFileManager defaultManager] fileExistsAtPath:mac])
        return [mac UTF8String];
    return [[p stringByAppendingPathComponent:@"Folantra"] UTF8String];
}

// What the plug-in asked the shared workspace to open, and its answer: the
// plug-in starts the distiller with openFile:withApplication:, which answers
// NO when the workspace finds no such application.
struct WorkspaceOpen {
    std::string file, application;
    bool started = false;
};
std::vector<WorkspaceOpen> sOpened;
IMP sWorkspaceOpen = nullptr;

BOOL recordedOpen(id self, SEL command, NSString* file, NSString* application)
{
    using Open = BOOL (*)(id, SEL, NSString*, NSString*);
    BOOL started = reinterpret_cast<Open>(reinterpret_cast<void (*)()>(sWorkspaceOpen))(self, command, file,
                                                                                       application);
    const char* f = [file UTF8String];
    const char* a = [application UTF8String];
    sOpened.push_back({f != nullptr ? f : "", a != nullptr ? a : "", started == YES});
    return started;
}

// The toolkit of the GNUstep host: AppKit windows, the scripted user's timer
// (SubhostDriver) and the workspace that starts the distiller.
class AppKitToolkit : public HostToolkit {
public:
    const char* programName() const override { return "folantra-host-mac"; }
    std::string defaultPluginPath(const char* argv0) const override { return pluginBesideProgram(argv0); }

    void attach(Host& host, const std::vector<ScriptStep>& steps, std::ostream* narration) override
    {
        mHost = &host;
        // Everything the plug-in autoreleases goes before the host unloads it.
        mPool = [[NSAutoreleasePool alloc] init];
        // The user takes the steps and narrates once the command begins, as
        // on the headless toolkit; the host keeps every alert it answers.
        mSteps = steps;
        mNarration = narration;
        mDriver = [[SubhostDriver alloc] initWithHost:&host log:nullptr];
        // With FOLANTRA_SHOT_DIR a picture of each window as it first shows
        // (named with FOLANTRA_SHOT_PREFIX before the window's name).
        const char* shots = std::getenv("FOLANTRA_SHOT_DIR");
        const char* prefix = std::getenv("FOLANTRA_SHOT_PREFIX");
        if (shots != nullptr && shots[0] != '\0')
            [mDriver setScreenshots:[NSString stringWithUTF8String:asUtf8(shots).c_str()]
                             prefix:[NSString stringWithUTF8String:asUtf8(prefix != nullptr ? prefix : "").c_str()]];
        [mDriver start];
    }

    std::string pluginFile(const std::string& path) override
    {
        std::string bundle;
        std::string binary = pluginBinary(path, bundle);
        NSString* bundlePath = bundle.empty() ? nil : [NSString stringWithUTF8String:bundle.c_str()];
        [(QXPXTCallback*)[QXPXTCallback sharedCallback] setHost:mHost bundlePath:bundlePath];
        if (bundlePath != nil)
            [mDriver setBundlePath:bundlePath];
        return binary;
    }

    // The pane's selectors in the host's registry and the plug-in's resource
    // references.
    void describeStart(Host& host, Output& out) override
    {
        out << "registry selectors (code, priority, flags):\n";
        nlohmann::ordered_json selectors = nlohmann::ordered_json::array();
        NSArray* regs = [(QXPXTCallback*)[QXPXTCallback sharedCallback] registrations];
        for (NSUInteger i = 0; i < [regs count]; ++i) {
            SubhostRegistration* r = [regs objectAtIndex:i];
            std::string selector = NSStringFromSelector(r->selector).UTF8String;
            out << "  " << r->code << "\t" << r->priority << "\t" << r->flags << "\t" << selector << "\n";
            selectors.push_back(
                {{"code", r->code}, {"priority", r->priority}, {"flags", r->flags}, {"selector", selector}});
        }
        out.result["registry"] = selectors;
        for (const Event& e : host.events())
            if (e.what.rfind("resource", 0) == 0)
                out << e.what << " " << e.code << " " << e.value << " -> " << e.result << "\n";
    }

    void scriptBegins(Host&) override
    {
        [mDriver setLog:mNarration];
        [mDriver setSteps:mSteps];
    }
    bool runPrintDialog(Host& host) override { return runMacPrintDialog(host, mDriver); }
    bool runStyleEditor(Host& host, xtstyleref style) override { return runMacStyleEditor(host, mDriver, style); }
    const std::vector<std::string>& scriptErrors() const override { return [mDriver errors]; }
    bool scriptDone() const override { return [mDriver scriptDone]; }

    void watchDistillers() override
    {
        if (sWorkspaceOpen != nullptr)
            return;
        Method open = class_getInstanceMethod([[NSWorkspace sharedWorkspace] class],
                                              @selector(openFile:withApplication:));
        if (open != nullptr)
            sWorkspaceOpen =
                method_setImplementation(open, reinterpret_cast<IMP>(reinterpret_cast<void (*)()>(recordedOpen)));
    }

    // The workspace hands back no process: a distiller that started is left
    // to itself (as on Windows); one it could not start is reported.
    std::vector<AdoptedProgram> distillers(bool) override
    {
        std::vector<AdoptedProgram> programs;
        for (const WorkspaceOpen& o : sOpened)
            if (!o.started) {
                AdoptedProgram p;
                p.command = o.application;
                programs.push_back(p);
            }
        sOpened.clear();
        return programs;
    }

    std::string distillerNotStarted(const AdoptedProgram& program) const override
    {
        return "the workspace has no application \"" + program.command +
               "\" to open the PostScript file with (GNUstep looks in its Applications folders)";
    }

    void detach(Host& host) override
    {
        if (mPool == nil)
            return;
        host.sendQuit();
        [mDriver stop];
        [mDriver release];
        mDriver = nil;
        [mPool release];
        mPool = nil;
    }

private:
    Host* mHost = nullptr;
    NSAutoreleasePool* mPool = nil;
    SubhostDriver* mDriver = nil;
    std::vector<ScriptStep> mSteps;
    std::ostream* mNarration = nullptr;
};

// GNUstep copies the command line and the environment as it loads and dies
// on a text that is not UTF-8 ("Tried to init array with nil object"). The
// host then starts itself again with every such text made UTF-8 and, for
// itself, the texts as they were in kOriginal: its command line as given, and
// the environment's entries that GNUstep is not shown until it has started.
constexpr char kOriginal[] = "FOLANTRA_HOST_MAC_ORIGINAL";

std::string hexText(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string fromHex(const std::string& hex)
{
    auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
    return out;
}

// Starts the host again when GNUstep could not take its command line or
// environment; returns when it need not (or cannot: then GNUstep decides).
void restartForGNUstep(int argc, char** argv, char** envp)
{
    if (std::getenv(kOriginal) != nullptr)
        return;
    bool foreign = false;
    for (int i = 0; i < argc; ++i)
        foreign = foreign || !isUtf8(argv[i]);
    for (char** e = envp; e != nullptr && *e != nullptr; ++e)
        foreign = foreign || !isUtf8(*e);
    if (!foreign)
        return;
    std::vector<std::string> args, env;
    std::string original;
    for (int i = 0; i < argc; ++i) {
        args.push_back(asUtf8(argv[i]));
        original += std::string(original.empty() ? "" : ",") + "a" + hexText(argv[i]);
    }
    for (char** e = envp; e != nullptr && *e != nullptr; ++e) {
        if (isUtf8(*e))
            env.push_back(*e);
        else
            original += ",e" + hexText(*e);
    }
    env.push_back(std::string(kOriginal) + "=" + original);
    std::vector<char*> argp, envpp;
    for (std::string& a : args)
        argp.push_back(&a[0]);
    argp.push_back(nullptr);
    for (std::string& e : env)
        envpp.push_back(&e[0]);
    envpp.push_back(nullptr);
    execve("/proc/self/exe", argp.data(), envpp.data());
    std::cerr << "folantra-host-mac: cannot start again with its command line made UTF-8 for GNUstep: "
              << std::strerror(errno) << "\n";
}

// The command line as the user gave it (from kOriginal after a restart), and
// the environment entries to put back once GNUstep has started.
std::vector<std::string> originalArguments(int argc, char** argv, std::vector<std::string>& heldBack)
{
    std::vector<std::string> args(argv, argv + argc);
    const char* original = std::getenv(kOriginal);
    if (original == nullptr)
        return args;
    args.clear();
    std::string list = original;
    for (std::size_t at = 0; at < list.size();) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos)
            end = list.size();
        std::string item = list.substr(at, end - at);
        if (!item.empty())
            (item[0] == 'a' ? args : heldBack).push_back(fromHex(item.substr(1)));
        at = end + 1;
    }
    return args;
}

} // namespace

int main(int argc, char** argv, char** envp)
{
    restartForGNUstep(argc, argv, envp);
    std::vector<std::string> heldBack;
    std::vector<std::string> args = originalArguments(argc, argv, heldBack);
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    // GNUstep draws its own title bars: there is no window manager under Xvfb.
    [[NSUserDefaults standardUserDefaults]
        registerDefaults:[NSDictionary dictionaryWithObjectsAndKeys:@"NO", @"GSX11HandlesWindowDecorations", nil]];
    [SubhostApplication sharedApplication];
    // GNUstep has its copy: the environment becomes what it was.
    unsetenv(kOriginal);
    for (const std::string& entry : heldBack) {
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos && eq > 0)
            setenv(entry.substr(0, eq).c_str(), entry.c_str() + eq + 1, 1);
    }
    std::vector<char*> argp;
    for (std::string& a : args)
        argp.push_back(&a[0]);
    argp.push_back(nullptr);
    int status = 1;
    try {
        AppKitToolkit toolkit;
        status = runCommandLine(static_cast<int>(args.size()), argp.data(), toolkit);
    } catch (const std::exception& e) {
        std::cerr << "folantra-host-mac: " << e.what() << "\n";
    }
    std::cout.flush();
    [pool release];
    return status;
}
