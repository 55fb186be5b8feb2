// The substitute hosts' command line: the commands, their options and
// what each does, with the toolkit's parts from a HostToolkit.
#include "subhost/cli.h"

#include "folantra/version.h"
#include "subhost/counted.h"
#include "subhost/printjob.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace subhost {

namespace fs = std::filesystem;
using ojson = nlohmann::ordered_json;

namespace {

// The program's name in its messages.
std::string sProgram = "folantra-host";

// The JSON text of a result. Texts that are not UTF-8 (a style's name, a
// stored setting) are kept as they are on the lines for people; in JSON, which
// holds only Unicode, each such byte becomes U+FFFD.
std::string jsonText(const ojson& j) { return j.dump(2, ' ', false, ojson::error_handler_t::replace); }

} // namespace

int Output::fail(const std::string& message, int status)
{
    std::cerr << sProgram << ": " << message << "\n";
    if (json) {
        result["ok"] = false;
        result["error"] = message;
        if (!deferred)
            std::cout << jsonText(result) << "\n";
    }
    return status;
}

void Output::finishScripted(const std::string& narration, const std::vector<std::string>& scriptErrors,
                            bool stepsLeft, bool ok)
{
    if (!json)
        return;
    ojson lines = ojson::array();
    std::istringstream in(narration);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    result["narration"] = lines;
    result["scriptErrors"] = scriptErrors;
    result["stepsLeftOver"] = stepsLeft;
    result["ok"] = ok;
    std::cout << jsonText(result) << "\n";
}

int Output::done()
{
    if (json) {
        result["ok"] = true;
        std::cout << jsonText(result) << "\n";
    }
    return 0;
}

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char* const kCommands[] = {"info", "print", "dialog", "style-editor", "about", "language"};

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

std::string number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

// The number of single-letter edits that turn `a` into `b`.
std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// The first word on the command line that is neither an option nor an
// option's value: the command the user asked for ("" when there is none).
std::string commandWord(int argc, char** argv)
{
    static const char* const withValue[] = {"--plugin", "--language", "--pdf-module", "--refuse-setfile",
                                            "--bleed-module"};
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--")
            return i + 1 < argc ? argv[i + 1] : "";
        if (!a.empty() && a[0] == '-') {
            for (const char* o : withValue)
                if (a == o)
                    ++i;
            continue;
        }
        return a;
    }
    return std::string();
}

// A usage error for a word that is no command, with the nearest command.
int unknownCommand(const std::string& word)
{
    std::string list, nearest;
    std::size_t best = 3;
    for (const char* c : kCommands) {
        list += (list.empty() ? "" : ", ") + std::string(c);
        std::size_t d = editDistance(word, c);
        if (d < best) {
            best = d;
            nearest = c;
        }
    }
    std::cerr << sProgram << ": unknown command \"" << word << "\"";
    if (!nearest.empty())
        std::cerr << " (did you mean \"" << nearest << "\"?)";
    std::cerr << "\nThe commands are " << list << "; " << sProgram << " --help tells more.\n";
    return kUsage;
}

std::string callbackName(int32_t code)
{
    switch (code) {
    case XT_CB_QUIT: return "quit";
    case XT_CB_LANGUAGE: return "language changed";
    case XT_CB_ABOUT: return "about";
    case XT_CB_PSCOMMENT: return "DSC comments";
    case XT_CB_DOCSETUP: return "document setup";
    case XT_CB_PAGESCALE: return "page scale";
    case XT_CB_PAGESETUP: return "page setup";
    case XT_CB_PRINTDIALOG: return "print dialog opens";
    case XT_CB_JOBSTART: return "job start";
    case XT_CB_JOBEND: return "job end";
    case XT_CB_STYLEEDITOR: return "output-style editor opens";
    case XT_CB_STYLECHANGED: return "output style chosen";
    case XT_CB_PRINTDIALOGCLOSE: return "print dialog closes";
    case XT_CB_STYLEEDITORCLOSE: return "output-style editor closes";
    default: return "?";
    }
}

// ---- the plug-in's block, decoded ----

struct Setting {
    const char* key;
    const char* meaning;
    bool flag;
};

