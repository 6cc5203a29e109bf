// A helper that the tests' batch files run, to see what a user would see.
//   probe console FILE    writes the state of its console window to FILE
//   probe wait FILE       writes FILE.waiting, blocks until FILE exists, writes FILE.done
//   probe (anything else) writes "<its own path>.ran": planted as a decoy, it tells
//                         that something started it
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool WriteText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int WriteConsoleState(const std::string& path) {
  const HWND console = GetConsoleWindow();
  char text[128];
  std::snprintf(text, sizeof text, "window=%lu visible=%d iconic=%d zoomed=%d",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(console)),
                console != nullptr && IsWindowVisible(console) ? 1 : 0,
                console != nullptr && IsIconic(console) ? 1 : 0,
                console != nullptr && IsZoomed(console) ? 1 : 0);
  return WriteText(path, text) ? 0 : 1;
}

int WaitForFile(const std::string& path) {
  if (!WriteText(path + ".waiting", "")) return 1;
  // Bounded, so that a failed test leaves nothing running for long.
  for (int i = 0; i < 1200 && !Exists(path); ++i) Sleep(50);
  return WriteText(path + ".done", "") ? 0 : 1;
}

int RecordThatItRan() {
  char self[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return 1;
  return WriteText(std::string(self, length) + ".ran", "") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "console") == 0) return WriteConsoleState(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "wait") == 0) return WaitForFile(argv[2]);
  return RecordThatItRan();
}
