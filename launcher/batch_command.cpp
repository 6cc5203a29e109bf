#include "batch_command.h"

namespace launcher {

namespace {

constexpr char kBatchFileSuffix[] = "\\Start.bat";
constexpr DWORD kBatchFileSuffixLength = sizeof kBatchFileSuffix - 1;

}  // namespace

DWORD BuildCommandLine(const char* folder, DWORD folderBytes, DWORD folderCharacters,
                       char (&commandLine)[kCommandLineCapacity]) {
  if (folderBytes == 0 || folderCharacters == 0) return ERROR_BAD_PATHNAME;
  if (folderCharacters + kBatchFileSuffixLength > kPathMaxCharacters ||
      folderBytes + kBatchFileSuffixLength > kPathMaxBytes) {
    return ERROR_INSUFFICIENT_BUFFER;
  }
  // A quote cannot be part of a Windows path; inside ours it would end the quoting.
  for (DWORD i = 0; i < folderBytes; ++i) {
    if (folder[i] == '"') return ERROR_BAD_PATHNAME;
  }

  DWORD end = 0;
  commandLine[end++] = '"';
  for (DWORD i = 0; i < folderBytes; ++i) commandLine[end++] = folder[i];
  for (DWORD i = 0; i < kBatchFileSuffixLength; ++i) commandLine[end++] = kBatchFileSuffix[i];
  commandLine[end++] = '"';
  commandLine[end] = '\0';
  return ERROR_SUCCESS;
}

}  // namespace launcher
