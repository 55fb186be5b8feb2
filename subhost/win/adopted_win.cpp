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

// What ShellExecuteExW does for the plug-in, with the process kept for the
// host (and handed on too when the plug-in asked for it).
BOOL WINAPI watchedShellExecuteEx(SHELLEXECUTEINFOW* info)
{
    if (info == nullptr || info->cbSize < sizeof *info)
        return ShellExecuteExW(info);
    const bool callerKeeps = (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
    info->fMask |= SEE_MASK_NOCLOSEPROCESS;
    BOOL done = ShellExecuteExW(info);
    DWORD err = done ? 0 : GetLastError();
    if (!callerKeeps)
        info->fMask &= ~static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS);
    const std::string file = win::narrow(info->lpFile != nullptr ? info->lpFile : L"");
    Start s;
    s.program.command = file;
    if (info->lpParameters != nullptr && info->lpParameters[0] != L'\0')
        s.program.command += " " + win::narrow(info->lpParameters);
    s.program.started = done != FALSE && reinterpret_cast<INT_PTR>(info->hInstApp) > 32;
    if (s.program.started && info->hProcess != nullptr) {
        if (!callerKeeps) {
            s.process = info->hProcess;
            info->hProcess = nullptr;
        } else if (!DuplicateHandle(GetCurrentProcess(), info->hProcess, GetCurrentProcess(), &s.process, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS)) {
            s.process = nullptr;
        }
    }
    if (s.process != nullptr) {
        s.program.pid = static_cast<int>(GetProcessId(s.process));
    } else if (s.program.started) {
        s.program.ended = true; // handed to a program that was running already
        s.program.exitStatus = 0;
    } else {
        s.program.ended = true;
        s.program.error = "\"" + file + "\" is not found or cannot be run (the shell's error " +
                          std::to_string(err != 0 ? err : static_cast<DWORD>(reinterpret_cast<INT_PTR>(info->hInstApp))) +
                          ")";
    }
    {
        std::lock_guard<std::mutex> lock(sLock);
        sStarts.push_back(s);
    }
    SetLastError(err);
    return done;
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
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "ShellExecuteExW") != 0)
                continue;
            DWORD was = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&watchedShellExecuteEx);
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
    // The plug-in tries the distiller by name, then where an installed Acrobat
    // registers it: a failed try is reported only when no try started, as one
    // failure naming each program tried.
    std::vector<AdoptedProgram> found;
    AdoptedProgram failed;
    for (Start& s : starts) {
        if (!s.program.started) {
            failed.error += (failed.error.empty() ? "" : "; nor ") + s.program.error;
            failed.command = s.program.command;
            continue;
        }
        record(s, 0);
        if (s.process != nullptr)
            sRunning[s.program.pid] = s.process;
        found.push_back(s.program);
    }
    if (found.empty() && !failed.error.empty()) {
        failed.ended = true;
        found.push_back(failed);
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
