// folantra-host: the substitute host on the command line.
#include "subhost/headless.h"
#include "subhost/host.h"
#include "subhost/printjob.h"

#include <CLI/CLI.hpp>

#if defined(_WIN32)
#include "subhost/win/winhost.h"

#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace subhost;

namespace {

std::string defaultPluginPath(const char* argv0)
{
#if defined(_WIN32)
    (void)argv0;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / "XTensions" / "Folantra.xnt").u8string();
#else
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = fs::absolute(argv0);
    return (exe.parent_path() / "XTensions" / "Folantra.xnt").string();
#endif
}

// The host's print dialog and style editor: real windows on Windows, the
// headless window system elsewhere.
bool showPrintDialog(Host& host)
{
#if defined(_WIN32)
    return win::runPrintDialog(host);
#else
    return host.headless().runPrintDialog();
#endif
}

bool showStyleEditor(Host& host, xtstyleref ref)
{
#if defined(_WIN32)
    return win::runStyleEditor(host, ref);
#else
    return host.headless().runStyleEditor(ref);
#endif
}

bool parseModule(const std::string& text, ModuleConfig& m, bool pdf, std::string& error)
{
    if (text == "absent") {
        m.state = ModuleState::Absent;
    } else if (text == "unbindable") {
        m.state = ModuleState::Unbindable;
    } else if (pdf && (text == "present" || text == "stay-out")) {
        m.state = ModuleState::Present;
        m.stayOut = text == "stay-out";
    } else if (!pdf) {
        try {
            std::size_t used = 0;
            m.bleed = std::stod(text, &used);
            if (used != text.size() || m.bleed < 0 || m.bleed > 1000)
                throw std::invalid_argument(text);
            m.state = ModuleState::Present;
        } catch (const std::exception&) {
            error = "--bleed-module: expected absent, unbindable or a bleed in points (0 to 1000), not " + text;
            return false;
        }
    } else {
        error = "--pdf-module: expected absent, unbindable, present or stay-out, not " + text;
        return false;
    }
    return true;
}

