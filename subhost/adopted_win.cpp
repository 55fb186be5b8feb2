// The programs the plug-in starts on Windows: it starts them through the
// shell, which the host watches (win/shellstart.h), so every start is known,
// whether it failed, and the process it made.
#include "subhost/adopted.h"

#include "subhost/win/shellstart.h"
#include "subhost/win/winread.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
#include <mutex>

namespace subhost {

namespace {

struct Start {
    AdoptedProgram program;
    HANDLE process = nullptr; // null when the start failed or the shell made no process of its own
};

std::mutex sLock;
std::vector<Start> sStarts;       // not yet reported
std::map<int, HANDLE> sRunning;   // reported while running, by process id

HINSTANCE WINAPI watchedShellExecute(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                     INT show)
{
    // What ShellExecuteW does, with the process kept.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = window;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = show;
    BOOL done = ShellExecuteExW(&info);
    DWORD err = done ? 0 : GetLastError();
    Start s;
    s.program.command = win::narrow(file != nullptr ? file : L"");
    if (parameters != nullptr && parameters[0] != L'\0')
        s.program.command += " " + win::narrow(parameters);
    s.program.started = done != FALSE;
    if (done && info.hProcess != nullptr) {
        s.process = info.hProcess;
        s.program.pid = static_cast<int>(GetProcessId(info.hProcess));
    } else if (done) {
        s.program.ended = true; // handed to a program that was running already
        s.program.exitStatus = 0;
    } else {
        s.program.ended = true;
        s.program.error = "\"" + win::narrow(file != nullptr ? file : L"") +
                          "\" is not found or cannot be run (the shell's error " + std::to_string(err) + ")";
    }
    {
        std::lock_guard<std::mutex> lock(sLock);
        sStarts.push_back(s);
    }
    SetLastError(err);
    return info.hInstApp;
}

void record(Start& s, DWORD waitMs)
{
    if (s.process == nullptr || s.program.ended)
        return;
    if (WaitForSingleObject(s.process, waitMs) != WAIT_OBJECT_0)
        return;
    DWORD code = 0;
    GetExitCodeProcess(s.process, &code);
    s.program.ended = true;
    s.program.exitStatus = static_cast<int>(code);
    CloseHandle(s.process);
    s.process = nullptr;
}

} // namespace

namespace win {

bool watchShellStarts(void* module)
{
    auto* base = static_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return false;
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name != 0; ++imp) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), "shell32.dll") != 0 ||
            imp->OriginalFirstThunk == 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "ShellExecuteW") != 0)
                continue;
            DWORD was = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&watchedShellExecute);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
            return true;
        }
    }
    return false;
}

} // namespace win

// The shell starts are watched from the plug-in's loading on.
bool adoptOrphans() { return true; }

std::vector<AdoptedProgram> adoptedPrograms(bool)
{
    std::vector<Start> starts;
    {
        std::lock_guard<std::mutex> lock(sLock);
        starts.swap(sStarts);
    }
    std::vector<AdoptedProgram> found;
    for (Start& s : starts) {
        record(s, 0);
        if (s.process != nullptr)
            sRunning[s.program.pid] = s.process;
        found.push_back(s.program);
    }
    return found;
}

void waitFor(AdoptedProgram& program)
{
    auto it = sRunning.find(program.pid);
    if (program.ended || it == sRunning.end()) {
        program.ended = true;
        return;
    }
    Start s;
    s.program = program;
    s.process = it->second;
    sRunning.erase(it);
    record(s, INFINITE);
    program = s.program;
}

} // namespace subhost
