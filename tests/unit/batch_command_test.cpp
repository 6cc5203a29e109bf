#include "batch_command.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace launcher {
namespace {

BOOL WINAPI NoLeadBytes(BYTE) { return FALSE; }

// Shift-JIS (code page 932), where trail bytes include '\' (0x5C): the second byte of
// "ソ" (0x83 0x5C) is one.
BOOL WINAPI ShiftJisLeadByte(BYTE byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct CommandLineResult {
  DWORD error;
  std::string commandLine;
};

CommandLineResult CommandLineFor(const std::string& moduleFileName, LeadByteTest isLeadByte) {
  const auto length = static_cast<DWORD>(moduleFileName.size());
  const DWORD folderLength = ProgramFolderLength(moduleFileName.data(), length, isLeadByte);
  char commandLine[kCommandLineCapacity];
  const DWORD error = BuildCommandLine(moduleFileName.data(), folderLength, commandLine);
  return {error, error == ERROR_SUCCESS ? std::string(commandLine) : std::string()};
}

// A module file name of exactly `length` characters whose folder is `folderLength` long.
std::string ModuleFileNameOfLength(DWORD folderLength, DWORD length) {
  std::string name = "C:\\" + std::string(folderLength - 3, 'f') + "\\";
  return name + std::string(length - name.size(), 'x');
}

struct CommandLineCase {
  const char* what;
  std::string moduleFileName;
  LeadByteTest isLeadByte;
  DWORD error;
  std::string commandLine;

  friend void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.what; }
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, QuotesTheBatchPathBesideTheModule) {
  const CommandLineCase& c = GetParam();
  const CommandLineResult result = CommandLineFor(c.moduleFileName, c.isLeadByte);
  EXPECT_EQ(result.error, c.error);
  EXPECT_EQ(result.commandLine, c.commandLine);
  EXPECT_LE(result.commandLine.size() + 1, kCommandLineCapacity);
}

// The batch path may be MAX_PATH - 1 characters long; "\Start.bat" takes 10 of them.
constexpr DWORD kLongestFolder = kBatchPathMaxLength - 10;

INSTANTIATE_TEST_SUITE_P(
    ModuleFileNames, CommandLineTest,
    testing::Values(
        CommandLineCase{"folder", "C:\\Tools\\launcher.exe", NoLeadBytes, ERROR_SUCCESS,
                        "\"C:\\Tools\\Start.bat\""},
        CommandLineCase{"drive root", "C:\\launcher.exe", NoLeadBytes, ERROR_SUCCESS,
                        "\"C:\\Start.bat\""},
        CommandLineCase{"UNC share", "\\\\server\\share\\tools\\go.exe", NoLeadBytes,
                        ERROR_SUCCESS, "\"\\\\server\\share\\tools\\Start.bat\""},
        CommandLineCase{"blanks", "C:\\Program Files\\my app\\my tool.exe", NoLeadBytes,
                        ERROR_SUCCESS, "\"C:\\Program Files\\my app\\Start.bat\""},
        CommandLineCase{"interpreter syntax", "C:\\a&b^c(d)e;f,g=h!'%\\run.exe",
                        NoLeadBytes, ERROR_SUCCESS, "\"C:\\a&b^c(d)e;f,g=h!'%\\Start.bat\""},
        CommandLineCase{"dots in the file name", "C:\\Tools\\launcher.v2.exe.exe",
                        NoLeadBytes, ERROR_SUCCESS, "\"C:\\Tools\\Start.bat\""},
        // "C:\ツール\ソフト.exe": the '\' inside "ソ" is no separator.
        CommandLineCase{"Shift-JIS trail byte in the file name",
                        "C:\\\x83\x63\x81\x5B\x83\x8B\\\x83\x5C\x83\x74\x83\x67.exe",
                        ShiftJisLeadByte, ERROR_SUCCESS,
                        "\"C:\\\x83\x63\x81\x5B\x83\x8B\\Start.bat\""},
        // "C:\ソ\go.exe": the folder ends in a trail byte that looks like '\'.
        CommandLineCase{"Shift-JIS trail byte ends the folder", "C:\\\x83\x5C\\go.exe",
                        ShiftJisLeadByte, ERROR_SUCCESS, "\"C:\\\x83\x5C\\Start.bat\""},
        // The same bytes in a single-byte code page are two characters and a separator.
        CommandLineCase{"single-byte code page", "C:\\a\x83\\go.exe", NoLeadBytes,
                        ERROR_SUCCESS, "\"C:\\a\x83\\Start.bat\""},
        CommandLineCase{"no folder", "launcher.exe", NoLeadBytes, ERROR_BAD_PATHNAME, ""},
        CommandLineCase{"empty name", "", NoLeadBytes, ERROR_BAD_PATHNAME, ""},
        CommandLineCase{"quote in the folder", "C:\\a\"b\\go.exe", NoLeadBytes,
                        ERROR_BAD_PATHNAME, ""},
        CommandLineCase{"batch path at the limit",
                        ModuleFileNameOfLength(kLongestFolder, kModuleFileNameCapacity - 1),
                        NoLeadBytes, ERROR_SUCCESS,
                        "\"" + std::string("C:\\") + std::string(kLongestFolder - 3, 'f') +
                            "\\Start.bat\""},
        CommandLineCase{"batch path one over the limit",
                        ModuleFileNameOfLength(kLongestFolder + 1, kModuleFileNameCapacity - 1),
                        NoLeadBytes, ERROR_INSUFFICIENT_BUFFER, ""}),
    [](const testing::TestParamInfo<CommandLineCase>& info) {
      std::string name;
      for (const char ch : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(ProgramFolderLengthTest, StopsAtTheGivenLengthEvenWithoutATerminator) {
  // GetModuleFileNameA may leave a truncated name unterminated.
  const char name[] = {'C', ':', '\\', 'a', '\\', 'b', '\\', 'c'};
  EXPECT_EQ(ProgramFolderLength(name, 4, NoLeadBytes), 2u);
  EXPECT_EQ(ProgramFolderLength(name, sizeof name, NoLeadBytes), 6u);
}

}  // namespace
}  // namespace launcher
