// Writing the host's files without ever leaving a half-written one.
#pragma once

#include <string>

namespace subhost {

// Writes `text` into a file beside `path`, which then replaces `path`; on a
// failure the old file stays as it was. A missing folder on the way is
// created. Throws std::runtime_error naming the file and the system's reason.
void writeFileAtomically(const std::string& path, const std::string& text);

// Creates the folder that holds `path` (and the folders above it) when it is
// missing. Throws std::runtime_error naming the folder and the reason when it
// cannot be created or a file of that name is in the way.
void createParentFolder(const std::string& path);

} // namespace subhost
