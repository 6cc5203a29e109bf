// Drives the launcher's routine through a fake system that records what it is asked
// for, and answers as the real calls would.
#include "launch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace launcher {
namespace {

const HANDLE kProcess = reinterpret_cast<HANDLE>(0x1110);
const HANDLE kThread = reinterpret_cast<HANDLE>(0x2220);

// Shift-JIS, where the second byte of "ソ" (0x83 0x5C) equals '\'.
constexpr UINT kShiftJis = 932;

std::string HandleName(HANDLE handle) {
  return handle == kProcess ? "process" : handle == kThread ? "thread" : "unknown handle";
}

class FakeSystem {
 public:
  // Answers.
  std::string moduleFileName = "C:\\Tools\\launcher.exe";
  DWORD moduleFileNameError = ERROR_SUCCESS;
  // Windows reports a cut name; Wine, in a multi-byte code page, may not.
  bool reportsCutName = true;
  UINT ansiCodePage = CP_UTF8;
  bool createProcessFails = false;
  DWORD createProcessError = ERROR_SUCCESS;
  DWORD waitResult = WAIT_OBJECT_0;
  DWORD waitError = ERROR_SUCCESS;

  // Observations.
  std::vector<std::string> calls;
  DWORD moduleFileNameCapacity = 0;
  struct {
    const char* applicationName;
    std::string commandLine;
    LPSECURITY_ATTRIBUTES processAttributes;
    LPSECURITY_ATTRIBUTES threadAttributes;
    BOOL inheritHandles;
    DWORD creationFlags;
    LPVOID environment;
    const char* currentDirectory;
    STARTUPINFOA startupInfo;
  } createProcess = {};
  DWORD waitTimeout = 0;

  // Like the real call: a name that does not fit is cut to the buffer's size and left
  // without a terminator, or, where the cut goes unreported, cut after the last whole
  // character that fits with a terminator.
  DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD capacity) {
    calls.push_back(module == nullptr ? "GetModuleFileNameA(program)" : "GetModuleFileNameA(?)");
    moduleFileNameCapacity = capacity;
    if (moduleFileNameError != ERROR_SUCCESS) {
      lastError_ = moduleFileNameError;
      return 0;
    }
    if (moduleFileName.size() >= capacity && reportsCutName) {
      std::memcpy(buffer, moduleFileName.data(), capacity);
      lastError_ = ERROR_INSUFFICIENT_BUFFER;
      return capacity;
    }
    if (moduleFileName.size() >= capacity) {
      DWORD cut = capacity - 1;
      while (cut > 0 && (static_cast<BYTE>(moduleFileName[cut]) & 0xC0) == 0x80) --cut;
      std::memcpy(buffer, moduleFileName.data(), cut);
      buffer[cut] = '\0';
      return cut;
    }
    std::memcpy(buffer, moduleFileName.c_str(), moduleFileName.size() + 1);
    return static_cast<DWORD>(moduleFileName.size());
  }

  BOOL IsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(ansiCodePage, byte); }

  // Counts with the real conversion, in the code page that this system has for CP_ACP.
  int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR wide,
                          int wideCapacity) {
    calls.push_back(codePage == CP_ACP && flags == 0 && wide == nullptr
                        ? "MultiByteToWideChar(ANSI, count)"
                        : "MultiByteToWideChar(?)");
    return ::MultiByteToWideChar(ansiCodePage, flags, text, length, wide, wideCapacity);
  }

  BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                      LPSECURITY_ATTRIBUTES processAttributes,
                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                      DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                      LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION process) {
    calls.push_back("CreateProcessA");
    createProcess = {applicationName, commandLine,   processAttributes, threadAttributes,
                     inheritHandles,  creationFlags, environment,       currentDirectory,
                     *startupInfo};
    if (createProcessFails) {
      lastError_ = createProcessError;
      return FALSE;
    }
    *process = {kProcess, kThread, 4242, 4343};
    return TRUE;
  }

  DWORD WaitForSingleObject(HANDLE handle, DWORD timeout) {
    calls.push_back("WaitForSingleObject(" + HandleName(handle) + ")");
    waitTimeout = timeout;
    if (waitError != ERROR_SUCCESS) lastError_ = waitError;
    return waitResult;
  }

  BOOL CloseHandle(HANDLE handle) {
    calls.push_back("CloseHandle(" + HandleName(handle) + ")");
    // The real call may overwrite the last error; the routine must have read it before.
    lastError_ = ERROR_SUCCESS;
    return TRUE;
  }

  DWORD GetLastError() {
    calls.push_back("GetLastError");
    return lastError_;
  }

 private:
  DWORD lastError_ = ERROR_SUCCESS;
};

