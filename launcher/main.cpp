// The program's entry point. The launcher links no C or C++ runtime: there is no DLL
// to ship beside it and none that a planted file could stand in for. So the linker
// enters here directly, and the process ends through ExitProcess.
#include <windows.h>

#include "launch.h"
#include "windows_system.h"

extern "C" void WINAPI LauncherStart() {
  launcher::WindowsSystem windows;
  ExitProcess(launcher::RunLauncher(windows));
}
