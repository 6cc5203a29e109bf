// The shipped file itself: its headers, as the Windows loader reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "support.h"

namespace e2e {
namespace {

class BuiltProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    image_ = ReadTextFile(BuiltProgram(L"launcher.exe"));
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

}  // namespace
}  // namespace e2e
