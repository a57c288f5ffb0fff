// The program's resources as Windows reads them from the built Tidemark.exe
// itself, mapped as a data file: no code of it runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/TestFiles.h"
#include "system/UniqueHandle.h"
#include "ui/PackedBitmap.h"

namespace tidemark {
namespace {

constexpr WORD kManifestType = 24;  // RT_MANIFEST
constexpr WORD kManifestId = 1;     // CREATEPROCESS_MANIFEST_RESOURCE_ID

// Tidemark.exe of this build, loaded once for its resources and kept until
// the test program ends.
HMODULE Program() {
  static const HMODULE program =
      LoadLibraryExA(TIDEMARK_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  return program;
}

// The bytes of a resource of the program, empty when it is missing. Module
// resources stay mapped while the module is loaded and need no release.
std::string_view BytesOf(HRSRC info) {
  if (!info) return {};
  HGLOBAL loaded = LoadResource(Program(), info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return {static_cast<const char*>(data), SizeofResource(Program(), info)};
}

std::string_view ResourceBytes(const char* name, const char* type) {
  return BytesOf(FindResourceA(Program(), name, type));
}

TEST(ResourcesProgram, TheBuiltProgramIsLoadedAsAFileOfData) {
  ASSERT_NE(Program(), nullptr) << TIDEMARK_EXE << ": error " << GetLastError();
}

TEST(ResourcesScript, TheProgramCarriesTheScriptAsAKoreanResource) {
  const std::string_view script =
      BytesOf(FindResourceExA(Program(), MAKEINTRESOURCEA(10), "RESDATA", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)));
  EXPECT_EQ(std::string(script), testing::DefaultScriptBytes());
}

template <typename T>
T ReadAt(std::string_view bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// --- Version resource --------------------------------------------------------

// The version block as GetFileVersionInfoA reads it from this module's file.
class FileVersionInfo {
 public:
  FileVersionInfo() {
    const char* path = TIDEMARK_EXE;
    DWORD ignored = 0;
    m_block.resize(GetFileVersionInfoSizeA(path, &ignored));
    if (!m_block.empty() && !GetFileVersionInfoA(path, 0, static_cast<DWORD>(m_block.size()), m_block.data())) {
      m_block.clear();
    }
  }

  bool Loaded() const { return !m_block.empty(); }

  // The value at a VerQueryValueA path with its length, or nullptr.
  std::pair<const void*, UINT> Query(const char* subBlock) const {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block.data(), subBlock, &value, &length)) return {nullptr, 0};
    return {value, length};
  }

 private:
  std::vector<char> m_block;
};

std::string StringEntry(const FileVersionInfo& info, const std::string& name) {
  const std::string path = "\\StringFileInfo\\041203B5\\" + name;
  const auto [value, length] = info.Query(path.c_str());
  if (!value) return "<missing>";
  // The length may or may not count the terminating zero.
  return std::string(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
}

// The children of a node of the raw version resource, by key. Each node is
// its length, its value's length, its type (1: text, counted in UTF-16
// units), a zero-terminated UTF-16 key, padding to four bytes, the value,
// padding, and then its children, each starting on four bytes.
std::vector<std::pair<std::string, std::string_view>> Children(std::string_view node) {
  auto alignUp = [](std::size_t offset) { return (offset + 3) & ~std::size_t{3}; };
  // The key of the node at the offset (ASCII here) and the offset after it.
  auto key = [&](std::size_t offset, std::string* text) {
    std::size_t at = offset + 6;
    for (; at + 1 < node.size() && ReadAt<std::uint16_t>(node, at) != 0; at += 2) {
      if (text) *text += static_cast<char>(ReadAt<std::uint16_t>(node, at));
    }
    return at + 2;
  };
  const std::size_t valueBytes = ReadAt<std::uint16_t>(node, 2) * (ReadAt<std::uint16_t>(node, 4) == 1 ? 2u : 1u);

  std::vector<std::pair<std::string, std::string_view>> children;
  std::size_t offset = alignUp(alignUp(key(0, nullptr)) + valueBytes);
  while (offset + 6 < node.size()) {
    const std::size_t length = ReadAt<std::uint16_t>(node, offset);
    if (length == 0) break;
    std::string text;
    key(offset, &text);
    children.emplace_back(text, node.substr(offset, length));
    offset = alignUp(offset + length);
  }
  return children;
}

std::vector<std::string> ChildKeys(std::string_view node) {
  std::vector<std::string> keys;
  for (const auto& child : Children(node)) keys.push_back(child.first);
  return keys;
}

std::string_view ChildNode(std::string_view node, const std::string& key) {
  for (const auto& child : Children(node)) {
    if (child.first == key) return child.second;
  }
  return {};
}

TEST(ResourcesVersion, FixedPartIsVersion1110OfAWin32Application) {
  const FileVersionInfo info;
  ASSERT_TRUE(info.Loaded()) << GetLastError();
  const auto [value, length] = info.Query("\\");
  ASSERT_NE(value, nullptr);
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010001u);  // 1.1
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00010000u);  // .1.0
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00010001u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileFlags, 0u);
  EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(ResourcesVersion, KoreanStringTableHasTheTwoVersionsAndEmptyStandardEntries) {
  const FileVersionInfo info;
  ASSERT_TRUE(info.Loaded()) << GetLastError();
  EXPECT_EQ(StringEntry(info, "FileVersion"), "1.1.1.0");
  // The product version string differs from the fixed product version.
  EXPECT_EQ(StringEntry(info, "ProductVersion"), "1.0.0.0");
  for (const char* name : {"CompanyName", "FileDescription", "InternalName", "LegalCopyright", "LegalTrademarks",
                           "OriginalFilename", "ProductName", "Comments"}) {
    EXPECT_EQ(StringEntry(info, name), "") << name;
  }

  const auto [value, length] = info.Query("\\VarFileInfo\\Translation");
  ASSERT_NE(value, nullptr);
  ASSERT_EQ(length, 4u);  // one language and code page pair
  const auto* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(translation[0], 0x0412);
  EXPECT_EQ(translation[1], 949);
}

TEST(ResourcesVersion, OneStringTableWithExactlyTheStandardEntries) {
  const std::string_view root = ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(ChildKeys(root), (std::vector<std::string>{"StringFileInfo", "VarFileInfo"}));
  const std::string_view strings = ChildNode(root, "StringFileInfo");
  EXPECT_EQ(ChildKeys(strings), std::vector<std::string>{"041203B5"});

  std::vector<std::string> entries = ChildKeys(ChildNode(strings, "041203B5"));
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Comments", "CompanyName", "FileDescription", "FileVersion",
                                               "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
                                               "ProductName", "ProductVersion"}));
}