// The keys of the plug-in's block, in the order the pane shows them.
const Setting kSettings[] = {
    {"TrimBox", "CropBox, BleedBox and Folantra box grown by the bleed", true},
    {"PageBorder", "a 0.25 pt black border around each page", true},
    {"PrintToFile", "print into a PostScript file that the plug-in names", true},
    {"AskForName", "ask for the file's name when printing", true},
    {"Distill", "start the distiller on the finished file", true},
    {"Scale", "scale each page by ScX and ScY about its centre", true},
    {"Folder", "the PostScript file's folder (empty: the document's folder, or the desktop)", false},
    {"ScX", "horizontal scale (1 = 100 %)", false},
    {"ScY", "vertical scale (1 = 100 %)", false},
    {"Title", "document info: title", false},
    {"Author", "document info: author", false},
    {"Keywords", "document info: keywords", false},
};

// The key=value lines of the block's INI text (CR or LF line ends), in the
// order they are stored.
std::vector<std::pair<std::string, std::string>> blockEntries(const std::vector<uint8_t>& bytes)
{
    std::string text(bytes.begin(), bytes.end());
    std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    std::vector<std::pair<std::string, std::string>> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        std::size_t eq = line.find('=');
        if (line.empty() || line[0] == '[' || eq == std::string::npos)
            continue;
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

ojson settingsJson(const std::vector<uint8_t>& bytes)
{
    auto entries = blockEntries(bytes);
    ojson j = ojson::object();
    for (const Setting& s : kSettings)
        for (const auto& [k, v] : entries)
            if (k == s.key)
                j[k] = v;
    for (const auto& [k, v] : entries)
        if (!j.contains(k))
            j[k] = v;
    return j;
}

void describeSettings(const std::vector<uint8_t>& bytes)
{
    auto entries = blockEntries(bytes);
    std::cout << "Folantra settings in the document (block 'KDIC', " << counted(bytes.size(), "byte", "bytes")
              << "):\n";
    auto line = [](const std::string& key, const std::string& value, const std::string& meaning) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "  %-12s %-10s", key.c_str(), value.empty() ? "(empty)" : value.c_str());
        std::cout << buf << (value.size() > 10 ? "  " : "") << meaning << "\n";
    };
    for (const Setting& s : kSettings) {
        auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == s.key; });
        if (it == entries.end()) {
            line(s.key, "(missing)", s.meaning);
            continue;
        }
        std::string value = it->second;
        if (s.flag)
            value += value == "1" ? " (on)" : " (off)";
        line(s.key, value, s.meaning);
    }
    for (const auto& entry : entries) {
        const std::string& k = entry.first;
        if (std::none_of(std::begin(kSettings), std::end(kSettings), [&](const Setting& s) { return k == s.key; }))
            line(k, entry.second, "(not a key of the plug-in)");
    }
}

// ---- the document ----

std::string pagesText(int first, int count)
{
    if (count == 1)
        return "page " + std::to_string(first) + " (1 page)";
    return "pages " + std::to_string(first) + " to " + std::to_string(first + count - 1) + " (" +
           std::to_string(count) + " pages)";
}

std::string boxesText(std::size_t n)
{
    return n == 0 ? "no boxes" : n == 1 ? "1 box" : std::to_string(n) + " boxes";
}

void describeDocument(const Document& d)
{
    std::cout << "document:   " << d.name << (d.path ? " (" + *d.path + ")" : " (never saved)") << "\n";
    std::cout << "page size:  " << number(d.pageWidth) << " x " << number(d.pageHeight) << " pt, "
              << counted(d.pageCount(), "page", "pages") << " in " << counted(d.spreads.size(), "spread", "spreads")
              << "\n";
    int page = 1;
    for (std::size_t i = 0; i < d.spreads.size(); ++i) {
        const Spread& s = d.spreads[i];
        std::cout << "  spread " << i + 1 << ": " << pagesText(page, s.pages) << ", " << boxesText(s.boxes.size())
                  << "\n";
        page += s.pages;
    }
    const PrintSettings& p = d.print;
    std::cout << "print:      ";
    if (p.ranges) {
        std::string list;
        for (const PageRange& r : *p.ranges)
            list += (list.empty() ? "" : ", ") + std::to_string(r.first) +
                    (r.last != r.first ? "-" + std::to_string(r.last) : std::string());
        std::cout << "pages " << list;
    } else {
        std::cout << "every page";
    }
    if (p.wholeSpreads)
        std::cout << ", whole spreads";
    if (p.bleedBits & 0x600)
        std::cout << ", bleed " << number(p.bleedAmount + p.bleedOffset) << " pt";
    if (p.blankPages)
        std::cout << ", blank pages prepared";
    std::cout << "\n";
    bool ours = false;
    for (const auto& [code, bytes] : d.xtData) {
        if (code == XT_PLUGIN_ID) {
            ours = true;
            describeSettings(bytes);
        } else {
            std::cout << "XTension data '" << fourccText(code) << "': " << counted(bytes.size(), "byte", "bytes")
                      << "\n";
        }
    }
    if (!ours)
        std::cout << "Folantra settings: none stored in the document (the plug-in's defaults apply)\n";
}

