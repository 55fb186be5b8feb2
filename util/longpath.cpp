#include "util/longpath.h"

#include <vector>

namespace {

bool isSep(char c) { return c == '\\' || c == '/'; }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// UTF-16 units of a UTF-8 text: one per character, two for those beyond
// U+FFFF (four-byte sequences).
std::size_t utf16Length(const std::string& s)
{
    std::size_t n = 0;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80)
            n += c >= 0xF0 ? 2 : 1;
    }
    return n;
}

// The components of `rest`, with "." dropped and ".." taking back the one
// before it (nothing before the first).
std::vector<std::string> components(const std::string& rest)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && isSep(rest[i]))
            ++i;
        std::size_t end = i;
        while (end < rest.size() && !isSep(rest[end]))
            ++end;
        std::string part = rest.substr(i, end - i);
        i = end;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    return parts;
}

std::string joined(std::string head, const std::vector<std::string>& parts)
{
    if (parts.empty())
        return head + '\\'; // the root itself
    for (const std::string& p : parts) {
        head += '\\';
        head += p;
    }
    return head;
}

} // namespace

std::string toLongPathForm(const std::string& path)
{
    if (path.size() >= 4 && path[0] == '\\' && path[1] == '\\' && (path[2] == '?' || path[2] == '.') && path[3] == '\\')
        return path; // already a device or long form
    if (utf16Length(path) < kPlainPathLimit)
        return path;
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && isSep(path[2])) {
        std::string drive = path.substr(0, 2);
        return joined("\\\\?\\" + drive, components(path.substr(3)));
    }
    if (path.size() >= 3 && isSep(path[0]) && isSep(path[1]) && !isSep(path[2])) {
        // \\server\share\...: the server and the share stay.
        std::size_t i = 2;
        std::size_t end = i;
        while (end < path.size() && !isSep(path[end]))
            ++end;
        std::string server = path.substr(i, end - i);
        i = end;
        while (i < path.size() && isSep(path[i]))
            ++i;
        end = i;
        while (end < path.size() && !isSep(path[end]))
            ++end;
        std::string share = path.substr(i, end - i);
        if (server == "?" || server == "." || share.empty() || share == "." || share == "..")
            return path; // no network path the long form could name
        return joined("\\\\?\\UNC\\" + server + "\\" + share, components(path.substr(end)));
    }
    return path; // relative: the system resolves it, within MAX_PATH
}
