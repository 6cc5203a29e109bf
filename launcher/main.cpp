// The program's entry point. The launcher links no C or C++ runtime: there is no DLL
// to ship beside it and none that a planted file could stand in for. So the linker
// enters here directly, and the process ends through ExitProcess.
#include <windows.h>

#include "launch.h"

extern "C" void WINAPI LauncherStart() {
  const launcher::SystemCalls windows = {
      GetModuleFileNameA, IsDBCSLeadByte, MultiByteToWideChar, CreateProcessA,
      WaitForSingleObject, CloseHandle, GetLastError,
  };
  ExitProcess(launcher::RunLauncher(windows));
}
