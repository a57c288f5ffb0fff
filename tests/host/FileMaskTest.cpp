#include <gtest/gtest.h>

#include "system/MaskPath.h"

namespace tidemark {
namespace {

void ExpectSplit(const char* path, const char* folder, const char* mask) {
  const std::optional<MaskPath> split = SplitMaskPath(path);
  ASSERT_TRUE(split.has_value()) << path;
  EXPECT_EQ(split->folder, folder) << path;
  EXPECT_EQ(split->mask, mask) << path;
}

TEST(MaskPath, SplitsAtTheLastSeparator) {
  ExpectSplit("C:\\Program Files\\lumenseek\\*.*", "C:\\Program Files\\lumenseek", "*.*");
  ExpectSplit("C:\\*.tmp", "C:\\", "*.tmp");  // the root keeps its backslash
  ExpectSplit("C:*.tmp", "C:", "*.tmp");      // a colon stays with the drive
  ExpectSplit("\\*.tmp", "\\", "*.tmp");      // first character
  ExpectSplit("\\\\server\\share\\a.txt", "\\\\server\\share", "a.txt");
  ExpectSplit("C:\\dir\\\\a.txt", "C:\\dir\\\\", "a.txt");  // doubled backslash stays
  ExpectSplit("C:\\dir\\", "C:\\dir", "");                  // no mask
  ExpectSplit("C:\\\xB0\xCB\\\xBB\xF6.dat", "C:\\\xB0\xCB", "\xBB\xF6.dat");
}

TEST(MaskPath, ForwardSlashEndsTheFolderAsTheFileSearchTakesIt) {
  ExpectSplit("C:\\dir\\sub/*.*", "C:\\dir\\sub", "*.*");  // not "C:\dir" with mask "sub/*.*"
  ExpectSplit("C:/dir/a.txt", "C:\\dir", "a.txt");
  ExpectSplit("C:/*.tmp", "C:\\", "*.tmp");
  ExpectSplit("C:\\dir/\\a.txt", "C:\\dir\\\\", "a.txt");
  ExpectSplit("C:\\dir\\x:y", "C:\\dir\\x:", "y");
}

TEST(MaskPath, BareNameHasNoFolder) {
  EXPECT_FALSE(SplitMaskPath("*.*").has_value());
  EXPECT_FALSE(SplitMaskPath("lumenseek.exe").has_value());
  EXPECT_FALSE(SplitMaskPath("").has_value());
}

TEST(MaskPath, OnlyDriveRootedPathsAreFullyQualified) {
  for (const char* path : {"C:\\", "c:\\x", "Z:/x"}) {
    EXPECT_TRUE(IsFullyQualifiedPath(path)) << path;
  }
  // Network shares and device paths, in every spelling, are not.
  for (const char* path :
       {"", "\\", "\\x", "C:", "C:x", "x\\y", "1:\\x", "\\\\\\x", "drivers", "\\\\server\\share", "//server/share",
        "\\/server\\share", "\\\\?\\C:\\x", "\\\\.\\C:\\x", "//?/C:/x", "\\??\\C:\\x"}) {
    EXPECT_FALSE(IsFullyQualifiedPath(path)) << path;
  }
}

TEST(MaskPath, TrailingBackslashIsAddedOnce) {
  EXPECT_EQ(WithTrailingBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
}

}  // namespace
}  // namespace tidemark
