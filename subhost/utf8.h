// Texts that may not be UTF-8 (a style's name, a command-line argument), as
// the toolkits that take only UTF-8 can show them.
#pragma once

#include <string>

namespace subhost {

// Whether `bytes` are UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(const std::string& bytes);

// `bytes` with every byte that does not belong to a UTF-8 sequence replaced
// by U+FFFD (the rest as it is).
std::string asUtf8(const std::string& bytes);

} // namespace subhost