// --- Icon and picture --------------------------------------------------------

struct IconImage {
  int size;
  int bits;
  bool operator<(const IconImage& other) const { return std::pair(bits, size) < std::pair(other.bits, other.size); }
  bool operator==(const IconImage& other) const { return size == other.size && bits == other.bits; }
};

void PrintTo(const IconImage& image, std::ostream* out) {
  *out << image.size << "x" << image.size << "@" << image.bits;
}

// The size and depth that an RT_ICON image declares in its own data: a PNG
// image (allowed for 256 x 256) in its header chunk, a DIB in its
// BITMAPINFOHEADER, whose height counts the colour image and the mask.
IconImage DeclaredByImage(std::string_view data) {
  static constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
  if (data.substr(0, 8) == std::string_view(kPngSignature, 8)) {
    auto bigEndian = [&](std::size_t at) {
      return static_cast<int>(static_cast<unsigned char>(data[at]) << 24 |
                              static_cast<unsigned char>(data[at + 1]) << 16 |
                              static_cast<unsigned char>(data[at + 2]) << 8 | static_cast<unsigned char>(data[at + 3]));
    };
    const int width = bigEndian(16);
    const bool rgbaOf8Bits = data.size() > 25 && data[24] == 8 && data[25] == 6;
    return {width == bigEndian(20) ? width : -1, rgbaOf8Bits ? 32 : -1};
  }
  const auto header = ReadAt<BITMAPINFOHEADER>(data, 0);
  if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biHeight != 2 * header.biWidth) return {-1, -1};
  return {header.biWidth, header.biBitCount};
}

TEST(ResourcesIcon, MainIconHasTheSevenImages) {
  const std::string_view group = ResourceBytes("MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_GE(group.size(), 6u);
  EXPECT_EQ(ReadAt<WORD>(group, 2), 1);  // icons, not cursors
  const WORD count = ReadAt<WORD>(group, 4);
  ASSERT_EQ(group.size(), 6u + 14u * count);

  std::vector<IconImage> listed;
  for (WORD i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 14 * i;
    // Width and height are bytes; 0 stands for 256.
    const int width = ReadAt<BYTE>(group, entry) == 0 ? 256 : ReadAt<BYTE>(group, entry);
    const int height = ReadAt<BYTE>(group, entry + 1) == 0 ? 256 : ReadAt<BYTE>(group, entry + 1);
    const IconImage image{width, ReadAt<WORD>(group, entry + 6)};
    EXPECT_EQ(width, height);
    listed.push_back(image);

    // Each entry names an RT_ICON image whose own data agrees with it.
    const WORD id = ReadAt<WORD>(group, entry + 12);
    const std::string_view data = ResourceBytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
    ASSERT_FALSE(data.empty()) << "image " << id;
    EXPECT_EQ(data.size(), ReadAt<DWORD>(group, entry + 8)) << "image " << id;
    EXPECT_EQ(DeclaredByImage(data), image) << "image " << id;
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<IconImage>{{16, 8}, {32, 8}, {16, 32}, {32, 32}, {48, 32}, {128, 32}, {256, 32}}));
}

