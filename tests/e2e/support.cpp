#include "support.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "built_launcher.h"

#include <algorithm>
#include <vector>

namespace e2e {

namespace {

std::wstring Whole(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(Whole(folder + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(Whole(path).c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(Whole(folder).c_str());
}

}  // namespace

std::wstring BuiltProgram(const wchar_t* name) {
  std::vector<wchar_t> self(32768);
  const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  return FolderOf(std::wstring(self.data(), length)) + L"\\" + name;
}

Workspace::Workspace() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  static int made = 0;
  root_ = std::wstring(temp, length) + L"launcher-test-" + std::to_wstring(GetCurrentProcessId()) +
          L"-" + std::to_wstring(++made);
  RemoveTree(root_);
  if (!CreateDirectoryW(Whole(root_).c_str(), nullptr)) {
    ADD_FAILURE() << "cannot make the workspace, error " << GetLastError();
  }
}

Workspace::~Workspace() { RemoveTree(root_); }

std::wstring Workspace::MakeFolder(const std::wstring& relative) const {
  std::wstring path = root_;
  size_t start = 0;
  while (start <= relative.size()) {
    const size_t end = std::min(relative.find(L'\\', start), relative.size());
    path += L"\\" + relative.substr(start, end - start);
    if (!CreateDirectoryW(Whole(path).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot make a folder, error " << GetLastError();
    }
    start = end + 1;
  }
  return path;
}

std::wstring PlaceLauncher(const Workspace& workspace, const std::wstring& folder) {
  const std::wstring path = workspace.MakeFolder(folder);
  CopyBuiltProgram(kLauncherFileName, path + L"\\launcher.exe");
  CopyBuiltProgram(L"probe.exe", path + L"\\probe.exe");
  return path;
}

std::string Batch(std::initializer_list<const char*> lines) {
  std::string text = "@echo off\r\n";
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

void WriteTextFile(const std::wstring& path, const std::string& text) {
  const HANDLE file = CreateFileW(Whole(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write a file, error " << GetLastError();
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && written == text.size());
}

std::string ReadTextFile(const std::wstring& path) {
  const HANDLE file = CreateFileW(Whole(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(Whole(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyBuiltProgram(const wchar_t* name, const std::wstring& destination) {
  ASSERT_TRUE(CopyFileW(Whole(BuiltProgram(name)).c_str(), Whole(destination).c_str(), FALSE))
      << "cannot copy a program, error " << GetLastError();
}

bool WaitForFile(const std::wstring& path, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!Exists(path)) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
  return true;
}

Process::Process(const std::wstring& program, const std::wstring& arguments,
                 const std::wstring& currentDirectory) {
  std::wstring commandLine = L"\"" + program + L"\"" + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  // Detached, as from Explorer: Wine would otherwise hand the test's own console down,
  // and the batch would get no console window of its own.
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS, nullptr, currentDirectory.c_str(), &startup, &info_)) {
    ADD_FAILURE() << "cannot start a program, error " << GetLastError();
    info_ = {};
  }
}

Process::~Process() {
  if (info_.hProcess == nullptr) return;
  if (!WaitForExit(0)) TerminateProcess(info_.hProcess, 1);
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::WaitForExit(DWORD milliseconds) const {
  return info_.hProcess != nullptr &&
         WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess != nullptr) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool Process::Kill() const {
  return info_.hProcess != nullptr && TerminateProcess(info_.hProcess, ERROR_PROCESS_ABORTED) &&
         WaitForExit(kPatience);
}

int CountProcesses(const wchar_t* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, name) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace e2e
