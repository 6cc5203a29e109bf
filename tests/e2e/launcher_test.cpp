// The built launcher.exe, run under Wine in folders that the tests make, beside batch
// files that record what they saw.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace e2e {
namespace {

class LauncherTest : public testing::Test {
 protected:
  std::wstring PlaceLauncher(const std::wstring& folder) {
    return e2e::PlaceLauncher(workspace_, folder);
  }

  // Runs the launcher in `folder` to its end and returns its exit status.
  static DWORD RunToEnd(const std::wstring& folder, const std::wstring& arguments,
                        const std::wstring& currentDirectory) {
    Process launcher(folder + L"\\launcher.exe", arguments, currentDirectory);
    EXPECT_TRUE(launcher.WaitForExit(kPatience)) << "the launcher did not end";
    return launcher.ExitCode();
  }

  Workspace workspace_;
};

TEST_F(LauncherTest, RunsTheBatchBesideItAndSucceedsWhateverTheBatchReturns) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat", Batch({"echo ran> \"%~dp0ran.txt\"", "exit /b 3"}));

  EXPECT_EQ(RunToEnd(folder, L"", workspace_.root()), 0u);
  EXPECT_EQ(ReadTextFile(folder + L"\\ran.txt"), "ran\r\n");
}

TEST_F(LauncherTest, WithoutABatchEndsAtOnceWithFileNotFound) {
  const std::wstring folder = PlaceLauncher(L"tool");

  EXPECT_EQ(RunToEnd(folder, L"", folder), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(LauncherTest, BatchRunsInTheLaunchersCurrentDirectory) {
  const std::wstring folder = PlaceLauncher(L"tool");
  const std::wstring elsewhere = workspace_.MakeFolder(L"elsewhere");
  WriteTextFile(folder + L"\\Start.bat", Batch({"cd> \"%~dp0cwd.txt\""}));

  EXPECT_EQ(RunToEnd(folder, L"", elsewhere), 0u);
  const std::string cwd = ReadTextFile(folder + L"\\cwd.txt");
  const std::string expected(elsewhere.begin(), elsewhere.end());
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, cwd.c_str(), -1,
                           (expected + "\r\n").c_str(), -1),
            CSTR_EQUAL)
      << cwd << " is not " << expected;
}

TEST_F(LauncherTest, ArgumentsDoNotReachTheBatch) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat", Batch({"echo [%*]> \"%~dp0args.txt\""}));

  EXPECT_EQ(RunToEnd(folder, L" one \"two three\" /c", folder), 0u);
  EXPECT_EQ(ReadTextFile(folder + L"\\args.txt"), "[]\r\n");
}

TEST_F(LauncherTest, StaysAliveUntilTheBatchHasEnded) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat",
                Batch({"\"%~dp0probe.exe\" wait \"%~dp0release\"", "echo ended> \"%~dp0end.txt\""}));

  Process launcher(folder + L"\\launcher.exe", L"", folder);
  ASSERT_TRUE(WaitForFile(folder + L"\\release.waiting", kPatience));
  EXPECT_FALSE(launcher.WaitForExit(1000)) << "ended while its batch was still running";

  WriteTextFile(folder + L"\\release", "");
  ASSERT_TRUE(launcher.WaitForExit(kPatience));
  EXPECT_EQ(launcher.ExitCode(), 0u);
  EXPECT_TRUE(Exists(folder + L"\\end.txt")) << "ended before its batch did";
}

TEST_F(LauncherTest, DoesNotWaitForWhatTheBatchLeavesRunningInTheBackground) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat",
                Batch({"start \"\" /b \"%~dp0probe.exe\" wait \"%~dp0release\""}));

  EXPECT_EQ(RunToEnd(folder, L"", folder), 0u);
  EXPECT_TRUE(WaitForFile(folder + L"\\release.waiting", kPatience)) << "nothing was started";
  EXPECT_FALSE(Exists(folder + L"\\release.done"));

  WriteTextFile(folder + L"\\release", "");
  EXPECT_TRUE(WaitForFile(folder + L"\\release.done", kPatience));
}

