// Times the start-up cost of the launcher against what a double-click on Start.bat does.
// Each round starts, one after the other and each to its end:
//   a) the launcher, detached as Explorer starts it, beside an empty Start.bat;
//   b) the command interpreter on the same Start.bat, in a new console window;
//   c) an empty program that only ends.
// Usage: startup LAUNCHER_FOLDER EMPTY_PROGRAM ROUNDS
// Prints: a_ms=… b_ms=… c_ms=… (medians) ratio=… ratio_p25=… ratio_p75=… ratio_min=…
// ratio_max=… rounds=…, the ratio being a/b of each round.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from the start of the process to its end; negative if it could not run.
double TimeToEnd(const std::string& application, std::string commandLine, DWORD flags) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const double start = Seconds();
  if (!CreateProcessA(application.empty() ? nullptr : application.c_str(), commandLine.data(),
                      nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double end = Seconds();
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0 ? (end - start) * 1000 : -1;
}

double Quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  const double position = q * static_cast<double>(values.size() - 1);
  const auto below = static_cast<size_t>(position);
  const size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (values[above] - values[below]) * (position - static_cast<double>(below));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: startup LAUNCHER_FOLDER EMPTY_PROGRAM ROUNDS\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string launcher = folder + "\\launcher.exe";
  const std::string batch = folder + "\\Start.bat";
  const std::string empty = argv[2];
  const int rounds = std::atoi(argv[3]);
  if (rounds < 1) {
    std::fprintf(stderr, "ROUNDS must be a whole number of at least 1\n");
    return 2;
  }

  std::vector<double> a, b, c, ratios;
  // Round -1 warms Wine's caches and is not counted.
  for (int round = -1; round < rounds; ++round) {
    const double launched = TimeToEnd(launcher, "\"" + launcher + "\"", DETACHED_PROCESS);
    const double direct =
        TimeToEnd("", "cmd.exe /c \"\"" + batch + "\"\"", CREATE_NEW_CONSOLE);
    const double nothing = TimeToEnd(empty, "\"" + empty + "\"", 0);
    if (launched < 0 || direct < 0 || nothing < 0) {
      std::fprintf(stderr, "round %d: a program did not run to a clean end\n", round);
      return 1;
    }
    if (round < 0) continue;
    a.push_back(launched);
    b.push_back(direct);
    c.push_back(nothing);
    ratios.push_back(launched / direct);
  }
  std::printf("a_ms=%.1f b_ms=%.1f c_ms=%.1f ratio=%.3f ratio_p25=%.3f ratio_p75=%.3f "
              "ratio_min=%.3f ratio_max=%.3f rounds=%d\n",
              Quantile(a, 0.5), Quantile(b, 0.5), Quantile(c, 0.5), Quantile(ratios, 0.5),
              Quantile(ratios, 0.25), Quantile(ratios, 0.75), Quantile(ratios, 0),
              Quantile(ratios, 1), rounds);
  return 0;
}
