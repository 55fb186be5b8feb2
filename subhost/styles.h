// The substitute host's print output styles: a name, a kind code and, per
// XTension code, an XML node of XTension data. Kept in a style file (XML,
// described in docs/style-file.md).
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace subhost {

struct StyleError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct OutputStyle {
    std::string name;
    uint32_t kind = 0x52545058; // 'RTPX': print
    // The XTension data of each code: the XML text of one element, the node's
    // element, as the host stores it.
    std::map<uint32_t, std::string> nodes;
};

std::vector<OutputStyle> loadStyles(const std::string& file);
std::vector<OutputStyle> parseStyles(const std::string& xml, const std::string& fileName);
std::string stylesToXml(const std::vector<OutputStyle>& styles);
// Writes aside and then replaces the file, so a failed write loses nothing.
void saveStyles(const std::string& file, const std::vector<OutputStyle>& styles);

} // namespace subhost
