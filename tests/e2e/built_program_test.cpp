// The shipped file itself: its headers, as the Windows loader reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "built_launcher.h"
#include "support.h"

namespace e2e {
namespace {

class BuiltProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    image_ = ReadTextFile(BuiltProgram(kLauncherFileName));
    ASSERT_GT(image_.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    nt_ = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
    ASSERT_NE(nt_, nullptr);
    ASSERT_EQ(nt_->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
  }

  // A structure at a file offset, or nullptr where the file is too short for it.
  template <class T>
  const T* At(size_t offset) const {
    return offset + sizeof(T) <= image_.size() ? reinterpret_cast<const T*>(&image_[offset])
                                               : nullptr;
  }

  size_t FileOffset(DWORD rva) const {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
      if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData) {
        return rva - section->VirtualAddress + section->PointerToRawData;
      }
    }
    return image_.size();
  }

  const IMAGE_DATA_DIRECTORY& Directory(int index) const {
    return nt_->OptionalHeader.DataDirectory[index];
  }

  std::string image_;
  const IMAGE_NT_HEADERS32* nt_ = nullptr;
};

TEST_F(BuiltProgramTest, IsA32BitWindowsDesktopProgram) {
  EXPECT_EQ(nt_->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt_->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_EQ(nt_->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST_F(BuiltProgramTest, ImportsFromKernel32Alone) {
  std::set<std::string> dlls;
  for (size_t offset = FileOffset(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);;
       offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
    ASSERT_NE(import, nullptr) << "the import table runs past the file";
    if (import->Name == 0) break;
    const size_t name = FileOffset(import->Name);
    ASSERT_LT(name, image_.size());
    dlls.insert(image_.c_str() + name);
  }
  EXPECT_EQ(dlls, std::set<std::string>{"KERNEL32.dll"});
}

TEST_F(BuiltProgramTest, KeepsAddressRandomisationAndDataExecutionPrevention) {
  const WORD characteristics = nt_->OptionalHeader.DllCharacteristics;
  EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
  EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
  // Without relocations the loader cannot move the image, whatever the flag says.
  EXPECT_FALSE(nt_->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
  EXPECT_GT(Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
}

// The ANSI calls below speak UTF-8: the tests carry the launcher's manifest.
std::string Utf8(const std::wstring& text) {
  std::string utf8(text.size() * 4, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
  return utf8;
}

TEST(VersionInformationTest, TellsWhatTheFileIs) {
  ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  const std::string path = Utf8(BuiltProgram(kLauncherFileName));
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty()) << "no version information, error " << GetLastError();
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

  const struct {
    const char* name;
    std::string expected;
  } strings[] = {
      {"FileDescription", kDescription},
      {"ProductName", kProductName},
      {"CompanyName", kCompany},
      {"LegalCopyright", kCopyright},
      {"FileVersion", kVersion},
      {"ProductVersion", kVersion},
      {"OriginalFilename", std::string(kOutputName) + ".exe"},
  };
  for (const auto& string : strings) {
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + string.name;
    char* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
        << string.name << " is missing";
    EXPECT_EQ(std::string(value), string.expected) << string.name;
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(kVersionParts[1], kVersionParts[0]));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(kVersionParts[3], kVersionParts[2]));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// The program's resources, loaded as data.
class ResourcesTest : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(BuiltProgram(kLauncherFileName).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot load the program, error " << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string Resource(LPCSTR type, LPCSTR name) const {
    const HRSRC found = FindResourceA(module_, name, type);
    if (found == nullptr) return "";
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return std::string(data, SizeofResource(module_, found));
  }

  // Every icon group, read while its name is valid.
  std::vector<std::string> IconGroups() const {
    Found found = {this, {}};
    EnumResourceNamesA(module_, RT_GROUP_ICON, ReadIconGroup, reinterpret_cast<LONG_PTR>(&found));
    return found.groups;
  }

  struct Found {
    const ResourcesTest* test;
    std::vector<std::string> groups;
  };
  static BOOL CALLBACK ReadIconGroup(HMODULE, LPCSTR type, LPSTR name, LONG_PTR context) {
    auto* found = reinterpret_cast<Found*>(context);
    found->groups.push_back(found->test->Resource(type, name));
    return TRUE;
  }

  HMODULE module_ = nullptr;
};

TEST_F(ResourcesTest, ManifestAsksForNoElevationAndTheUtf8CodePage) {
  const std::string manifest =
      Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
  ASSERT_FALSE(manifest.empty()) << "no manifest";
  for (const char* expected : {
           // Not elevated, whatever the file is called: "setup.exe" included.
           "<requestedExecutionLevel level=\"asInvoker\"/>",
           ">UTF-8</activeCodePage>",
           "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
           "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
           "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
           "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10 and 11
       }) {
    EXPECT_NE(manifest.find(expected), std::string::npos) << expected;
  }
}

#pragma pack(push, 2)
// An icon file's header, and its entries.
struct IconDirectory {
  WORD reserved, type, count;
};
struct IconFileEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes, offset;
};
// The same in a resource: the image is the RT_ICON resource with the entry's id.
struct IconGroupEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ResourcesTest, CarriesTheIconItWasBuiltWithOrNone) {
  const std::vector<std::string> groups = IconGroups();
  if (kExpectedIcon[0] == L'\0') {
    EXPECT_TRUE(groups.empty()) << "an icon in a build without one";
    return;
  }
  ASSERT_EQ(groups.size(), 1u);

  const std::string file = ReadTextFile(BuiltProgram(kExpectedIcon));
  const std::string& group = groups[0];
  ASSERT_GE(group.size(), sizeof(IconDirectory));
  const auto* fileDirectory = reinterpret_cast<const IconDirectory*>(file.data());
  const auto* groupDirectory = reinterpret_cast<const IconDirectory*>(group.data());
  ASSERT_EQ(groupDirectory->count, fileDirectory->count);
  ASSERT_EQ(group.size(), sizeof(IconDirectory) + groupDirectory->count * sizeof(IconGroupEntry));

  for (WORD i = 0; i < fileDirectory->count; ++i) {
    const auto& fileEntry = reinterpret_cast<const IconFileEntry*>(fileDirectory + 1)[i];
    const auto& groupEntry = reinterpret_cast<const IconGroupEntry*>(groupDirectory + 1)[i];
    EXPECT_EQ(groupEntry.width, fileEntry.width);
    EXPECT_EQ(groupEntry.height, fileEntry.height);
    EXPECT_EQ(groupEntry.bitCount, fileEntry.bitCount);
    EXPECT_EQ(Resource(RT_ICON, MAKEINTRESOURCEA(groupEntry.id)),
              file.substr(fileEntry.offset, fileEntry.bytes))
        << "image " << i << " differs from the icon file";
  }
}

}  // namespace
}  // namespace e2e
