// The launcher under load: many runs in a row, many at once, and one killed mid-run.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support.h"

namespace e2e {
namespace {

// A launcher in workspace\name beside a Start.bat of these lines.
std::wstring PlaceLauncherAndBatch(const Workspace& workspace, const std::wstring& name,
                                   std::initializer_list<const char*> lines) {
  const std::wstring folder = PlaceLauncher(workspace, name);
  WriteTextFile(folder + L"\\Start.bat", Batch(lines));
  return folder;
}

// Waits a little for processes that are on their way out to be gone.
bool NoMoreThan(const wchar_t* name, int count) {
  for (int i = 0; i < 100 && CountProcesses(name) > count; ++i) Sleep(50);
  return CountProcesses(name) <= count;
}

TEST(LoadTest, TwoHundredRunsInARowEachRunTheirBatchAndLeaveNothingBehind) {
  Workspace workspace;
  const std::wstring folder =
      PlaceLauncherAndBatch(workspace, L"tool", {"echo ran>> \"%~dp0runs.txt\""});
  const int interpreters = CountProcesses(L"cmd.exe");
  const int consoles = CountProcesses(L"conhost.exe");

  constexpr int kRuns = 200;
  int succeeded = 0;
  for (int run = 0; run < kRuns; ++run) {
    Process launcher(folder + L"\\launcher.exe", L"", folder);
    ASSERT_TRUE(launcher.WaitForExit(kPatience)) << "run " << run << " did not end";
    if (launcher.ExitCode() == 0) ++succeeded;
  }

  EXPECT_EQ(succeeded, kRuns);
  std::string expected;
  for (int run = 0; run < kRuns; ++run) expected += "ran\r\n";
  EXPECT_EQ(ReadTextFile(folder + L"\\runs.txt"), expected);
  EXPECT_TRUE(NoMoreThan(L"launcher.exe", 0)) << CountProcesses(L"launcher.exe") << " left";
  EXPECT_TRUE(NoMoreThan(L"cmd.exe", interpreters)) << CountProcesses(L"cmd.exe") << " left";
  EXPECT_TRUE(NoMoreThan(L"conhost.exe", consoles)) << CountProcesses(L"conhost.exe") << " left";
}

TEST(LoadTest, SixteenLaunchersStartedAtOnceAllRunTheirBatchAndEnd) {
  Workspace workspace;
  constexpr int kLaunchers = 16;
  std::vector<std::wstring> folders;
  for (int i = 0; i < kLaunchers; ++i) {
    folders.push_back(PlaceLauncherAndBatch(workspace, L"tool " + std::to_wstring(i),
                                            {"echo ran> \"%~dp0ran.txt\""}));
  }

  std::vector<std::unique_ptr<Process>> launchers;
  for (const std::wstring& folder : folders) {
    launchers.push_back(std::make_unique<Process>(folder + L"\\launcher.exe", L"", folder));
  }
  for (int i = 0; i < kLaunchers; ++i) {
    ASSERT_TRUE(launchers[i]->WaitForExit(kPatience)) << "launcher " << i << " did not end";
    EXPECT_EQ(launchers[i]->ExitCode(), 0u) << "launcher " << i;
    EXPECT_EQ(ReadTextFile(folders[i] + L"\\ran.txt"), "ran\r\n") << "launcher " << i;
  }
}

TEST(LoadTest, KillingTheLauncherLeavesItsBatchRunningToItsEnd) {
  Workspace workspace;
  // The batch's last line renames what it wrote, so that end.txt appears whole.
  const std::wstring folder = PlaceLauncherAndBatch(workspace, L"tool",
                                                    {"\"%~dp0probe.exe\" wait \"%~dp0release\"",
                                                     "echo finished> \"%~dp0end.tmp\"",
                                                     "ren \"%~dp0end.tmp\" end.txt"});

  Process launcher(folder + L"\\launcher.exe", L"", folder);
  ASSERT_TRUE(WaitForFile(folder + L"\\release.waiting", kPatience));
  ASSERT_TRUE(launcher.Kill());

  WriteTextFile(folder + L"\\release", "");
  ASSERT_TRUE(WaitForFile(folder + L"\\end.txt", kPatience)) << "the batch did not finish";
  EXPECT_TRUE(WaitForFile(folder + L"\\release.done", kPatience));
  EXPECT_EQ(ReadTextFile(folder + L"\\end.txt"), "finished\r\n");
}

}  // namespace
}  // namespace e2e
