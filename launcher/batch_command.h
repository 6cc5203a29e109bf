// Pure text work of the launcher: from the program's module file name to the command
// line that starts Start.bat beside it. No system calls, so every case can be tested.
#pragma once

#include <windows.h>

namespace launcher {

// GetModuleFileNameA fills this buffer; a name that needs all of it was truncated.
constexpr DWORD kModuleFileNameCapacity = MAX_PATH;
// The batch path obeys the system's path limit: MAX_PATH with its terminator.
constexpr DWORD kBatchPathMaxLength = MAX_PATH - 1;
// The batch path in quotes, and the terminator.
constexpr DWORD kCommandLineCapacity = 1 + kBatchPathMaxLength + 1 + 1;

// Tells whether a byte opens a double-byte character in the ANSI code page.
using LeadByteTest = BOOL(WINAPI*)(BYTE);

// The length of the program folder: the text before the last backslash, so that the
// folder carries no trailing separator. 0 when the name holds no backslash.
// In double-byte code pages a trail byte can equal '\', so the scan steps over whole
// characters.
DWORD ProgramFolderLength(const char* moduleFileName, DWORD length, LeadByteTest isLeadByte);

// Writes "<folder>\Start.bat" in quotes, so that blanks cannot split the path and the
// command interpreter takes & ^ ( ) ; , = in it literally. Returns ERROR_SUCCESS, or
// the reason nothing may be started: ERROR_INSUFFICIENT_BUFFER when the batch path
// exceeds the path limit, ERROR_BAD_PATHNAME when the folder is empty or holds a quote.
DWORD BuildCommandLine(const char* folder, DWORD folderLength,
                       char (&commandLine)[kCommandLineCapacity]);

}  // namespace launcher
