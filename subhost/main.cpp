// folantra-host: the substitute host on the command line (subhost/cli.h),
// with the headless window system on Linux and real windows on Windows.
#include "subhost/cli.h"
#include "subhost/headless.h"

#if defined(_WIN32)
#include "subhost/win/winhost.h"

#include <windows.h>

#include <filesystem>
#include <memory>
#endif

#include <cstdlib>

using namespace subhost;

namespace {

#if defined(_WIN32)

// On Windows the user acts on real windows from a second thread; without a
// script it answers message boxes with OK and closes what the plug-in opens.
// It narrates what happens for the scripted commands, as the headless window
// system does. The shell starts the distiller; the host watches the
// plug-in's calls to the shell (win/shellstart.h) to report on it.
class WindowsToolkit : public HostToolkit {
public:
    const char* programName() const override { return "folantra-host"; }
    std::string defaultPluginPath(const char*) const override
    {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return (std::filesystem::path(self).parent_path() / "XTensions" / "Folantra.xnt").u8string();
    }
    void attach(Host& host, const std::vector<ScriptStep>& steps, std::ostream* narration) override
    {
        win::install(host);
        const char* shots = std::getenv("FOLANTRA_SHOT_DIR");
        mUser = std::make_unique<win::ScriptedUser>(steps, narration, shots != nullptr ? shots : "");
        mUser->start();
    }
    bool runPrintDialog(Host& host) override { return win::runPrintDialog(host); }
    bool runStyleEditor(Host& host, xtstyleref ref) override { return win::runStyleEditor(host, ref); }
    void finishScript() override
    {
        if (mUser)
            mUser->finish();
    }
    const std::vector<std::string>& scriptErrors() const override { return mUser->errors(); }
    bool scriptDone() const override { return mUser->scriptDone(); }
    std::string distillerNotStarted(const AdoptedProgram& program) const override
    {
        return program.error.empty() ? "Acrobat Distiller is not found or cannot be run" : program.error;
    }

private:
    std::unique_ptr<win::ScriptedUser> mUser;
};
using Toolkit = WindowsToolkit;

#else

// The program the plug-in starts as the distiller (the rule of its Linux
// build): FOLANTRA_DISTILLER, else ps2pdf.
std::string distillerProgram()
{
    const char* site = std::getenv("FOLANTRA_DISTILLER");
    return site != nullptr && site[0] != '\0' ? site : "ps2pdf";
}

// The headless window system: the scripted user takes its steps when the
// command begins; the distiller becomes the host's child.
class HeadlessToolkit : public HostToolkit {
public:
    const char* programName() const override { return "folantra-host"; }
    std::string defaultPluginPath(const char* argv0) const override { return pluginBesideProgram(argv0); }
    void attach(Host& host, const std::vector<ScriptStep>& steps, std::ostream* narration) override
    {
        mHost = &host;
        mSteps = steps;
        mNarration = narration;
    }
    void scriptBegins(Host& host) override
    {
        if (mNarration != nullptr)
            host.headless().setLog(mNarration);
        host.headless().setScript(mSteps);
    }
    bool runPrintDialog(Host& host) override { return host.headless().runPrintDialog(); }
    bool runStyleEditor(Host& host, xtstyleref ref) override { return host.headless().runStyleEditor(ref); }
    const std::vector<std::string>& scriptErrors() const override { return mHost->headless().errors(); }
    bool scriptDone() const override { return mHost->headless().scriptDone(); }
    std::vector<AdoptedProgram> distillers(bool wait) override
    {
        std::vector<AdoptedProgram> programs = adoptedPrograms(wait);
        for (AdoptedProgram& p : programs)
            if (p.started && p.command.empty()) // it ended before its command line could be read
                p.command = distillerProgram();
        return programs;
    }
    std::string distillerNotStarted(const AdoptedProgram&) const override
    {
        return distillerProgram() + " is not found or cannot be run (FOLANTRA_DISTILLER names another program)";
    }

private:
    Host* mHost = nullptr;
    std::vector<ScriptStep> mSteps;
    std::ostream* mNarration = nullptr;
};
using Toolkit = HeadlessToolkit;

#endif

} // namespace

int main(int argc, char** argv)
{
#if defined(_WIN32)
    win::Utf8Arguments utf8(argc, argv);
#endif
    Toolkit toolkit;
    return runCommandLine(argc, argv, toolkit);
}