// The console window exists only where Wine has a display: the test command starts one.
TEST_F(LauncherTest, ShowsTheBatchsConsoleWindowNormally) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat",
                Batch({"\"%~dp0probe.exe\" console \"%~dp0console.txt\""}));

  EXPECT_EQ(RunToEnd(folder, L"", folder), 0u);
  const std::string state = ReadTextFile(folder + L"\\console.txt");
  EXPECT_NE(state.rfind("window=0 ", 0), 0u) << "no console window: " << state;
  EXPECT_NE(state.find("visible=1 iconic=0 zoomed=0"), std::string::npos) << state;
}

TEST_F(LauncherTest, ClosingTheConsoleWindowEndsTheBatchAndThenTheLauncher) {
  const std::wstring folder = PlaceLauncher(L"tool");
  WriteTextFile(folder + L"\\Start.bat",
                Batch({"\"%~dp0probe.exe\" console \"%~dp0console.txt\"",
                       "\"%~dp0probe.exe\" wait \"%~dp0release\"",
                       "echo not closed> \"%~dp0end.txt\""}));

  Process launcher(folder + L"\\launcher.exe", L"", folder);
  ASSERT_TRUE(WaitForFile(folder + L"\\release.waiting", kPatience));
  const std::string state = ReadTextFile(folder + L"\\console.txt");
  const auto window = reinterpret_cast<HWND>(std::stoul(state.substr(state.find('=') + 1)));
  ASSERT_NE(window, nullptr) << "no console window: " << state;

  ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
  EXPECT_TRUE(launcher.WaitForExit(kPatience)) << "still running after its console closed";
  EXPECT_EQ(launcher.ExitCode(), 0u);
  EXPECT_FALSE(Exists(folder + L"\\end.txt")) << "the batch went on after its console closed";
  WriteTextFile(folder + L"\\release", "");
}

struct FolderCase {
  const char* what;
  std::wstring folder;
  // Where an unquoted command line would find a program to start instead of the batch.
  std::wstring decoy;

  friend void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.what; }
};

class FolderNameTest : public LauncherTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(FolderNameTest, RunsTheBatchInAnyFolder) {
  const FolderCase& c = GetParam();
  const std::wstring folder = PlaceLauncher(c.folder);
  // Written to the current directory: Wine's command interpreter mangles %~dp0 when
  // the folder holds a '%'.
  WriteTextFile(folder + L"\\Start.bat", Batch({"echo ran> ran.txt"}));
  if (!c.decoy.empty()) CopyBuiltProgram(L"probe.exe", workspace_.root() + L"\\" + c.decoy);

  EXPECT_EQ(RunToEnd(folder, L"", folder), 0u);
  EXPECT_EQ(ReadTextFile(folder + L"\\ran.txt"), "ran\r\n");
  if (!c.decoy.empty()) {
    EXPECT_FALSE(Exists(workspace_.root() + L"\\" + c.decoy + L".ran")) << "the decoy ran";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderNameTest,
    testing::Values(FolderCase{"blank", L"my app", L"my.exe"},
                    FolderCase{"blanks_and_parentheses", L"Program Files (x86)\\My Tools",
                               L"Program.exe"},
                    FolderCase{"interpreter_syntax", L"a&b^c(d)e;f,g=h", L""},
                    FolderCase{"accented", L"Caf\u00e9 cr\u00e8me", L""},
                    FolderCase{"lone_percent_and_bang", L"100% sure!", L""},
                    // No single ANSI code page holds these; UTF-8 holds them all.
                    FolderCase{"japanese", L"\u65E5\u672C\u8A9E", L""},
                    FolderCase{"greek", L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", L""},
                    FolderCase{"emoji", L"rocket \U0001F680", L""},
                    FolderCase{"mixed_scripts", L"\u65E5\u672C \u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
                               L""}),
    [](const testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace e2e