ojson documentJson(const Document& d)
{
    ojson j;
    j["name"] = d.name;
    j["path"] = d.path ? ojson(*d.path) : ojson(nullptr);
    j["pageSize"] = {{"width", d.pageWidth}, {"height", d.pageHeight}};
    j["pages"] = d.pageCount();
    ojson spreads = ojson::array();
    int page = 1;
    for (const Spread& s : d.spreads) {
        spreads.push_back({{"firstPage", page}, {"lastPage", page + s.pages - 1}, {"boxes", s.boxes.size()}});
        page += s.pages;
    }
    j["spreads"] = spreads;
    auto it = d.xtData.find(XT_PLUGIN_ID);
    j["settings"] = it != d.xtData.end() ? settingsJson(it->second) : ojson(nullptr);
    ojson other = ojson::object();
    for (const auto& [code, bytes] : d.xtData)
        if (code != XT_PLUGIN_ID)
            other[fourccText(code)] = bytes.size();
    if (!other.empty())
        j["otherXTensionData"] = other;
    return j;
}

// ---- the plug-in ----

void collectMessages(Host& host, std::size_t from, Output& out)
{
    for (std::size_t i = from; i < host.messages().size(); ++i) {
        const MessageBoxRecord& m = host.messages()[i];
        out << "message box [" << m.title << "]: " << m.primary;
        if (!m.secondary.empty())
            out << " / " << m.secondary;
        out << "  -> " << (m.answer == 1 ? "OK" : "closed") << "\n";
        if (out.json) {
            if (!out.result.contains("messages"))
                out.result["messages"] = ojson::array();
            out.result["messages"].push_back({{"title", m.title}, {"text", m.primary}, {"detail", m.secondary}});
        }
    }
}

// Loads the plug-in; false (with a message) when it cannot be used.
bool startPlugin(Host& host, const std::string& path, bool verbose, Output& out, std::string& error)
{
    if (!host.load(path)) {
        error = host.error();
        return false;
    }
    if (verbose) {
        out << "plug-in:    " << path << "\n";
        out << "handshake:  " << (host.activateResult() == 0 ? "accepted" : "refused " + hex(host.activateResult()))
            << "\n";
        out.result["plugin"] = path;
        out.result["handshake"] = host.activateResult() == 0 ? "accepted" : "refused";
    }
    if (host.activateResult() != 0) {
        error = "the plug-in refused the host (" + hex(host.activateResult()) + ")";
        return false;
    }
    if (verbose) {
        out << "setup:      " << (host.setupResult() == 0 ? "done" : "failed " + hex(host.setupResult())) << "\n";
        out << "callbacks the plug-in registered (code, moment, priority, flags):\n";
        ojson callbacks = ojson::array();
        for (const Registration& r : host.registrations()) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "  %-4d %-26s priority %d, flags %d\n", r.code,
                          callbackName(r.code).c_str(), r.priority, r.flags);
            out << buf;
            callbacks.push_back(
                {{"code", r.code}, {"moment", callbackName(r.code)}, {"priority", r.priority}, {"flags", r.flags}});
        }
        out.result["setup"] = host.setupResult() == 0 ? "done" : "failed";
        out.result["callbacks"] = callbacks;
    }
    if (host.setupResult() != 0) {
        error = "the plug-in's setup failed (" + hex(host.setupResult()) + ")";
        return false;
    }
    return true;
}

