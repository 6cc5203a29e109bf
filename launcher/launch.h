// The launcher's one routine, written against a table of the system calls it makes, so
// that the shipped program passes the real ones and the tests pass recording fakes.
#pragma once

#include <windows.h>

namespace launcher {

struct SystemCalls {
  decltype(&GetModuleFileNameA) getModuleFileName;
  decltype(&IsDBCSLeadByte) isLeadByte;
  decltype(&MultiByteToWideChar) multiByteToWideChar;
  decltype(&CreateProcessA) createProcess;
  decltype(&WaitForSingleObject) waitForSingleObject;
  decltype(&CloseHandle) closeHandle;
  decltype(&GetLastError) getLastError;
};

// Starts Start.bat from the program's folder with its console window shown normally,
// waits until it has ended, and returns the exit status for the program: ERROR_SUCCESS
// once the batch's process has ended, otherwise the system's code for why nothing was
// started or waited for.
DWORD RunLauncher(const SystemCalls& system);

}  // namespace launcher