TEST(ResourcesIcon, SystemLoadsTheIconAtTheStandardSizes) {
  for (const int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(Program(), "MAINICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
    BITMAP colour{};
    EXPECT_TRUE(GetObjectA(info.hbmColor, sizeof colour, &colour)) << size;
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// The About window's own unpacking of the picture gives the pixels of the
// .bmp it was packed from.
TEST(ResourcesPicture, AboutPictureUnpacksTo256By256At24BitsWithThePixelsOfAboutBmp) {
  const UniqueBitmap picture = LoadPackedBitmap(Program(), "ABOUTBITMAP");
  ASSERT_TRUE(picture);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(picture.get(), sizeof section, &section), static_cast<int>(sizeof section));
  EXPECT_EQ(section.dsBm.bmWidth, 256);
  EXPECT_EQ(section.dsBm.bmHeight, 256);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(section.dsBmih.biHeight, 256);  // bottom-up, as a loaded .bmp
  ASSERT_NE(section.dsBm.bmBits, nullptr);

  const std::string bmp = testing::ReadWholeFile(TIDEMARK_ABOUT_BMP);
  constexpr std::size_t kRowsSize = 256u * 256u * 3u;
  const std::size_t rowsAt = ReadAt<DWORD>(bmp, 10);  // bfOffBits
  ASSERT_EQ(bmp.size(), rowsAt + kRowsSize) << TIDEMARK_ABOUT_BMP;
  const std::string_view expected(bmp.data() + rowsAt, kRowsSize);
  const std::string_view unpacked(static_cast<const char*>(section.dsBm.bmBits), kRowsSize);
  const auto differ = std::mismatch(expected.begin(), expected.end(), unpacked.begin());
  EXPECT_EQ(differ.first, expected.end()) << "first different byte at " << (differ.first - expected.begin());
}

TEST(ResourcesPicture, PictureIsStoredPackedNotAsABitmap) {
  EXPECT_EQ(FindResourceA(Program(), "ABOUTBITMAP", MAKEINTRESOURCEA(2)), nullptr);    // RT_BITMAP
  const std::string_view packed = ResourceBytes("ABOUTBITMAP", MAKEINTRESOURCEA(10));  // RT_RCDATA
  ASSERT_FALSE(packed.empty());
  EXPECT_LT(packed.size(), 256u * 256u * 3u / 4u);
}

// --- Manifest ----------------------------------------------------------------

// The text of the first start tag of an element, "" when there is none.
std::string StartTag(std::string_view xml, std::string_view element) {
  const std::size_t start = xml.find("<" + std::string(element));
  if (start == std::string_view::npos) return "";
  const std::size_t end = xml.find('>', start);
  return std::string(xml.substr(start, end == std::string_view::npos ? end : end - start + 1));
}

std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string marker = " " + std::string(name) + "=\"";
  const std::size_t start = tag.find(marker);
  if (start == std::string_view::npos) return "<missing>";
  const std::size_t valueStart = start + marker.size();
  return std::string(tag.substr(valueStart, tag.find('"', valueStart) - valueStart));
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(ResourcesManifest, OneManifestAskingForAdministratorWithTheClassicLook) {
  int manifests = 0;
  EnumResourceNamesA(Program(), MAKEINTRESOURCEA(kManifestType), CountName, reinterpret_cast<LONG_PTR>(&manifests));
  EXPECT_EQ(manifests, 1);

  const std::string_view manifest = ResourceBytes(MAKEINTRESOURCEA(kManifestId), MAKEINTRESOURCEA(kManifestType));
  ASSERT_FALSE(manifest.empty());

  const std::string identity = StartTag(manifest, "assemblyIdentity");
  EXPECT_EQ(Attribute(identity, "version"), "1.0.0.0");
  // The loader refuses a program whose manifest names another architecture.
  EXPECT_EQ(Attribute(identity, "processorArchitecture"), sizeof(void*) == 8 ? "amd64" : "X86");
  EXPECT_EQ(Attribute(identity, "name"), "Tidemark");
  EXPECT_EQ(Attribute(identity, "type"), "win32");
  EXPECT_NE(manifest.find("<description>elevate execution level</description>"), std::string_view::npos);

  const std::string level = StartTag(manifest, "requestedExecutionLevel");
  EXPECT_EQ(Attribute(level, "level"), "requireAdministrator");
  EXPECT_EQ(Attribute(level, "uiAccess"), "<missing>");
  EXPECT_EQ(manifest.find("uiAccess"), std::string_view::npos);

  // Without a dependency on version 6 of the common controls the windows keep
  // the classic, unthemed look.
  EXPECT_EQ(manifest.find("<dependency"), std::string_view::npos);
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string_view::npos);
}

}  // namespace
}  // namespace tidemark
