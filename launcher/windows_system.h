// The system that the program hands to RunLauncher: every call goes straight to Windows.
#pragma once

#include <windows.h>

namespace launcher {

struct WindowsSystem {
  DWORD GetModuleFileNameA(HMODULE module, LPSTR name, DWORD capacity) {
    return ::GetModuleFileNameA(module, name, capacity);
  }
  BOOL IsDBCSLeadByte(BYTE byte) { return ::IsDBCSLeadByte(byte); }
  int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide,
                          int wideCapacity) {
    return ::MultiByteToWideChar(codePage, flags, text, length, wide, wideCapacity);
  }
  BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                      LPSECURITY_ATTRIBUTES processAttributes,
                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                      DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                      LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION process) {
    return ::CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                            inheritHandles, creationFlags, environment, currentDirectory,
                            startupInfo, process);
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return ::WaitForSingleObject(handle, milliseconds);
  }
  BOOL CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
  DWORD GetLastError() { return ::GetLastError(); }
};

}  // namespace launcher
