// Files, folders and processes for tests that run the built programs under Wine.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e {

// A program built beside the test program, such as L"launcher.exe".
std::wstring BuiltProgram(const wchar_t* name);

// A fresh folder under the temporary folder, removed with all it holds at the end.
class Workspace {
 public:
  Workspace();
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::wstring& root() const { return root_; }
  // Makes the folder root\relative, and any folders above it.
  std::wstring MakeFolder(const std::wstring& relative) const;

 private:
  std::wstring root_;
};

// A copy of the built launcher, with the probe beside it, in workspace\folder, which it
// makes; returns that folder.
std::wstring PlaceLauncher(const Workspace& workspace, const std::wstring& folder);

// A batch file's text: the lines after "@echo off", each ended as the command
// interpreter expects.
std::string Batch(std::initializer_list<const char*> lines);

// Paths are taken whole, with the "\\?\" prefix, so that they may exceed MAX_PATH.
void WriteTextFile(const std::wstring& path, const std::string& text);
std::string ReadTextFile(const std::wstring& path);
bool Exists(const std::wstring& path);
void CopyBuiltProgram(const wchar_t* name, const std::wstring& destination);

// Waits until the file exists; false if it has not appeared in time.
bool WaitForFile(const std::wstring& path, DWORD milliseconds);

// A started process, terminated at the end if it is still running.
class Process {
 public:
  Process(const std::wstring& program, const std::wstring& arguments,
          const std::wstring& currentDirectory);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // True once the process has ended; false if it still runs after the given time.
  bool WaitForExit(DWORD milliseconds) const;
  DWORD ExitCode() const;
  // Ends the process at once, as Task Manager would.
  bool Kill() const;

 private:
  PROCESS_INFORMATION info_ = {};
};

// The processes now running whose program file is called `name`, such as L"cmd.exe".
int CountProcesses(const wchar_t* name);

// Long enough for Wine to start a program; a run that takes longer has hung.
constexpr DWORD kPatience = 60 * 1000;

}  // namespace e2e