// Reports the distillers the job started; with `wait`, waits for each. False
// when one could not be started or ended with a failure.
bool reportDistillers(HostToolkit& toolkit, bool wait, Output& out)
{
    bool good = true;
    ojson list = ojson::array();
    for (AdoptedProgram& p : toolkit.distillers(wait)) {
        ojson j = ojson::object();
        if (p.pid > 0) // a distiller the workspace started has no process of the host's
            j["pid"] = p.pid;
        if (!p.started) {
            std::string why = "the distiller could not be started: " + toolkit.distillerNotStarted(p);
            std::cerr << sProgram << ": " << why << "\n";
            j["started"] = false;
            j["error"] = why;
            good = false;
            list.push_back(j);
            continue;
        }
        j["started"] = true;
        j["command"] = p.command;
        if (wait && !p.ended) {
            out << "waiting for the distiller: " << p.command << "\n";
            std::cout.flush();
            waitFor(p);
        }
        if (!p.ended) {
            out << "the distiller runs on: " << p.command << " (--wait-distiller waits for it)\n";
        } else if (p.signal != 0) {
            std::cerr << sProgram << ": the distiller was ended by signal " << p.signal << ": " << p.command << "\n";
            j["signal"] = p.signal;
            good = false;
        } else {
            j["exitStatus"] = p.exitStatus;
            if (p.exitStatus == 0) {
                out << "the distiller finished (exit status 0): " << p.command << "\n";
            } else {
                std::cerr << sProgram << ": the distiller failed with exit status " << p.exitStatus << ": "
                          << p.command << "\n";
                good = false;
            }
        }
        list.push_back(j);
    }
    if (!list.empty())
        out.result["distiller"] = list;
    return good;
}

// Writes the job's PostScript into `outFile` when the plug-in did not send it
// to a file of its own. The status of the command.
int finishJob(const PrintReport& report, const std::string& outFile, const Document& doc, Output& out)
{
    out.result["pages"] = report.pagesWritten;
    if (!report.fileError.empty())
        return out.fail(report.fileError);
    if (report.temporaryBoxesLeft > 0)
        return out.fail("the plug-in left " + counted(report.temporaryBoxesLeft, "temporary box", "temporary boxes") +
                        " in the document after the job");
    if (!report.file.empty()) {
        out << "printed " << counted(report.pagesWritten, "page", "pages") << " of " << doc.name << " into "
            << report.file << " (the file the plug-in named)\n";
        out.result["file"] = report.file;
        out.result["fileNamedBy"] = "plug-in";
        return 0;
    }
    if (outFile.empty())
        return out.fail("the job went to no file: the document's settings do not print to a file, so give one "
                        "with -o");
    out << "printed " << counted(report.pagesWritten, "page", "pages") << " of " << doc.name << " into " << outFile
        << "\n";
    out.result["file"] = outFile;
    out.result["fileNamedBy"] = "host";
    return 0;
}

int saveAfter(Host& host, const std::string& saveFile, Output& out)
{
    if (saveFile.empty())
        return 0;
    try {
        saveDocument(*host.currentDocument(), saveFile);
    } catch (const std::exception& e) {
        return out.fail(e.what());
    }
    out << "saved the document into " << saveFile << "\n";
    out.result["saved"] = saveFile;
    return 0;
}

// The print dialog with the plug-in's pane, driven by a script of user
// actions; a confirmed dialog prints. 0 when everything went as scripted.
int runPrintDialogCommand(HostToolkit& toolkit, Host& host, const std::string& outFile, const std::string& saveFile,
                          bool wait, Output& out)
{
    bool confirmed = toolkit.runPrintDialog(host);
    out.result["document"] = host.currentDocument()->name;
    out.result["confirmed"] = confirmed;
    int status = 0;
    if (confirmed) {
        PrintReport report = printDocument(host, nullptr, outFile);
        const Document& doc = *host.currentDocument();
        if (report.file.empty() && report.fileError.empty() && outFile.empty()) {
            out << "printed " << counted(report.pagesWritten, "page", "pages")
                << " (the PostScript is not kept without -o)\n";
        } else {
            status = finishJob(report, outFile, doc, out);
        }
        if (!reportDistillers(toolkit, wait, out))
            status = kFailure;
    }
    // Nothing opens after the job: the scripted user's faults are all known.
    toolkit.finishScript();
    if (!toolkit.scriptErrors().empty()) {
        if (!saveFile.empty()) {
            out << "the document is not saved: the script failed\n";
            out.result["saved"] = nullptr;
        }
    } else if (saveAfter(host, saveFile, out) != 0) {
        status = kFailure;
    }
    return status;
}

