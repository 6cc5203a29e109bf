// Pure text work of the launcher: from the program's module file name to the command
// line that starts Start.bat beside it. No system calls, so every case can be tested.
#pragma once

#include <windows.h>

namespace launcher {

// The path limit counts characters (UTF-16 units), not bytes. The ANSI code page, UTF-8
// by the program's manifest, takes up to three bytes for each.
constexpr DWORD kMaxBytesPerCharacter = 3;
constexpr DWORD kPathMaxCharacters = MAX_PATH - 1;
constexpr DWORD kPathMaxBytes = kMaxBytesPerCharacter * kPathMaxCharacters;

// A longer name that GetModuleFileNameA cuts to fit is not always reported as cut: Wine
// stops at the last whole character and says nothing. The buffer has room past the
// longest path for one more character (four bytes as a surrogate pair) and the
// terminator, so that a cut name is always longer than any name within the limit.
constexpr DWORD kModuleFileNameCapacity = kPathMaxBytes + 4 + 1;
// The batch path in quotes, and the terminator.
constexpr DWORD kCommandLineCapacity = 1 + kPathMaxBytes + 1 + 1;

// The length in bytes of the program folder: the text before the last backslash, so
// that the folder carries no trailing separator. 0 when the name holds no backslash.
// In double-byte code pages a trail byte can equal '\', so the scan steps over whole
// characters; isLeadByte(BYTE) tells which bytes open one.
template <class LeadByteTest>
DWORD ProgramFolderLength(const char* moduleFileName, DWORD length, LeadByteTest isLeadByte) {
  DWORD folderLength = 0;
  for (DWORD i = 0; i < length; ++i) {
    const auto byte = static_cast<BYTE>(moduleFileName[i]);
    if (byte == '\\') {
      folderLength = i;
    } else if (isLeadByte(byte)) {
      ++i;
    }
  }
  return folderLength;
}

// Writes "<folder>\Start.bat" in quotes, so that blanks cannot split the path and the
// command interpreter takes & ^ ( ) ; , = in it literally. The folder is given in bytes
// and, as the system counts them, in characters. Returns ERROR_SUCCESS, or the reason
// nothing may be started: ERROR_INSUFFICIENT_BUFFER when the batch path exceeds the path
// limit, ERROR_BAD_PATHNAME when the folder is empty or holds a quote.
DWORD BuildCommandLine(const char* folder, DWORD folderBytes, DWORD folderCharacters,
                       char (&commandLine)[kCommandLineCapacity]);

}  // namespace launcher
