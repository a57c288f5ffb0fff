// The export check on crafted images: the real layout of a PE file's
// headers, one section, and an export directory naming some functions.
#include <gtest/gtest.h>

#include <cstring>

#include "system/PeExports.h"

namespace tidemark {
namespace {

void Put16(std::string& image, std::size_t offset, std::uint16_t value) { std::memcpy(&image[offset], &value, 2); }
void Put32(std::string& image, std::size_t offset, std::uint32_t value) { std::memcpy(&image[offset], &value, 4); }

std::string MakeDll(std::uint16_t machine, bool pe32Plus, const std::vector<std::string>& exports) {
  std::string image(0x400, '\0');
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x40);
  Put32(image, 0x40, 0x4550);
  const std::size_t fileHeader = 0x44;
  const std::uint16_t optionalSize = pe32Plus ? 0xF0 : 0xE0;
  Put16(image, fileHeader, machine);
  Put16(image, fileHeader + 2, 1);
  Put16(image, fileHeader + 16, optionalSize);
  const std::size_t optional = fileHeader + 20;
  Put16(image, optional, pe32Plus ? 0x20B : 0x10B);
  const std::size_t directories = optional + (pe32Plus ? 112 : 96);
  Put32(image, directories - 4, 16);
  Put32(image, directories, 0x1000);  // export directory RVA
  Put32(image, directories + 4, 0x100);
  const std::size_t section = optional + optionalSize;
  Put32(image, section + 8, 0x200);    // virtual size
  Put32(image, section + 12, 0x1000);  // virtual address
  Put32(image, section + 16, 0x200);   // raw size
  Put32(image, section + 20, 0x200);   // raw offset
  // Export directory at file 0x200, the name table at RVA 0x1040, names from 0x1080.
  Put32(image, 0x200 + 24, static_cast<std::uint32_t>(exports.size()));
  Put32(image, 0x200 + 32, 0x1040);
  std::uint32_t nameRva = 0x1080;
  for (std::size_t i = 0; i < exports.size(); ++i) {
    Put32(image, 0x240 + i * 4, nameRva);
    std::memcpy(&image[0x200 + (nameRva - 0x1000)], exports[i].c_str(), exports[i].size() + 1);
    nameRva += static_cast<std::uint32_t>(exports[i].size() + 1);
  }
  return image;
}

const std::vector<std::string> kComExports{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                           "DllUnregisterServer"};

TEST(PeExports, FindsTheExportInBothImageFormats) {
  EXPECT_TRUE(PeImageExports(MakeDll(kMachineAmd64, true, kComExports), kMachineAmd64, "DllRegisterServer"));
  EXPECT_TRUE(PeImageExports(MakeDll(kMachineI386, false, kComExports), kMachineI386, "DllRegisterServer"));
}

TEST(PeExports, MissingExportOrOtherMachineIsNo) {
  EXPECT_FALSE(PeImageExports(MakeDll(kMachineAmd64, true, {"DllUnregisterServer", "DllRegisterServerEx"}),
                              kMachineAmd64, "DllRegisterServer"));
  EXPECT_FALSE(PeImageExports(MakeDll(kMachineAmd64, true, {}), kMachineAmd64, "DllRegisterServer"));
  // A module of the other architecture cannot be loaded by this process.
  EXPECT_FALSE(PeImageExports(MakeDll(kMachineI386, false, kComExports), kMachineAmd64, "DllRegisterServer"));
}

TEST(PeExports, NotAnImageIsNo) {
  EXPECT_FALSE(PeImageExports("", kMachineAmd64, "DllRegisterServer"));
  EXPECT_FALSE(PeImageExports("MZ", kMachineAmd64, "DllRegisterServer"));
  EXPECT_FALSE(PeImageExports(std::string(4096, 'A'), kMachineAmd64, "DllRegisterServer"));
}

TEST(PeExports, TruncatedImagesAreRejectedWithoutReadingPastTheEnd) {
  const std::string image = MakeDll(kMachineAmd64, true, kComExports);
  // "DllRegisterServer" and its zero end at file offset 0x2B4; any shorter
  // copy loses part of what the lookup needs, and the sanitizers catch a
  // read past the end.
  for (std::size_t length = 0; length < 0x2B4; ++length) {
    EXPECT_FALSE(PeImageExports(image.substr(0, length), kMachineAmd64, "DllRegisterServer")) << length;
  }
  EXPECT_TRUE(PeImageExports(image.substr(0, 0x2B4), kMachineAmd64, "DllRegisterServer"));
}

TEST(PeExports, HostileFieldsAreRejected) {
  std::string hugeCount = MakeDll(kMachineAmd64, true, kComExports);
  Put32(hugeCount, 0x200 + 24, 0xFFFFFFFF);  // more names than the file holds
  EXPECT_TRUE(PeImageExports(hugeCount, kMachineAmd64, "DllCanUnloadNow"));
  std::string badNames = MakeDll(kMachineAmd64, true, {"DllRegisterServer"});
  Put32(badNames, 0x240, 0xFFFFFFF0);  // name outside every section
  EXPECT_FALSE(PeImageExports(badNames, kMachineAmd64, "DllRegisterServer"));
  std::string badHeader = MakeDll(kMachineAmd64, true, kComExports);
  Put32(badHeader, 0x3C, 0xFFFFFFF0);
  EXPECT_FALSE(PeImageExports(badHeader, kMachineAmd64, "DllRegisterServer"));
}

// Found by fuzzing: every name of a crafted image pointing into megabytes of
// text without an end, behind 65535 section headers. Each name must cost a
// look-up among sorted sections and a read of the function's own length, or
// the [BHO] step would spend minutes on one file. The CTest time-out is what
// fails the slow reading; the test itself checks only the answers.
TEST(PeExports, CraftedLargeImageIsReadInFullWithoutRescanning) {
  constexpr std::size_t kSize = 0x400000;
  std::string image(kSize, 'A');
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x40);
  Put32(image, 0x40, 0x4550);
  const std::size_t fileHeader = 0x44, optional = fileHeader + 20, optionalSize = 0xF0;
  Put16(image, fileHeader, kMachineAmd64);
  Put16(image, fileHeader + 2, 0xFFFF);
  Put16(image, fileHeader + 16, optionalSize);
  Put16(image, optional, 0x20B);
  const std::size_t directories = optional + 112;
  Put32(image, directories - 4, 16);
  constexpr std::uint32_t kBase = 0x1000;  // the one real section maps the whole file from this address
  constexpr std::size_t kDirectory = 0x290000, kNames = 0x290100, kText = 0x2D0100, kCount = 0x10000;
  Put32(image, directories, kBase + kDirectory);
  // The junk headers (all 'A') lie above every address used; the real one is last.
  const std::size_t last = optional + optionalSize + 0xFFFEu * 40;
  Put32(image, last + 8, kSize);
  Put32(image, last + 12, kBase);
  Put32(image, last + 16, kSize);
  Put32(image, last + 20, 0);
  Put32(image, kDirectory + 24, 0xFFFFFFFF);  // far more names than any image may have
  Put32(image, kDirectory + 32, kBase + kNames);
  for (std::size_t i = 0; i < kCount; ++i) Put32(image, kNames + i * 4, kBase + kText);
  EXPECT_FALSE(PeImageExports(image, kMachineAmd64, "DllRegisterServer"));

  // The last name the bound lets through is the real one: the whole table was read.
  std::memcpy(&image[kSize - 0x20], "DllRegisterServer", 18);
  Put32(image, kNames + (kCount - 1) * 4, static_cast<std::uint32_t>(kBase + kSize - 0x20));
  EXPECT_TRUE(PeImageExports(image, kMachineAmd64, "DllRegisterServer"));
  // One name beyond the bound is never looked at.
  Put32(image, kNames + (kCount - 1) * 4, kBase + kText);
  Put32(image, kNames + kCount * 4, static_cast<std::uint32_t>(kBase + kSize - 0x20));
  EXPECT_FALSE(PeImageExports(image, kMachineAmd64, "DllRegisterServer"));
}

}  // namespace
}  // namespace tidemark
