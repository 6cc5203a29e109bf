// The launcher's one routine. It is written against a system that offers the Windows
// calls it needs, under their Windows names: the program passes the real ones
// (windows_system.h) and the tests pass recording fakes, so both run this same code.
#pragma once

#include <windows.h>

#include "batch_command.h"

namespace launcher {

// A failure must never read as success, even if the system left no error code.
inline DWORD FailureStatus(DWORD error) {
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// Starts Start.bat from the program's folder with its console window shown normally,
// waits until it has ended, and returns the exit status for the program: ERROR_SUCCESS
// once the batch's process has ended, otherwise the system's code for why nothing was
// started or waited for.
template <class System>
DWORD RunLauncher(System& system) {
  char moduleFileName[kModuleFileNameCapacity];
  const DWORD length = system.GetModuleFileNameA(nullptr, moduleFileName, kModuleFileNameCapacity);
  if (length == 0) return FailureStatus(system.GetLastError());
  // The name was cut short and may even lack its terminator; what is left of it could
  // name another folder's Start.bat.
  if (length > kPathMaxBytes) return ERROR_INSUFFICIENT_BUFFER;

  const DWORD folderLength = ProgramFolderLength(moduleFileName, length, [&](BYTE byte) {
    return system.IsDBCSLeadByte(byte) != FALSE;
  });
  // The path limit counts what the text becomes in UTF-16; 0 for an empty folder.
  const int folderCharacters = system.MultiByteToWideChar(
      CP_ACP, 0, moduleFileName, static_cast<int>(folderLength), nullptr, 0);

  char commandLine[kCommandLineCapacity];
  const DWORD built = BuildCommandLine(moduleFileName, folderLength,
                                       static_cast<DWORD>(folderCharacters), commandLine);
  if (built != ERROR_SUCCESS) return built;

  STARTUPINFOA startupInfo = {};
  startupInfo.cb = sizeof startupInfo;
  startupInfo.dwFlags = STARTF_USESHOWWINDOW;
  startupInfo.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  // For a batch file the system starts its command interpreter around the command line.
  if (!system.CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startupInfo, &process)) {
    return FailureStatus(system.GetLastError());
  }

  DWORD status = ERROR_SUCCESS;
  if (system.WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0) {
    status = FailureStatus(system.GetLastError());
  }
  system.CloseHandle(process.hThread);
  system.CloseHandle(process.hProcess);
  return status;
}

}  // namespace launcher
