// The floor for start-up: a program that only ends, built as the launcher is built.
#include <windows.h>

extern "C" void WINAPI EmptyStart() { ExitProcess(0); }
