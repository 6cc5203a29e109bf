#include "batch_command.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace launcher {
namespace {

bool NoLeadBytes(BYTE) { return false; }

// Shift-JIS, where trail bytes include '\' (0x5C): the second byte of "ソ" (0x83 0x5C)
// is one.
constexpr UINT kShiftJis = 932;
constexpr UINT kWestern = 1252;

struct CommandLineResult {
  DWORD error;
  std::string commandLine;
};

// The command line for a module file name in an ANSI code page, with the folder's
// characters counted as the system counts them.
CommandLineResult CommandLineFor(const std::string& moduleFileName, UINT codePage) {
  const auto length = static_cast<DWORD>(moduleFileName.size());
  const DWORD folderBytes = ProgramFolderLength(moduleFileName.data(), length, [&](BYTE byte) {
    return IsDBCSLeadByteEx(codePage, byte) != FALSE;
  });
  const int folderCharacters = MultiByteToWideChar(codePage, 0, moduleFileName.data(),
                                                   static_cast<int>(folderBytes), nullptr, 0);
  char commandLine[kCommandLineCapacity];
  const DWORD error = BuildCommandLine(moduleFileName.data(), folderBytes,
                                       static_cast<DWORD>(folderCharacters), commandLine);
  return {error, error == ERROR_SUCCESS ? std::string(commandLine) : std::string()};
}

std::string Repeat(const std::string& text, size_t times) {
  std::string repeated;
  while (times-- > 0) repeated += text;
  return repeated;
}

const std::string kKanji = "\xE5\xAD\x97";            // 字: one character, three bytes
const std::string kRocket = "\xF0\x9F\x9A\x80";       // 🚀: two characters, four bytes
// The batch path may be MAX_PATH - 1 characters long; "\Start.bat" takes 10 of them.
constexpr DWORD kLongestFolder = kPathMaxCharacters - 10;

struct CommandLineCase {
  const char* what;
  std::string moduleFileName;
  UINT codePage;
  DWORD error;
  std::string commandLine;

  friend void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.what; }
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, QuotesTheBatchPathBesideTheModule) {
  const CommandLineCase& c = GetParam();
  const CommandLineResult result = CommandLineFor(c.moduleFileName, c.codePage);
  EXPECT_EQ(result.error, c.error);
  EXPECT_EQ(result.commandLine, c.commandLine);
}

