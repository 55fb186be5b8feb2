// The pane's scale fields over arbitrary text: what the pane takes is always
// a finite factor from 0 to 10 (0 to 1000 %) and never a negative zero; a
// plain number reads as the C library reads it (',' as '.'); and the text the
// pane then shows reads back to a factor that shows as the same text and
// stays the same from then on (confirming the pane again changes nothing).
#include "ui/optionspane.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// "[blanks][sign]digits[(.|,)digits]" with at most 15 digits in all: a
// number strtod reads exactly as it is written.
bool plainNumber(const std::string& text, std::string* number)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::string n;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        n += text[i++];
    int digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        n += text[i];
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        n += '.';
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
            n += text[i];
    }
    if (digits == 0 || digits > 15)
        return false;
    *number = n;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));

    float read = parseScale(text.c_str());
    std::string number;
    if (plainNumber(text, &number)) {
        double expected = std::strtod(number.c_str(), nullptr) / 100.0;
        if (std::fabs(static_cast<double>(read) - expected) > 1e-6 * std::fabs(expected) + 1e-30)
            std::abort();
    }

    const float unset = 12345.0f;
    float factor = unset;
    bool accepted = acceptScale(text.c_str(), &factor);
    if (accepted != scaleInPaneRange(read))
        std::abort();
    if (!accepted) {
        if (factor != unset)
            std::abort(); // a refused text leaves the value alone
        return 0;
    }
    if (!std::isfinite(factor) || factor < 0.0f || factor > 10.0f || std::signbit(factor) || factor != read)
        std::abort();

    // Round trip through what the field shows.
    std::string shown = formatScale(factor);
    if (shown.empty() || shown[0] == '-' || shown.size() > 7 || shown.find_first_not_of("0123456789.") != std::string::npos)
        std::abort();
    float again = unset;
    if (!acceptScale(shown.c_str(), &again))
        std::abort();
    if (std::fabs(static_cast<double>(again) - static_cast<double>(factor)) > 0.00005 + 1e-6)
        std::abort();
    if (formatScale(again) != shown)
        std::abort();
    float third = unset;
    if (!acceptScale(formatScale(again).c_str(), &third) || third != again)
        std::abort();
    return 0;
}
