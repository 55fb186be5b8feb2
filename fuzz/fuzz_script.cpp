// The scripted user's script parser: any text is either refused with a
// ScriptError or read into steps whose script lines read back to the same
// steps.
#include "subhost/scriptuser.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<subhost::ScriptStep> steps;
    try {
        steps = subhost::parseScript(text, "fuzz.txt");
    } catch (const subhost::ScriptError&) {
        return 0;
    }
    std::string written;
    for (const subhost::ScriptStep& s : steps)
        written += subhost::stepText(s) + "\n";
    std::vector<subhost::ScriptStep> again;
    try {
        again = subhost::parseScript(written, "written.txt");
    } catch (const subhost::ScriptError&) {
        std::abort(); // a step's own line must read back
    }
    if (again.size() != steps.size())
        std::abort();
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (again[i].kind != steps[i].kind || again[i].control != steps[i].control || again[i].value != steps[i].value ||
            again[i].text != steps[i].text)
            std::abort();
    return 0;
}
