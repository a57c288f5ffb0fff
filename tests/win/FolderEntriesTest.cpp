// The one folder search of the file removal and the preview, on the test
// prefix's real file system.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "system/FolderEntries.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::ScratchFolder;

std::map<std::string, unsigned long> EntriesOf(const std::string& folder, const std::string& mask) {
  std::map<std::string, unsigned long> entries;
  ForEachFolderEntry(folder, mask, [&](const FolderEntry& entry) {
    EXPECT_TRUE(entries.emplace(entry.name, entry.attributes).second) << "twice: " << entry.name;
  });
  return entries;
}

TEST(FolderEntries, FilesAndFoldersWithoutTheDotEntries) {
  ScratchFolder scratch;
  testing::WriteFileBytes(scratch / "plain.dat", "x");
  testing::WriteFileBytes(scratch / "locked.dat", "x");
  ASSERT_TRUE(SetFileAttributesA((scratch / "locked.dat").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA((scratch / "sub").c_str(), nullptr));
  testing::WriteFileBytes(scratch / "sub\\inner.dat", "x");  // below: never listed

  const std::map<std::string, unsigned long> entries = EntriesOf(scratch.Path() + "\\", "*");
  ASSERT_EQ(entries.size(), 3u);
  for (const char* name : {"plain.dat", "locked.dat", "sub"}) ASSERT_EQ(entries.count(name), 1u) << name;
  const auto entry = [&](const char* name) {
    FolderEntry listed;
    listed.name = name;
    listed.attributes = entries.at(name);
    return listed;
  };
  EXPECT_TRUE(entry("sub").IsFolder());
  EXPECT_FALSE(entry("plain.dat").IsFolder());
  EXPECT_TRUE(entry("locked.dat").IsReadOnly());
  EXPECT_FALSE(entry("plain.dat").IsReadOnly());

  // The folder is named with or without its trailing backslash alike.
  EXPECT_EQ(EntriesOf(scratch.Path(), "*"), entries);
  EXPECT_EQ(EntriesOf(scratch.Path(), "*.dat").size(), 2u);
}

TEST(FolderEntries, AFolderThatCannotBeSearchedYieldsNothing) {
  ScratchFolder scratch;
  testing::WriteFileBytes(scratch / "file.dat", "x");
  EXPECT_TRUE(EntriesOf(scratch / "missing", "*").empty());
  EXPECT_TRUE(EntriesOf(scratch / "file.dat", "*").empty());
  EXPECT_TRUE(EntriesOf(scratch.Path(), "*.none").empty());
}

TEST(FolderEntries, ExistingFolderIsNoFile) {
  ScratchFolder scratch;
  testing::WriteFileBytes(scratch / "file.dat", "x");
  EXPECT_TRUE(IsExistingFolder(scratch.Path()));
  EXPECT_TRUE(IsExistingFolder(scratch.Path() + "\\"));
  EXPECT_FALSE(IsExistingFolder(scratch / "file.dat"));
  EXPECT_FALSE(IsExistingFolder(scratch / "missing"));
}

}  // namespace
}  // namespace tidemark
