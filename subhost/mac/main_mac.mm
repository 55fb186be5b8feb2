// folantra-host-mac: the substitute host as a GNUstep application. It loads
// the plug-in's bundle (XTensions/Folantra.xnt beside it), offers the host's
// callback registry, shows its print dialog and output-style editor as real
// windows with the plug-in's pane, and lets a script of user actions
// (docs/ui-script.md) drive every window through its real controls.
#include "subhost/mac/machost.h"

#include "subhost/counted.h"
#include "subhost/document.h"
#include "subhost/fileio.h"
#include "subhost/printjob.h"
#include "subhost/styles.h"

#include "folantra/version.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

using namespace subhost;

namespace {

const char kUsage[] =
    "usage: folantra-host-mac [options] COMMAND\n"
    "  info                               the handshake and the registrations\n"
    "  print DOC -o OUT [--style NAME]     print a document (JSON) into PostScript\n"
    "  dialog DOC --script S [-o OUT] [--save F]\n"
    "                                     the print dialog with the plug-in's pane, driven by a script\n"
    "  style-editor --style NAME --script S [--save F]\n"
    "                                     the output-style editor of a style of --styles\n"
    "  about                              the plug-in's about box\n"
    "options: --plugin BUNDLE  --language N  --refuse-setfile N  --styles F  --screenshots DIR  --shot-prefix P\n"
    "         --help  --version\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

std::string hex(int32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

// The plug-in's file inside a bundle (GNUstep's layout or a Mac's), or the
// path itself when it names a file.
std::string pluginBinary(const std::string& path, std::string& bundle)
{
    NSString* p = [NSString stringWithUTF8String:path.c_str()];
    BOOL folder = NO;
    if (![[NSFileManager defaultManager] fileExistsAtPath:p isDirectory:&folder] || !folder) {
        NSString* parent = [p stringByDeletingLastPathComponent];
        bundle = [[parent pathExtension] isEqualToString:@"xnt"] ? [parent UTF8String] : "";
        return path;
    }
    bundle = path;
    NSString* mac = [[p stringByAppendingPathComponent:@"Contents/MacOS"] stringByAppendingPathComponent:@"Folantra"];
    if ([[NSFileManager defaultManager] fileExistsAtPath:mac])
        return [mac UTF8String];
    return [[p stringByAppendingPathComponent:@"Folantra"] UTF8String];
}

int printInto(Host& host, const std::string& outFile)
{
    std::string ps;
    PrintReport report = printDocument(host, ps);
    const std::string& name = host.currentDocument()->name;
    if (!report.fileError.empty()) {
        std::cerr << "folantra-host-mac: " << report.fileError << "\n";
        return 1;
    }
    if (!report.file.empty()) {
        std::cout << "printed " << subhost::counted(report.pagesWritten, "page", "pages") << " of " << name << " into "
                  << report.file << " (the file the plug-in named)\n";
    } else if (!outFile.empty()) {
        writeFileAtomically(outFile, ps);
        std::cout << "printed " << subhost::counted(report.pagesWritten, "page", "pages") << " of " << name << " into "
                  << outFile << "\n";
    } else {
        std::cout << "printed " << subhost::counted(report.pagesWritten, "page", "pages")
                  << " (the PostScript is not kept without -o)\n";
    }
    return 0;
}

int run(int argc, char** argv)
{
    std::map<std::string, std::string> opts;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << "folantra-host-mac " FOLANTRA_VERSION ": the substitute host as a GNUstep application\n" << kUsage;
            return 0;
        }
        if (a == "--version") {
            std::cout << "folantra-host-mac " FOLANTRA_VERSION "\n";
            return 0;
        }
        if (a.rfind("-GS", 0) == 0 || a.rfind("-NS", 0) == 0) {
            ++i; // GNUstep's own defaults
        } else if (a.rfind("--", 0) == 0 || a == "-o") {
            if (i + 1 >= argc) {
                std::cerr << "folantra-host-mac: " << a << " needs a value\n" << kUsage;
                return 2;
            }
            opts[a == "-o" ? "--output" : a] = argv[++i];
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = words[0];
    auto opt = [&](const char* name) { auto it = opts.find(name); return it != opts.end() ? it->second : std::string(); };

    HostOptions options;
    if (!opt("--language").empty())
        options.language = static_cast<int16_t>(std::atoi(opt("--language").c_str()));
    if (!opt("--refuse-setfile").empty())
        options.setFileError = std::atoi(opt("--refuse-setfile").c_str());

    std::string pluginPath = opt("--plugin");
    if (pluginPath.empty())
        pluginPath = std::string([[[[NSBundle mainBundle] executablePath] stringByDeletingLastPathComponent] UTF8String]) +
                     "/XTensions/Folantra.xnt";
    std::string bundle;
    std::string binary = pluginBinary(pluginPath, bundle);

    Document doc;
    std::vector<OutputStyle> styles;
    std::vector<ScriptStep> script;
    try {
        if ((command == "print" || command == "dialog") && words.size() > 1)
            doc = loadDocument(words[1]);
        if (!opt("--styles").empty())
            styles = loadStyles(opt("--styles"));
        if (!opt("--script").empty())
            script = loadScript(opt("--script"));
    } catch (const std::exception& e) {
        std::cerr << "folantra-host-mac: " << e.what() << "\n";
        return 1;
    }

    Host host(options);
    // Everything the plug-in autoreleases goes before the host unloads it.
    struct Pool {
        NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
        ~Pool() { [pool release]; }
    } pluginPool;
    QXPXTCallback* registry = (QXPXTCallback*)[QXPXTCallback sharedCallback];
    [registry setHost:&host bundlePath:bundle.empty() ? nil : [NSString stringWithUTF8String:bundle.c_str()]];
    SubhostDriver* driver = [[[SubhostDriver alloc] initWithHost:&host log:&std::cout] autorelease];
    [driver setSteps:script];
    if (!bundle.empty())
        [driver setBundlePath:[NSString stringWithUTF8String:bundle.c_str()]];
    if (!opt("--screenshots").empty())
        [driver setScreenshots:[NSString stringWithUTF8String:opt("--screenshots").c_str()]
                        prefix:[NSString stringWithUTF8String:opt("--shot-prefix").c_str()]];
    [driver start];

    if (!host.load(binary)) {
        std::cerr << "folantra-host-mac: " << host.error() << "\n";
        return 1;
    }
    if (host.activateResult() != 0 || host.setupResult() != 0) {
        std::cerr << "folantra-host-mac: the plug-in refused the host (" << hex(host.activateResult()) << ", "
                  << hex(host.setupResult()) << ")\n";
        return 1;
    }
    host.styles() = styles;
    int status = 0;
    if (command == "info") {
        std::cout << "plug-in:    " << binary << "\n";
        std::cout << "handshake:  accepted\nsetup:      done\n";
        std::cout << "registered callbacks (code, priority, flags):\n";
        for (const Registration& r : host.registrations())
            std::cout << "  " << r.code << "\t" << r.priority << "\t" << r.flags << "\n";
        std::cout << "registry selectors (code, priority, flags):\n";
        NSArray* regs = [registry registrations];
        for (NSUInteger i = 0; i < [regs count]; ++i) {
            SubhostRegistration* r = [regs objectAtIndex:i];
            std::cout << "  " << r->code << "\t" << r->priority << "\t" << r->flags << "\t"
                      << NSStringFromSelector(r->selector).UTF8String << "\n";
        }
        for (const Event& e : host.events())
            if (e.what.rfind("resource", 0) == 0)
                std::cout << e.what << " " << e.code << " " << e.value << " -> " << e.result << "\n";
    } else if (command == "about") {
        uint8_t handled = 0;
        host.sendAbout(true, &handled);
        std::cout << "about record byte: " << int(handled) << "\n";
    } else if (command == "print") {
        host.openDocument(doc);
        if (!opt("--style").empty()) {
            xtstyleref ref = 0;
            for (std::size_t i = 0; i < host.styles().size(); ++i)
                if (host.styles()[i].name == opt("--style"))
                    ref = static_cast<xtstyleref>(i + 1);
            if (ref == 0) {
                std::cerr << "folantra-host-mac: no output style named \"" << opt("--style") << "\"\n";
                return 1;
            }
            host.chooseStyle(ref);
        }
        status = printInto(host, opt("--output"));
    } else if (command == "dialog") {
        host.openDocument(doc);
        bool confirmed = runMacPrintDialog(host, driver);
        if (confirmed)
            status = printInto(host, opt("--output"));
        // A script that failed leaves the document as it was on disk.
        if (!opt("--save").empty() && ![driver errors].empty()) {
            std::cout << "the document is not saved: the script failed\n";
        } else if (!opt("--save").empty()) {
            saveDocument(*host.currentDocument(), opt("--save"));
            std::cout << "saved the document into " << opt("--save") << "\n";
        }
    } else if (command == "style-editor") {
        xtstyleref ref = 0;
        for (std::size_t i = 0; i < host.styles().size(); ++i)
            if (host.styles()[i].name == opt("--style"))
                ref = static_cast<xtstyleref>(i + 1);
        if (ref == 0) {
            std::cerr << "folantra-host-mac: no output style named \"" << opt("--style") << "\"\n";
            return 1;
        }
        runMacStyleEditor(host, driver, ref);
        const OutputStyle* style = host.style(ref);
        auto node = style->nodes.find(XT_PLUGIN_ID);
        std::cout << "style \"" << style->name << "\" holds: "
                  << (node != style->nodes.end() ? node->second : std::string("no Folantra settings")) << "\n";
        if (!opt("--save").empty() && ![driver errors].empty()) {
            std::cout << "the output styles are not saved: the script failed\n";
        } else if (!opt("--save").empty()) {
            saveStyles(opt("--save"), host.styles());
            std::cout << "saved the output styles into " << opt("--save") << "\n";
        }
    } else {
        std::cerr << "folantra-host-mac: unknown command " << command << "\n" << kUsage;
        return 2;
    }
    host.sendQuit();
    [driver stop];
    for (const std::string& e : [driver errors])
        std::cerr << "folantra-host-mac: " << opt("--script") << ": " << e << "\n";
    if (![driver scriptDone]) {
        std::cerr << "folantra-host-mac: " << opt("--script") << ": steps left over at the end\n";
        status = 1;
    }
    return status != 0 || ![driver errors].empty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    // GNUstep draws its own title bars: there is no window manager under Xvfb.
    [[NSUserDefaults standardUserDefaults]
        registerDefaults:[NSDictionary dictionaryWithObjectsAndKeys:@"NO", @"GSX11HandlesWindowDecorations", nil]];
    [SubhostApplication sharedApplication];
    int status = 1;
    try {
        status = run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "folantra-host-mac: " << e.what() << "\n";
    }
    std::cout.flush();
    [pool release];
    return status;
}
