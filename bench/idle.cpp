// The floor for memory: a program that only waits, built as the launcher is built.
#include <windows.h>

extern "C" void WINAPI IdleStart() {
  Sleep(60 * 1000);
  ExitProcess(0);
}