std::string hex(int32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

void printMessages(Host& host, std::size_t from)
{
    for (std::size_t i = from; i < host.messages().size(); ++i) {
        const MessageBoxRecord& m = host.messages()[i];
        std::cout << "message box [" << m.title << "]: " << m.primary;
        if (!m.secondary.empty())
            std::cout << " / " << m.secondary;
        std::cout << "  -> " << (m.answer == 1 ? "OK" : "closed") << "\n";
    }
}

// Loads the plug-in; false (with a message) when it cannot be used.
bool startPlugin(Host& host, const std::string& path, bool verbose)
{
    if (!host.load(path)) {
        std::cerr << "folantra-host: " << host.error() << "\n";
        return false;
    }
    if (verbose) {
        std::cout << "plug-in:    " << path << "\n";
        std::cout << "handshake:  " << (host.activateResult() == 0 ? "accepted" : "refused " + hex(host.activateResult()))
                  << "\n";
    }
    if (host.activateResult() != 0) {
        if (!verbose)
            std::cerr << "folantra-host: the plug-in refused the host (" << hex(host.activateResult()) << ")\n";
        return false;
    }
    if (verbose) {
        std::cout << "setup:      " << (host.setupResult() == 0 ? "done" : "failed " + hex(host.setupResult())) << "\n";
        std::cout << "registered callbacks (code, priority, flags):\n";
        for (const Registration& r : host.registrations())
            std::cout << "  " << r.code << "\t" << r.priority << "\t" << r.flags << "\n";
    }
    return host.setupResult() == 0;
}

void describeDocument(const Document& d)
{
    std::cout << "document:   " << d.name << (d.path ? " (" + *d.path + ")" : " (never saved)") << "\n";
    std::cout << "page size:  " << d.pageWidth << " x " << d.pageHeight << " pt, " << d.pageCount() << " pages in "
              << d.spreads.size() << " spreads\n";
    int page = 1;
    for (std::size_t i = 0; i < d.spreads.size(); ++i) {
        const Spread& s = d.spreads[i];
        std::cout << "  spread " << i + 1 << ": pages " << page;
        if (s.pages > 1)
            std::cout << "-" << page + s.pages - 1;
        std::cout << ", " << s.boxes.size() << " boxes\n";
        page += s.pages;
    }
    for (const auto& [code, bytes] : d.xtData)
        std::cout << "  XTension data '" << fourccText(code) << "': " << bytes.size() << " bytes\n";
}

// The print dialog with the plug-in's pane, driven by a script of user
// actions; a confirmed dialog prints. 0 when everything went as scripted.
int runPrintDialogCommand(Host& host, const std::string& outFile, const std::string& saveFile)
{
    bool confirmed = showPrintDialog(host);
    int status = 0;
    if (confirmed) {
        std::string ps;
        PrintReport report = printDocument(host, ps);
        if (!report.fileError.empty()) {
            std::cerr << "folantra-host: " << report.fileError << "\n";
            status = 1;
        } else if (!report.file.empty()) {
            std::cout << "printed " << report.pagesWritten << " pages into " << report.file << " (the plug-in's file)\n";
        } else if (!outFile.empty()) {
            writeFileAtomically(outFile, ps);
            std::cout << "printed " << report.pagesWritten << " pages into " << outFile << "\n";
        } else {
            std::cout << "printed " << report.pagesWritten << " pages (the PostScript is not kept without -o)\n";
        }
    }
    if (!saveFile.empty()) {
        saveDocument(*host.currentDocument(), saveFile);
        std::cout << "saved the document into " << saveFile << "\n";
    }
    return status;
}

// The output-style editor on one style, driven by a script; shows what the
// style holds afterwards and, with `saveFile`, writes the style file.
int runStyleEditorCommand(Host& host, xtstyleref ref, const std::string& saveFile)
{
    showStyleEditor(host, ref);
    const OutputStyle* style = host.style(ref);
    auto node = style->nodes.find(XT_PLUGIN_ID);
    std::cout << "style \"" << style->name << "\" holds: "
              << (node != style->nodes.end() ? node->second : std::string("no Folantra settings")) << "\n";
    if (!saveFile.empty()) {
        saveStyles(saveFile, host.styles());
        std::cout << "saved the output styles into " << saveFile << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"folantra-host: a substitute page-layout host that loads the Folantra plug-in, holds documents and "
                 "prints them through the plug-in's callbacks into PostScript."};
    app.require_subcommand(1);
    HostOptions options;
    std::string pluginPath = defaultPluginPath(argv[0]);
    std::string pdfModule = "absent", bleedModule = "absent";
    int language = 2;
    app.add_option("--plugin", pluginPath, "The plug-in file to load (default: XTensions/Folantra.xnt beside this program)");
    app.add_option("--language", language, "The host's language code at start-up (2 English, 3 German, 19 Swiss German)")
        ->check(CLI::Range(0, 32767));
    app.add_flag("--refuse-handshake", options.refuseHandshake, "Answer the plug-in's compatibility check with 0");
    app.add_option("--pdf-module", pdfModule, "The PDF module: absent, unbindable, present or stay-out (present and "
                                              "asking the plug-in to keep out of every job)");
    app.add_option("--refuse-setfile", options.setFileError, "Refuse the job's output file with this error code")
        ->check(CLI::Range(-32768, 32767));
    app.add_option("--bleed-module", bleedModule, "The Bleed module: absent, unbindable or the bleed it reports in points");

    std::string docFile, outFile;
    auto* info = app.add_subcommand("info", "Load the plug-in and show the handshake, its registrations and a document's "
                                            "pages and spreads");
    info->add_option("document", docFile, "A document file (JSON, see docs/document-format.md)")->check(CLI::ExistingFile);

    auto* print = app.add_subcommand("print", "Print a document through the plug-in into a PostScript file");
    print->add_option("document", docFile, "The document file (JSON)")->required()->check(CLI::ExistingFile);
    print->add_option("-o,--output", outFile, "The PostScript file to write (a job the plug-in sends to a file of "
                                              "its own goes there instead)");
    std::string saveFile;
    print->add_option("--save", saveFile, "Save the document (with what the plug-in stored in it) into this file "
                                          "after printing");
    std::string styleFile, styleName;
    print->add_option("--styles", styleFile, "A style file (XML, see docs/style-file.md) with the host's print output "
                                            "styles")->check(CLI::ExistingFile);
    print->add_option("--style", styleName, "Choose this output style in the print dialog before printing")
        ->needs("--styles");

    std::string scriptFile, dialogStyles;
    auto* dialog = app.add_subcommand("dialog", "Open a document's print dialog with the plug-in's pane and act on it "
                                                "with a script of user actions (docs/ui-script.md); a confirmed "
                                                "dialog prints");
    dialog->add_option("document", docFile, "The document file (JSON)")->required()->check(CLI::ExistingFile);
    dialog->add_option("--script", scriptFile, "The user's actions (docs/ui-script.md)")->required()
        ->check(CLI::ExistingFile);
    dialog->add_option("--styles", dialogStyles, "A style file whose output styles the print dialog offers")
        ->check(CLI::ExistingFile);
    dialog->add_option("-o,--output", outFile, "The PostScript file of the job (unless the plug-in sends the job to "
                                               "a file of its own)");
    dialog->add_option("--save", saveFile, "Save the document afterwards into this file");

    std::string editorStyle;
    auto* editor = app.add_subcommand("style-editor", "Edit an output style in the host's style editor with the "
                                                      "plug-in's pane, by a script of user actions");
    editor->add_option("--styles", dialogStyles, "The style file")->required()->check(CLI::ExistingFile);
    editor->add_option("--style", editorStyle, "The output style to edit")->required();
    editor->add_option("--script", scriptFile, "The user's actions (docs/ui-script.md)")->required()
        ->check(CLI::ExistingFile);
    editor->add_option("--save", saveFile, "Write the output styles afterwards into this file");

    bool noRecord = false;
    auto* about = app.add_subcommand("about", "Call the plug-in's about callback");
    about->add_flag("--no-record", noRecord, "Call it without an about record");

    int newLanguage = 3;
    auto* lang = app.add_subcommand("language", "Tell the plug-in that the host's language changed");
    lang->add_option("code", newLanguage, "The new language code")->required()->check(CLI::Range(0, 32767));

    CLI11_PARSE(app, argc, argv);

    std::string error;
    if (!parseModule(pdfModule, options.pdf, true, error) || !parseModule(bleedModule, options.bleed, false, error)) {
        std::cerr << "folantra-host: " << error << "\n";
        return 2;
    }
    options.language = static_cast<int16_t>(language);

    // Read the document before anything else, so a bad file changes nothing.
    Document doc;
    if (!docFile.empty()) {
        try {
            doc = loadDocument(docFile);
        } catch (const DocumentError& e) {
            std::cerr << "folantra-host: " << e.what() << "\n";
            return 1;
        }
    }

    // Read the script and the styles of the dialogs before the plug-in starts.
    std::vector<ScriptStep> script;
    std::vector<OutputStyle> uiStyles;
    if (dialog->parsed() || editor->parsed()) {
        try {
            script = loadScript(scriptFile);
            if (!dialogStyles.empty())
                uiStyles = loadStyles(dialogStyles);
        } catch (const std::exception& e) {
            std::cerr << "folantra-host: " << e.what() << "\n";
            return 1;
        }
    }
    xtstyleref editorRef = 0;
    if (editor->parsed()) {
        for (std::size_t i = 0; i < uiStyles.size(); ++i)
            if (uiStyles[i].name == editorStyle)
                editorRef = static_cast<xtstyleref>(i + 1);
        if (editorRef == 0) {
            std::cerr << "folantra-host: " << dialogStyles << ": no output style named \"" << editorStyle << "\"\n";
            return 1;
        }
    }

    Host host(options);
#if defined(_WIN32)
    win::install(host);
    // On Windows the user acts on real windows from a second thread; without
    // a script it answers message boxes with OK and closes what the plug-in
    // opens.
    const char* shots = std::getenv("FOLANTRA_SHOT_DIR");
    win::ScriptedUser user(dialog->parsed() || editor->parsed() ? script : std::vector<ScriptStep>{}, &std::cout,
                           shots != nullptr ? shots : "");
    user.start();
    struct Finish {
        win::ScriptedUser& u;
        ~Finish() { u.finish(); }
    } finishUser{user};
#endif
    bool verbose = info->parsed() || about->parsed() || lang->parsed();
    if (!startPlugin(host, pluginPath, verbose))
        return 1;
    printMessages(host, 0);
    std::size_t seen = host.messages().size();

    if (info->parsed()) {
        if (!docFile.empty())
            describeDocument(doc);
        return 0;
    }
    if (about->parsed()) {
        uint8_t handled = 0;
        host.sendAbout(!noRecord, &handled);
        printMessages(host, seen);
        if (!noRecord)
            std::cout << "about record byte: " << int(handled) << "\n";
        return 0;
    }
    if (lang->parsed()) {
        host.sendLanguage(static_cast<int16_t>(newLanguage));
        std::cout << "language " << newLanguage << " sent\n";
        return 0;
    }
    if (dialog->parsed() || editor->parsed()) {
        Headless& ui = host.headless();
        ui.setLog(&std::cout);
        ui.setScript(script);
        host.styles() = uiStyles;
        int status = 0;
        try {
            if (dialog->parsed()) {
                host.openDocument(doc);
                status = runPrintDialogCommand(host, outFile, saveFile);
            } else {
                status = runStyleEditorCommand(host, editorRef, saveFile);
            }
        } catch (const std::exception& e) {
            std::cerr << "folantra-host: " << e.what() << "\n";
            return 1;
        }
#if defined(_WIN32)
        user.finish();
        const std::vector<std::string>& errors = user.errors();
        bool done = user.scriptDone();
#else
        const std::vector<std::string>& errors = ui.errors();
        bool done = ui.scriptDone();
#endif
        for (const std::string& e : errors)
            std::cerr << "folantra-host: " << scriptFile << ": " << e << "\n";
        if (!done)
            std::cerr << "folantra-host: " << scriptFile << ": steps left over at the end\n";
        return status != 0 || !errors.empty() || !done ? 1 : 0;
    }
    // print
    host.openDocument(doc);
    if (!styleFile.empty()) {
        try {
            host.styles() = loadStyles(styleFile);
        } catch (const StyleError& e) {
            std::cerr << "folantra-host: " << e.what() << "\n";
            return 1;
        }
    }
    if (!styleName.empty()) {
        xtstyleref ref = 0;
        for (std::size_t i = 0; i < host.styles().size(); ++i)
            if (host.styles()[i].name == styleName)
                ref = static_cast<xtstyleref>(i + 1);
        if (ref == 0) {
            std::cerr << "folantra-host: " << styleFile << ": no output style named \"" << styleName << "\"\n";
            return 1;
        }
        host.chooseStyle(ref);
        printMessages(host, seen);
        seen = host.messages().size();
    }
    std::string ps;
    try {
        PrintReport report = printDocument(host, ps);
        printMessages(host, seen);
        if (!report.fileError.empty()) {
            std::cerr << "folantra-host: " << report.fileError << "\n";
            return 1;
        }
        if (!report.file.empty()) {
            std::cout << "printed " << report.pagesWritten << " pages of " << doc.name << " into " << report.file
                      << " (the plug-in's file)\n";
        } else if (!outFile.empty()) {
            writeFileAtomically(outFile, ps);
            std::cout << "printed " << report.pagesWritten << " pages of " << doc.name << " into " << outFile << "\n";
        } else {
            std::cerr << "folantra-host: the job went to no file: give one with -o\n";
            return 1;
        }
        if (!saveFile.empty()) {
            saveDocument(*host.currentDocument(), saveFile);
            std::cout << "saved the document into " << saveFile << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "folantra-host: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
