#include "launch.h"

#include "batch_command.h"

namespace launcher {

namespace {

// A failure must never read as success, even if the system left no error code.
DWORD FailureStatus(DWORD error) { return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE; }

}  // namespace

DWORD RunLauncher(const SystemCalls& system) {
  char moduleFileName[kModuleFileNameCapacity];
  const DWORD length = system.getModuleFileName(nullptr, moduleFileName, kModuleFileNameCapacity);
  if (length == 0) return FailureStatus(system.getLastError());
  // The name was truncated and may even lack its terminator; what is left of it could
  // name another folder's Start.bat.
  if (length >= kModuleFileNameCapacity) return ERROR_INSUFFICIENT_BUFFER;

  const DWORD folderLength = ProgramFolderLength(moduleFileName, length, system.isLeadByte);
  // The path limit counts what the text becomes in UTF-16; 0 for an empty folder.
  const int folderCharacters =
      system.multiByteToWideChar(CP_ACP, 0, moduleFileName, static_cast<int>(folderLength),
                                 nullptr, 0);

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
  if (!system.createProcess(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startupInfo, &process)) {
    return FailureStatus(system.getLastError());
  }

  DWORD status = ERROR_SUCCESS;
  if (system.waitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0) {
    status = FailureStatus(system.getLastError());
  }
  system.closeHandle(process.hThread);
  system.closeHandle(process.hProcess);
  return status;
}

}  // namespace launcher
