// Writing the host's files without ever leaving a half-written one.
#pragma once

#include <string>

namespace subhost {

// Writes `text` into a file beside `path`, which then replaces `path`; on a
// failure the old file stays as it was. Throws std::runtime_error.
void writeFileAtomically(const std::string& path, const std::string& text);

} // namespace subhost
