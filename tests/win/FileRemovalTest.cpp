// Deleting files and folders in real folders under Wine.
#include <gtest/gtest.h>

#include "engine/FileSteps.h"
#include "engine/StatusLines.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"
#include "system/FileRemoval.h"
#include "system/ShellFolders.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::FileExists;
using testing::ScratchFolder;
using testing::StepHarness;
using testing::WriteFileBytes;

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WriteWithAttributes(const std::string& path, DWORD attributes) {
  WriteFileBytes(path, "x");
  SetFileAttributesA(path.c_str(), attributes);
}

// A fake program folder under the scratch folder: %PROGRAM_FILES% points there.
class FileSteps : public ::testing::Test {
 protected:
  FileSteps() {
    folders.folders[38] = scratch.Path();
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA(neighbour.c_str(), nullptr);
    WriteFileBytes(target + "\\lumenseek.exe", "x");
    WriteFileBytes(target + "\\noextension", "x");
    WriteWithAttributes(target + "\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    WriteWithAttributes(target + "\\system.dat", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(neighbour + "\\keep.dat", "x");
  }

  std::vector<std::string> Run(const std::string& script) {
    StepHarness harness(script, &folders);
    RemoveFilesAndFolders(harness);
    return harness.lines;
  }

  ScratchFolder scratch;
  testing::FakeFolders folders;
  std::string target = scratch / "lumenseek";
  std::string neighbour = scratch / "lumenseek2";
};

TEST_F(FileSteps, EmbeddedScriptEmptiesAndRemovesTheProgramFolder) {
  const std::vector<std::string> lines = Run(testing::DefaultScriptBytes());
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRemoveFiles}));
  EXPECT_FALSE(FolderExists(target));
  EXPECT_TRUE(FileExists(neighbour + "\\keep.dat"));
}

TEST_F(FileSteps, SubfolderAndReadOnlyFileKeepTheFolder) {
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  WriteFileBytes(target + "\\sub\\inner.dat", "x");
  WriteWithAttributes(target + "\\readonly.dat", FILE_ATTRIBUTE_READONLY);
  Run(testing::DefaultScriptBytes());
  EXPECT_FALSE(FileExists(target + "\\lumenseek.exe"));
  EXPECT_FALSE(FileExists(target + "\\hidden.dat"));
  EXPECT_TRUE(FileExists(target + "\\sub\\inner.dat"));  // never entered
  EXPECT_TRUE(FileExists(target + "\\readonly.dat"));
  EXPECT_TRUE(FolderExists(target));
}

TEST_F(FileSteps, ChildListedBeforeParentRemovesBoth) {
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek\\*.*\r\n[PATH]\r\na=%PROGRAM_FILES%\\lumenseek\r\nb=%PROGRAM_FILES%\\lumenseek\\sub");
  EXPECT_TRUE(FolderExists(target));  // still held the subfolder at its turn
  EXPECT_FALSE(FolderExists(target + "\\sub"));
  Run("[PATH]\r\nb=%PROGRAM_FILES%\\lumenseek\\sub\r\na=%PROGRAM_FILES%\\lumenseek");
  EXPECT_FALSE(FolderExists(target));
}

TEST_F(FileSteps, PathWalkRunsEvenWhenTheFileWalkEndsAtOnce) {
  CreateDirectoryA((scratch / "empty").c_str(), nullptr);
  Run("[FILE]\r\na=\r\nb=%PROGRAM_FILES%\\lumenseek\\*.*\r\n[PATH]\r\na=%PROGRAM_FILES%\\empty");
  EXPECT_FALSE(FolderExists(scratch / "empty"));
  EXPECT_TRUE(FileExists(target + "\\lumenseek.exe"));
}

TEST_F(FileSteps, UnresolvableMacroSkipsOnlyThatEntry) {
  folders.folders.erase(26);
  Run("[FILE]\r\na=%APPDATA%\\*.*\r\nb=%PROGRAM_FILES%\\lumenseek\\noextension");
  EXPECT_FALSE(FileExists(target + "\\noextension"));
  EXPECT_TRUE(FileExists(target + "\\lumenseek.exe"));
}

TEST_F(FileSteps, MasksThatNameNoFilesDeleteNothing) {
  // A folder without a mask matches the folder itself; a trailing backslash
  // is a pattern the file search rejects; bare names and relative paths
  // would depend on the current folder.
  CreateDirectoryA((scratch / "empty").c_str(), nullptr);
  SetCurrentDirectoryA(target.c_str());
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek\r\nb=%PROGRAM_FILES%\\lumenseek\\\r\nc=*.*\r\nd=lumenseek.exe\r\n"
      "e=..\\lumenseek\\*.*\r\nf=\\lumenseek\\*.*\r\n[PATH]\r\na=..\\empty");
  SetCurrentDirectoryA(scratch.Path().c_str());
  for (const char* name : {"lumenseek.exe", "noextension", "hidden.dat", "system.dat"}) {
    EXPECT_TRUE(FileExists(target + "\\" + name)) << name;
  }
  EXPECT_TRUE(FolderExists(scratch / "empty"));
}

TEST(DeleteFilesInDir, SingleFileAndWildcardMasks) {
  ScratchFolder scratch;
  for (const char* name : {"a.tmp", "b.tmp", "c.log", "\xB0\xCB\xBB\xF6.tmp"}) WriteFileBytes(scratch / name, "x");
  DeleteFilesInDir(scratch.Path(), "c.log");
  EXPECT_FALSE(FileExists(scratch / "c.log"));
  EXPECT_TRUE(FileExists(scratch / "a.tmp"));
  DeleteFilesByMask(scratch / "*.tmp");
  EXPECT_FALSE(FileExists(scratch / "a.tmp"));
  EXPECT_FALSE(FileExists(scratch / "\xB0\xCB\xBB\xF6.tmp"));
  DeleteFilesInDir("", "*.*");  // must not become the root of the drive
  DeleteFilesInDir(scratch.Path() + "\\missing", "*.*");
}

TEST(FileStepsOnProgramFiles, EmbeddedScriptUnderTheRealProgramFilesFolder) {
  const std::string programFiles = *GetSpecialFolder(38);
  const std::string target = programFiles + "\\lumenseek";
  const std::string neighbour = programFiles + "\\lumenseek-neighbour";
  CreateDirectoryA(target.c_str(), nullptr);
  CreateDirectoryA(neighbour.c_str(), nullptr);
  WriteFileBytes(target + "\\lumenseekagent.exe", "x");
  WriteWithAttributes(target + "\\config.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  WriteFileBytes(neighbour + "\\keep.dat", "x");
  StepHarness harness(testing::DefaultScriptBytes());
  RemoveFilesAndFolders(harness);
  EXPECT_FALSE(FolderExists(target));
  EXPECT_TRUE(FileExists(neighbour + "\\keep.dat"));
  testing::RemoveTree(neighbour);
}

}  // namespace
}  // namespace tidemark