INSTANTIATE_TEST_SUITE_P(
    ModuleFileNames, CommandLineTest,
    testing::Values(
        CommandLineCase{"folder", "C:\\Tools\\launcher.exe", CP_UTF8, ERROR_SUCCESS,
                        "\"C:\\Tools\\Start.bat\""},
        CommandLineCase{"drive root", "C:\\launcher.exe", CP_UTF8, ERROR_SUCCESS,
                        "\"C:\\Start.bat\""},
        CommandLineCase{"UNC share", "\\\\server\\share\\tools\\go.exe", CP_UTF8, ERROR_SUCCESS,
                        "\"\\\\server\\share\\tools\\Start.bat\""},
        CommandLineCase{"blanks", "C:\\Program Files\\my app\\my tool.exe", CP_UTF8,
                        ERROR_SUCCESS, "\"C:\\Program Files\\my app\\Start.bat\""},
        CommandLineCase{"interpreter syntax", "C:\\a&b^c(d)e;f,g=h!'%\\run.exe", CP_UTF8,
                        ERROR_SUCCESS, "\"C:\\a&b^c(d)e;f,g=h!'%\\Start.bat\""},
        CommandLineCase{"dots in the file name", "C:\\Tools\\launcher.v2.exe.exe", CP_UTF8,
                        ERROR_SUCCESS, "\"C:\\Tools\\Start.bat\""},
        CommandLineCase{"UTF-8 folder and file", "C:\\" + kKanji + kRocket + "\\" + kKanji + ".exe",
                        CP_UTF8, ERROR_SUCCESS, "\"C:\\" + kKanji + kRocket + "\\Start.bat\""},
        // "C:\ツール\ソフト.exe": the '\' inside "ソ" is no separator.
        CommandLineCase{"Shift-JIS trail byte in the file name",
                        "C:\\\x83\x63\x81\x5B\x83\x8B\\\x83\x5C\x83\x74\x83\x67.exe", kShiftJis,
                        ERROR_SUCCESS, "\"C:\\\x83\x63\x81\x5B\x83\x8B\\Start.bat\""},
        // "C:\ソ\go.exe": the folder ends in a trail byte that looks like '\'.
        CommandLineCase{"Shift-JIS trail byte ends the folder", "C:\\\x83\x5C\\go.exe", kShiftJis,
                        ERROR_SUCCESS, "\"C:\\\x83\x5C\\Start.bat\""},
        // The same bytes in a single-byte code page are two characters and a separator.
        CommandLineCase{"single-byte code page", "C:\\a\x83\\go.exe", kWestern, ERROR_SUCCESS,
                        "\"C:\\a\x83\\Start.bat\""},
        CommandLineCase{"no folder", "launcher.exe", CP_UTF8, ERROR_BAD_PATHNAME, ""},
        CommandLineCase{"empty name", "", CP_UTF8, ERROR_BAD_PATHNAME, ""},
        CommandLineCase{"quote in the folder", "C:\\a\"b\\go.exe", CP_UTF8, ERROR_BAD_PATHNAME,
                        ""},
        CommandLineCase{"batch path at the limit",
                        "C:\\" + std::string(kLongestFolder - 3, 'f') + "\\go.exe", CP_UTF8,
                        ERROR_SUCCESS,
                        "\"C:\\" + std::string(kLongestFolder - 3, 'f') + "\\Start.bat\""},
        CommandLineCase{"batch path one over the limit",
                        "C:\\" + std::string(kLongestFolder - 2, 'f') + "\\go.exe", CP_UTF8,
                        ERROR_INSUFFICIENT_BUFFER, ""},
        // The limit counts characters: three bytes each here, all of them fit.
        CommandLineCase{"three-byte characters at the limit",
                        "C:\\" + Repeat(kKanji, kLongestFolder - 3) + "\\go.exe", CP_UTF8,
                        ERROR_SUCCESS,
                        "\"C:\\" + Repeat(kKanji, kLongestFolder - 3) + "\\Start.bat\""},
        CommandLineCase{"three-byte characters one over the limit",
                        "C:\\" + Repeat(kKanji, kLongestFolder - 2) + "\\go.exe", CP_UTF8,
                        ERROR_INSUFFICIENT_BUFFER, ""},
        // An emoji is two characters to the system.
        CommandLineCase{"emoji over the limit",
                        "C:\\" + std::string(kLongestFolder - 4, 'f') + kRocket + "\\go.exe",
                        CP_UTF8, ERROR_INSUFFICIENT_BUFFER, ""}),
    [](const testing::TestParamInfo<CommandLineCase>& info) {
      std::string name;
      for (const char ch : std::string(info.param.what)) {
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      }
      return name;
    });

TEST(BuildCommandLineTest, NeverWritesPastItsBufferWhateverTheCharacterCount) {
  // Three bytes a character is the most the buffer allows for; a code page that took
  // more must not overrun it.
  const DWORD mostBytes = kCommandLineCapacity - sizeof "\"\\Start.bat\"";
  const std::string folder(mostBytes + 1, 'f');
  char commandLine[kCommandLineCapacity];
  EXPECT_EQ(BuildCommandLine(folder.data(), mostBytes, kLongestFolder, commandLine),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(std::string(commandLine).size(), kCommandLineCapacity - 1);
  EXPECT_EQ(BuildCommandLine(folder.data(), mostBytes + 1, kLongestFolder, commandLine),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(ProgramFolderLengthTest, StopsAtTheGivenLengthEvenWithoutATerminator) {
  // GetModuleFileNameA may leave a truncated name unterminated.
  const char name[] = {'C', ':', '\\', 'a', '\\', 'b', '\\', 'c'};
  EXPECT_EQ(ProgramFolderLength(name, 4, NoLeadBytes), 2u);
  EXPECT_EQ(ProgramFolderLength(name, sizeof name, NoLeadBytes), 6u);
}

}  // namespace
}  // namespace launcher