// The output-style editor on one style, driven by a script; shows what the
// style holds afterwards and, with `saveFile`, writes the style file.
int runStyleEditorCommand(HostToolkit& toolkit, Host& host, xtstyleref ref, const std::string& saveFile,
                          Output& out)
{
    toolkit.runStyleEditor(host, ref);
    toolkit.finishScript();
    const OutputStyle* style = host.style(ref);
    auto node = style->nodes.find(XT_PLUGIN_ID);
    out << "style \"" << style->name << "\" holds: "
        << (node != style->nodes.end() ? node->second : std::string("no Folantra settings")) << "\n";
    out.result["style"] = style->name;
    out.result["holds"] = node != style->nodes.end() ? ojson(node->second) : ojson(nullptr);
    if (!saveFile.empty() && !toolkit.scriptErrors().empty()) {
        out << "the output styles are not saved: the script failed\n";
        out.result["saved"] = nullptr;
    } else if (!saveFile.empty()) {
        try {
            saveStyles(saveFile, host.styles());
        } catch (const std::exception& e) {
            return out.fail(e.what());
        }
        out << "saved the output styles into " << saveFile << "\n";
        out.result["saved"] = saveFile;
    }
    return 0;
}

xtstyleref findStyle(const std::vector<OutputStyle>& styles, const std::string& name)
{
    for (std::size_t i = 0; i < styles.size(); ++i)
        if (styles[i].name == name)
            return static_cast<xtstyleref>(i + 1);
    return 0;
}

} // namespace

std::string pluginBesideProgram(const char* argv0)
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = fs::absolute(argv0);
    // Beside the program in a build folder; lib/folantra/XTensions in an
    // installed prefix (bin/ beside lib/).
    fs::path beside = exe.parent_path() / "XTensions" / "Folantra.xnt";
    fs::path installed = exe.parent_path().parent_path() / "lib" / "folantra" / "XTensions" / "Folantra.xnt";
    if (!fs::exists(beside, ec) && fs::exists(installed, ec))
        return installed.string();
    return beside.string();
}

