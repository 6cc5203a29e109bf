// The launcher as a conventional build would make it: the same routine behind WinMain,
// with the C runtime linked. For comparison only; it is not shipped.
#include <windows.h>

#include "launch.h"
#include "windows_system.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  launcher::WindowsSystem windows;
  return static_cast<int>(launcher::RunLauncher(windows));
}
