// A substitute host that starts the plug-in's code linked into this test
// program, with a private home folder.
#pragma once

#include "subhost/host.h"

#include <memory>
#include <string>

namespace inprocess {

std::unique_ptr<subhost::Host> startedHost(subhost::HostOptions options = {});
subhost::Document document(const std::string& name = "Report.qxp");
std::string home();
std::string freshFolder(const std::string& name);

} // namespace inprocess