TEST(LaunchTest, StartsTheBatchWithTheExactRequestWaitsAndClosesThreadThenProcess) {
  FakeSystem system;
  EXPECT_EQ(RunLauncher(system), static_cast<DWORD>(ERROR_SUCCESS));

  EXPECT_EQ(system.calls, (std::vector<std::string>{
                              "GetModuleFileNameA(program)",
                              "MultiByteToWideChar(ANSI, count)",
                              "CreateProcessA",
                              "WaitForSingleObject(process)",
                              "CloseHandle(thread)",
                              "CloseHandle(process)",
                          }));
  // Room for MAX_PATH - 1 characters of three bytes each, one more character and the
  // terminator.
  EXPECT_EQ(system.moduleFileNameCapacity, 3u * (MAX_PATH - 1) + 4 + 1);
  EXPECT_EQ(system.waitTimeout, INFINITE);

  const auto& request = system.createProcess;
  EXPECT_EQ(request.applicationName, nullptr);
  EXPECT_EQ(request.commandLine, "\"C:\\Tools\\Start.bat\"");
  EXPECT_EQ(request.processAttributes, nullptr);
  EXPECT_EQ(request.threadAttributes, nullptr);
  EXPECT_EQ(request.inheritHandles, FALSE);
  EXPECT_EQ(request.creationFlags, 0u);
  EXPECT_EQ(request.environment, nullptr);
  EXPECT_EQ(request.currentDirectory, nullptr);

  STARTUPINFOA expected;
  std::memset(&expected, 0, sizeof expected);
  expected.cb = sizeof expected;
  expected.dwFlags = STARTF_USESHOWWINDOW;
  expected.wShowWindow = SW_SHOWNORMAL;
  EXPECT_EQ(std::memcmp(&request.startupInfo, &expected, sizeof expected), 0)
      << "cb=" << request.startupInfo.cb << " flags=" << request.startupInfo.dwFlags
      << " show=" << request.startupInfo.wShowWindow;
}

