// Shared helpers of the end-to-end tests: the real plug-in binary in the
// substitute host.
#pragma once

#include "subhost/host.h"
#include "subhost/printjob.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// A host with the plug-in loaded from the build's XTensions folder.
std::unique_ptr<subhost::Host> loadedHost(subhost::HostOptions options = {});
// A document of `pages` single-page spreads of A4, never saved.
subhost::Document simpleDocument(int pages = 1);
// A fresh empty folder for one test, removed with the test binary's temp dir.
std::string tempFolder(const std::string& name);
// The private home folder the tests run in.
std::string homeFolder();
// Writes or removes the plug-in's preferences file in the private home.
void writePreferences(const std::string& text);
void removePreferences();
// Gives the plug-in's system record these values, as a print output style
// chosen in the print dialog does ("TrimBox" = "1", "ScY" = "0.95", ...).
void applyOptions(subhost::Host& host, const std::map<std::string, std::string>& values);

// A document of `pages` pages whose plug-in block ('KDIC') holds the
// [Settings] section with `lines` (entries each ended by CR).
subhost::Document documentWith(const std::string& lines, int pages = 1);
// An output style named `name` whose plug-in node's element "Folantra" has
// `attributes` (XML text: TrimBox="1" ScX="0.5").
subhost::OutputStyle styleWith(const std::string& attributes, const std::string& name = "Hostile");
// The current document's plug-in block as text, "<none>" without one.
std::string blockOf(subhost::Host& host);

// The host's temporary files (".fo" + eight characters + ".tmp") left in
// `dir`; none once a write is over, whether it succeeded or failed.
std::vector<std::string> temporaryFilesIn(const std::string& dir);

// How a program run through the shell ended: its exit status (-1 when a
// signal ended it) and what it wrote to standard output and standard error.
struct Outcome {
    int status;
    std::string output;
};
// Runs `commandLine` through the shell with standard error joined to the output.
Outcome runCommand(const std::string& commandLine);

} // namespace e2e