int runCommandLine(int argc, char** argv, HostToolkit& toolkit)
{
    sProgram = toolkit.programName();
    CLI::App app{sProgram + " " FOLANTRA_VERSION ": a substitute page-layout host that loads the Folantra plug-in, "
                            "holds documents and prints them through the plug-in's callbacks into PostScript.",
                 sProgram};
    app.require_subcommand(1);
    app.set_version_flag("--version", sProgram + " " FOLANTRA_VERSION);
    app.footer("Exit status: 0 success, 1 failure, 2 usage error.\n"
               "Documents are JSON (docs/document-format.md), output styles XML (docs/style-file.md), scripts of "
               "user actions text (docs/ui-script.md).");
    HostOptions options;
    std::string pluginPath = toolkit.defaultPluginPath(argv[0]);
    std::string pdfModule = "absent", bleedModule = "absent";
    int language = 2;
    app.add_option("--plugin", pluginPath, "The plug-in file to load (default: XTensions/Folantra.xnt beside this "
                                           "program, or lib/folantra/XTensions/Folantra.xnt in its prefix)");
    app.add_option("--language", language, "The host's language code at start-up (2 English, 3 German, 19 Swiss German)")
        ->check(CLI::Range(0, 32767));
    const std::string simulation = "Simulating the host's modules and faults";
    app.add_flag("--refuse-handshake", options.refuseHandshake, "Answer the plug-in's compatibility check with 0")
        ->group(simulation);
    app.add_option("--pdf-module", pdfModule, "The PDF module: absent, unbindable, present or stay-out (present and "
                                              "asking the plug-in to keep out of every job)")
        ->group(simulation);
    app.add_option("--refuse-setfile", options.setFileError, "Refuse the job's output file with this error code")
        ->check(CLI::Range(-32768, 32767))->group(simulation);
    app.add_option("--bleed-module", bleedModule, "The Bleed module: absent, unbindable or the bleed it reports in points")
        ->group(simulation);

    std::string docFile, outFile;
    bool json = false, wait = false;
    auto* info = app.add_subcommand("info", "Load the plug-in and show the handshake, the callbacks it registered and "
                                            "a document's pages, spreads and stored Folantra settings");
    info->add_option("document", docFile, "A document file (JSON, see docs/document-format.md)")->check(CLI::ExistingFile);
    info->add_flag("--json", json, "Write the result as JSON");

    auto* print = app.add_subcommand("print", "Print a document as the host's Print command does: through the print "
                                              "dialog, confirmed as it is, so the settings stored in the document "
                                              "take effect");
    print->add_option("document", docFile, "The document file (JSON)")->required()->check(CLI::ExistingFile);
    print->add_option("-o,--output", outFile, "The PostScript file to write when the job does not go to a file the "
                                              "plug-in names (missing folders are created)");
    bool noDialog = false;
    print->add_flag("--no-dialog", noDialog, "Print without the print dialog: the plug-in keeps the settings of the "
                                             "last confirmed dialog (none: its defaults) or of --style");
    std::string saveFile;
    print->add_option("--save", saveFile, "Save the document (with what the plug-in stored in it) into this file "
                                          "after printing");
    std::string styleFile, styleName;
    print->add_option("--styles", styleFile, "A style file (XML, see docs/style-file.md) with the host's print output "
                                            "styles")->check(CLI::ExistingFile);
    print->add_option("--style", styleName, "Choose this output style in the print dialog before printing")
        ->needs("--styles");
    print->add_flag("--wait-distiller", wait, "Wait for the distiller the plug-in starts and report how it ended");
    print->add_flag("--json", json, "Write the result as JSON");

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
    dialog->add_flag("--wait-distiller", wait, "Wait for the distiller the plug-in starts and report how it ended");
    dialog->add_flag("--json", json, "Write the result as JSON, with what the user saw as lines of narration");

    std::string editorStyle;
    auto* editor = app.add_subcommand("style-editor", "Edit an output style in the host's style editor with the "
                                                      "plug-in's pane, by a script of user actions");
    editor->add_option("--styles", dialogStyles, "The style file")->required()->check(CLI::ExistingFile);
    editor->add_option("--style", editorStyle, "The output style to edit")->required();
    editor->add_option("--script", scriptFile, "The user's actions (docs/ui-script.md)")->required()
        ->check(CLI::ExistingFile);
    editor->add_option("--save", saveFile, "Write the output styles afterwards into this file");
    editor->add_flag("--json", json, "Write the result as JSON, with what the user saw as lines of narration");

    bool noRecord = false;
    auto* about = app.add_subcommand("about", "Call the plug-in's about callback");
    about->add_flag("--no-record", noRecord, "Call it without an about record");

    int newLanguage = 3;
    auto* lang = app.add_subcommand("language", "Tell the plug-in that the host's language changed");
    lang->add_option("code", newLanguage, "The new language code")->required()->check(CLI::Range(0, 32767));

    std::string word = commandWord(argc, argv);
    if (!word.empty() && std::none_of(std::begin(kCommands), std::end(kCommands), [&](const char* c) { return word == c; }))
        return unknownCommand(word);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsage;
    }

    Output out;
    out.json = json;
    // The scripted user's narration: for people as it happens, or gathered
    // into the JSON result.
    std::ostringstream narration;
    std::ostream* narrationOut = json ? static_cast<std::ostream*>(&narration) : &std::cout;
    std::string error;
    if (!parseModule(pdfModule, options.pdf, true, error) || !parseModule(bleedModule, options.bleed, false, error))
        return out.fail(error, kUsage);
    options.language = static_cast<int16_t>(language);

    // Read every input before the plug-in starts, so a bad file changes nothing.
    Document doc;
    std::vector<ScriptStep> script;
    std::vector<OutputStyle> styles;
    try {
        if (!docFile.empty())
            doc = loadDocument(docFile);
        if (dialog->parsed() || editor->parsed())
            script = loadScript(scriptFile);
        if (!dialogStyles.empty())
            styles = loadStyles(dialogStyles);
        if (!styleFile.empty())
            styles = loadStyles(styleFile);
    } catch (const std::exception& e) {
        return out.fail(e.what());
    }
    xtstyleref chosenStyle = 0;
    if (editor->parsed() || !styleName.empty()) {
        const std::string& name = editor->parsed() ? editorStyle : styleName;
        chosenStyle = findStyle(styles, name);
        if (chosenStyle == 0)
            return out.fail((editor->parsed() ? dialogStyles : styleFile) + ": no output style named \"" + name + "\"");
    }

    // The host watches for the distiller the plug-in starts at the end of a
    // job, so it can report on it.
    if (print->parsed() || dialog->parsed())
        toolkit.watchDistillers();

    // The steps of a user who presses Print at once (in the chosen style).
    std::vector<ScriptStep> printSteps;
    if (chosenStyle != 0 && !editor->parsed()) {
        ScriptStep s;
        s.kind = ScriptStep::Kind::Style;
        s.text = styleName;
        printSteps.push_back(s);
    }
    ScriptStep pressOk;
    pressOk.kind = ScriptStep::Kind::Ok;
    printSteps.push_back(pressOk);

    Host host(options);
    // The scripted user takes the script, or acts as a user who presses
    // Print at once; it narrates the scripted commands.
    bool scripted = dialog->parsed() || editor->parsed();
    toolkit.attach(host,
                   scripted ? script : (print->parsed() && !noDialog ? printSteps : std::vector<ScriptStep>{}),
                   scripted ? narrationOut : nullptr);
    struct Detach {
        HostToolkit& toolkit;
        Host& host;
        ~Detach()
        {
            toolkit.finishScript();
            toolkit.detach(host);
        }
    } detach{toolkit, host};
    bool verbose = info->parsed();
    if (!startPlugin(host, toolkit.pluginFile(pluginPath), verbose, out, error))
        return out.fail(error);
    if (verbose)
        toolkit.describeStart(host, out);
    collectMessages(host, 0, out);
    std::size_t seen = host.messages().size();

    if (info->parsed()) {
        if (!docFile.empty()) {
            if (!json)
                describeDocument(doc);
            out.result["document"] = documentJson(doc);
        }
        return out.done();
    }
    if (about->parsed()) {
        uint8_t handled = 0;
        host.sendAbout(!noRecord, &handled);
        collectMessages(host, seen, out);
        if (!noRecord)
            out << "about record byte: " << int(handled) << "\n";
        return 0;
    }
    if (lang->parsed()) {
        host.sendLanguage(static_cast<int16_t>(newLanguage));
        out << "language " << newLanguage << " sent\n";
        return 0;
    }
    if (dialog->parsed() || editor->parsed()) {
        toolkit.scriptBegins(host);
        host.styles() = styles;
        out.deferred = true;
        int status = 0;
        try {
            if (dialog->parsed()) {
                host.openDocument(doc);
                status = runPrintDialogCommand(toolkit, host, outFile, saveFile, wait, out);
            } else {
                status = runStyleEditorCommand(toolkit, host, chosenStyle, saveFile, out);
            }
        } catch (const std::exception& e) {
            status = out.fail(e.what());
        }
        toolkit.finishScript();
        const std::vector<std::string>& errors = toolkit.scriptErrors();
        bool done = toolkit.scriptDone();
        for (const std::string& e : errors)
            std::cerr << sProgram << ": " << scriptFile << ": " << e << "\n";
        if (!done)
            std::cerr << sProgram << ": " << scriptFile << ": steps left over at the end\n";
        bool ok = status == 0 && errors.empty() && done;
        out.finishScripted(narration.str(), errors, !done, ok);
        return ok ? 0 : kFailure;
    }

    // print: as a user who opens the print dialog and presses Print at once,
    // unless --no-dialog asks for the job without it.
    host.openDocument(doc);
    host.styles() = styles;
    out.result["document"] = doc.name;
    out.result["printDialog"] = !noDialog;
    if (!styleName.empty())
        out.result["style"] = styleName;
    try {
        if (noDialog) {
            if (chosenStyle != 0)
                host.chooseStyle(chosenStyle);
        } else {
            toolkit.scriptBegins(host);
            if (!toolkit.runPrintDialog(host)) {
                collectMessages(host, seen, out);
                toolkit.finishScript();
                const std::vector<std::string>& errors = toolkit.scriptErrors();
                std::string why = errors.empty() ? "the print dialog was cancelled" : errors.front();
                return out.fail(why);
            }
        }
        collectMessages(host, seen, out);
        seen = host.messages().size();
        PrintReport report = printDocument(host, nullptr, outFile);
        collectMessages(host, seen, out);
        int status = finishJob(report, outFile, *host.currentDocument(), out);
        if (status != 0)
            return status;
        bool distilled = reportDistillers(toolkit, wait, out);
        if (saveAfter(host, saveFile, out) != 0)
            return kFailure;
        if (!distilled)
            return out.fail("the job was printed, but the distiller failed");
    } catch (const std::exception& e) {
        return out.fail(e.what());
    }
    return out.done();
}

} // namespace subhost