TEST(LaunchTest, FindsTheFolderWithTheSystemsCodePage) {
  FakeSystem system;
  system.ansiCodePage = kShiftJis;
  system.moduleFileName = "C:\\Tools\\\x83\x5C\x83\x74\x83\x67.exe";  // C:\Tools\ソフト.exe

  EXPECT_EQ(RunLauncher(system), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(system.createProcess.commandLine, "\"C:\\Tools\\Start.bat\"");
}

TEST(LaunchTest, CountsTheLimitInCharactersAsTheSystemDoes) {
  // 249 characters of three bytes each: 747 bytes, yet within the limit.
  std::string folder = "C:\\";
  while (folder.size() < 3 + 3 * 246) folder += "\xE5\xAD\x97";  // 字
  FakeSystem utf8;
  utf8.moduleFileName = folder + "\\go.exe";
  EXPECT_EQ(RunLauncher(utf8), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(utf8.createProcess.commandLine, "\"" + folder + "\\Start.bat\"");

  FakeSystem western;  // the same bytes as 747 characters
  western.ansiCodePage = 1252;
  western.moduleFileName = folder + "\\go.exe";
  EXPECT_EQ(RunLauncher(western), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(LaunchTest, TakesModuleFileNamesUpToThreeBytesForEachCharacterOfThePathLimit) {
  const std::string folder = "C:\\Tools";
  const std::string longest = folder + "\\" + std::string(3 * (MAX_PATH - 1) - 9, 'x');
  FakeSystem system;
  system.moduleFileName = longest;
  EXPECT_EQ(RunLauncher(system), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(system.createProcess.commandLine, "\"C:\\Tools\\Start.bat\"");

  FakeSystem longer;
  longer.moduleFileName = longest + "x";
  EXPECT_EQ(RunLauncher(longer), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(longer.calls, std::vector<std::string>{"GetModuleFileNameA(program)"});
}

struct FailureCase {
  const char* what;
  void (*arrange)(FakeSystem&);
  DWORD status;
  std::vector<std::string> calls;

  friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.what; }
};

class LaunchFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(LaunchFailureTest, EndsWithTheReasonAndReleasesOnlyWhatItGot) {
  FakeSystem system;
  GetParam().arrange(system);
  EXPECT_EQ(RunLauncher(system), GetParam().status);
  EXPECT_EQ(system.calls, GetParam().calls);
}

const std::vector<std::string> kFailedStart = {
    "GetModuleFileNameA(program)", "MultiByteToWideChar(ANSI, count)", "CreateProcessA",
    "GetLastError"};
const std::vector<std::string> kRefusedPath = {"GetModuleFileNameA(program)",
                                               "MultiByteToWideChar(ANSI, count)"};
const std::vector<std::string> kNothingStarted = {"GetModuleFileNameA(program)"};

INSTANTIATE_TEST_SUITE_P(
    Failures, LaunchFailureTest,
    testing::Values(
        FailureCase{"batch_missing",
                    [](FakeSystem& s) {
                      s.createProcessFails = true;
                      s.createProcessError = ERROR_FILE_NOT_FOUND;
                    },
                    ERROR_FILE_NOT_FOUND, kFailedStart},
        FailureCase{"start_refused",
                    [](FakeSystem& s) {
                      s.createProcessFails = true;
                      s.createProcessError = ERROR_ACCESS_DENIED;
                    },
                    ERROR_ACCESS_DENIED, kFailedStart},
        FailureCase{"module_name_unavailable",
                    [](FakeSystem& s) { s.moduleFileNameError = ERROR_NOT_ENOUGH_MEMORY; },
                    ERROR_NOT_ENOUGH_MEMORY, {"GetModuleFileNameA(program)", "GetLastError"}},
        FailureCase{"module_name_exactly_fills_the_buffer",
                    [](FakeSystem& s) {
                      s.moduleFileName = "C:\\" + std::string(3 * (MAX_PATH - 1) + 4 + 1 - 3, 'x');
                    },
                    ERROR_INSUFFICIENT_BUFFER, kNothingStarted},
        // Cut after 781 bytes without a word, the name ends inside the second folder; the
        // first, 203 characters long, holds a Start.bat that must not run.
        FailureCase{"module_name_cut_short_unreported",
                    [](FakeSystem& s) {
                      s.reportsCutName = false;
                      std::string kanji(3 * 300, ' ');
                      for (size_t i = 0; i < kanji.size(); i += 3) kanji.replace(i, 3, "\xE5\xAD\x97");
                      s.moduleFileName = "C:\\" + kanji.substr(0, 600) + "\\" + kanji.substr(600) + "\\go.exe";
                    },
                    ERROR_INSUFFICIENT_BUFFER, kNothingStarted},
        // Cut short, "C:\deep\...\Start.bat" would name a parent folder's batch.
        FailureCase{"module_name_longer_than_the_buffer",
                    [](FakeSystem& s) {
                      s.moduleFileName.clear();
                      while (s.moduleFileName.size() < 1000) s.moduleFileName += "C:\\deep";
                      s.moduleFileName += "\\launcher.exe";
                    },
                    ERROR_INSUFFICIENT_BUFFER, kNothingStarted},
        FailureCase{"batch_path_over_the_limit",
                    [](FakeSystem& s) {
                      s.moduleFileName = "C:\\" + std::string(247, 'f') + "\\x.exe";
                    },
                    ERROR_INSUFFICIENT_BUFFER, kRefusedPath},
        FailureCase{"no_folder", [](FakeSystem& s) { s.moduleFileName = "launcher.exe"; },
                    ERROR_BAD_PATHNAME, kRefusedPath},
        FailureCase{"start_failed_without_an_error_code",
                    [](FakeSystem& s) { s.createProcessFails = true; }, ERROR_GEN_FAILURE,
                    kFailedStart},
        FailureCase{"wait_failed",
                    [](FakeSystem& s) {
                      s.waitResult = WAIT_FAILED;
                      s.waitError = ERROR_INVALID_HANDLE;
                    },
                    ERROR_INVALID_HANDLE,
                    {"GetModuleFileNameA(program)", "MultiByteToWideChar(ANSI, count)",
                     "CreateProcessA", "WaitForSingleObject(process)", "GetLastError",
                     "CloseHandle(thread)", "CloseHandle(process)"}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace launcher
