// The programs the plug-in starts through the shell (the distiller): the host
// stands in for ShellExecuteExW in the plug-in's import table and makes the
// same start with the process kept, so that adoptedPrograms() can tell
// whether the start failed and how the program ended, as the Linux host tells
// from the programs it adopts.
#pragma once

namespace subhost::win {

// Watches the shell starts of the loaded module `module` (an HMODULE). False
// when the module imports no ShellExecuteExW.
bool watchShellStarts(void* module);

} // namespace subhost::win
