// A count and its noun in agreement, as the hosts and tools print them:
// "1 page", "2 pages", "0 pages".
#pragma once

#include <string>
#include <string_view>

namespace subhost {

inline std::string counted(long long n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace subhost
