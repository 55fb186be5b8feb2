// The programs the plug-in starts and leaves running (the distiller): the
// host adopts them, so that it can tell whether they started and how they
// ended. On Windows the shell starts it, and the host watches the plug-in's
// calls to the shell instead (win/shellstart.h).
#pragma once

#include <string>
#include <vector>

namespace subhost {

struct AdoptedProgram {
    int pid = 0;
    std::string command;  // its command line, words separated by blanks ("" when it never started)
    bool started = false; // the program replaced the forked copy of the host
    bool ended = false;
    int exitStatus = -1;  // when it ended by exiting
    int signal = 0;       // when a signal ended it
    std::string error;    // why it could not be started, when the system told ("" otherwise)
};

// Makes this process the parent of every orphan among its descendants (a
// child subreaper), so a program started through a fork that left at once
// becomes the host's child. False when the system refuses.
bool adoptOrphans();

// The host's children as they are now: each is reaped when it has ended. A
// child still running as a copy of the host waits for the program it started
// and ends as the program did (127 when it could not start it); it is waited
// for when `wait` asks or when it has no program running (it leaves at once).
std::vector<AdoptedProgram> adoptedPrograms(bool wait = false);

// Waits until the program has ended and fills in how.
void waitFor(AdoptedProgram& program);

} // namespace subhost
