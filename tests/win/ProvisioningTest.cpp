#include <gtest/gtest.h>

#include "engine/ShellFolderLookup.h"
#include "support/ExpectedTexts.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"
#include "system/UniqueHandle.h"
#include "ui/RemoveApp.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::TempFolderRedirect;
using testing::WriteFileBytes;

// Reads a file as a reader that shares everything with its other users.
std::string ReadSharingEverything(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<cannot open: " + std::to_string(GetLastError()) + ">";
  std::string bytes(64 * 1024, '\0');
  DWORD read = 0;
  ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

class Provisioning : public ::testing::Test {
 protected:
  ScratchFolder temp;
  TempFolderRedirect redirect{temp.Path()};
  ShellFolderLookup folders;
  std::string scriptPath = temp / "win.dat";
  // The file holds the resource's bytes with one CR LF added after the last line.
  std::string expectedFile = testing::DefaultScriptBytes() + "\r\n";
};

TEST_F(Provisioning, WritesTheScriptOpensItAndShowsTheProgramInfo) {
  TfRemoveApp app(folders);
  app.FormCreate();

  EXPECT_EQ(app.TempDir, temp.Path() + "\\");
  EXPECT_EQ(app.ExeDir.back(), '\\');
  EXPECT_EQ(app.AppDataDir, *GetSpecialFolder(26) + "\\");
  EXPECT_EQ(app.LocalAppDataDir, *GetSpecialFolder(28) + "\\");
  EXPECT_EQ(ReadSharingEverything(scriptPath), expectedFile);
  EXPECT_EQ(app.lblCategory.Text(), "검색도우미");
  EXPECT_EQ(app.lblName.Text(), "lumenseek");
  ASSERT_NE(app.ScriptReader(), nullptr);

  app.FormClose();
  EXPECT_FALSE(FileExists(scriptPath));
  EXPECT_EQ(app.ScriptReader(), nullptr);
  EXPECT_EQ(app.lblName.Text(), "lumenseek");  // closing leaves the labels alone
}

TEST_F(Provisioning, StaleCopyIsReplaced) {
  WriteFileBytes(scriptPath, std::string(10000, 'x') + "\r\n[APPTYPE]\r\ntitle=stale\r\n");
  TfRemoveApp app(folders);
  app.FormCreate();
  EXPECT_EQ(ReadSharingEverything(scriptPath), expectedFile);
  EXPECT_EQ(app.lblName.Text(), "lumenseek");
  app.FormClose();
}

TEST_F(Provisioning, TheFileCanBeReadButNotWrittenMovedOrDeletedWhileTheWindowIsOpen) {
  TfRemoveApp app(folders);
  app.FormCreate();
  EXPECT_EQ(ReadSharingEverything(scriptPath), expectedFile);

  const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE writer = CreateFileA(scriptPath.c_str(), GENERIC_WRITE, shareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  // Swapping the name needs a rename or a deletion first; both are refused.
  EXPECT_FALSE(MoveFileA(scriptPath.c_str(), (temp / "moved.dat").c_str()));
  EXPECT_FALSE(DeleteFileA(scriptPath.c_str()));

  EntryList list;
  app.ScriptReader()->ReadSectionEntries("FILE", list);
  EXPECT_EQ(list, (EntryList{"item1=%PROGRAM_FILES%\\lumenseek\\*.*", "item2="}));
  app.FormClose();
  EXPECT_FALSE(FileExists(scriptPath));
  EXPECT_FALSE(FileExists(temp / "moved.dat"));
}

TEST_F(Provisioning, CloseDeletesTheFileEvenWhileSomeoneReadsIt) {
  TfRemoveApp app(folders);
  app.FormCreate();
  UniqueFile reader(CreateFileA(scriptPath.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_TRUE(reader);
  app.FormClose();
  reader.reset();  // the file goes with its last handle
  EXPECT_FALSE(FileExists(scriptPath));
}

TEST_F(Provisioning, LinkPlantedAtTheNameIsNotWrittenThrough) {
  // A hard link at win.dat to another file: writing through the name would
  // overwrite that file. The name is removed and created anew instead.
  const std::string victim = temp / "victim.txt";
  WriteFileBytes(victim, "precious");
  ASSERT_TRUE(CreateHardLinkA(scriptPath.c_str(), victim.c_str(), nullptr));
  TfRemoveApp app(folders);
  app.FormCreate();
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_EQ(ReadSharingEverything(scriptPath), expectedFile);
  app.FormClose();
  EXPECT_EQ(ReadFileBytes(victim), "precious");
}

TEST_F(Provisioning, MissingResourceRaisesAndLeavesTheDesignCaptions) {
  TfRemoveApp app(folders, GetModuleHandleA(nullptr), "NoSuchScript");
  try {
    app.FormCreate();
    FAIL() << "no error raised";
  } catch (const ScriptFileError& error) {
    EXPECT_STREQ(error.what(), "Resource NoSuchScript not found");
  }
  EXPECT_EQ(app.TempDir, temp.Path() + "\\");  // the folders come first
  EXPECT_EQ(app.lblCategory.Text(), expected::kCategoryCaption);
  EXPECT_EQ(app.lblName.Text(), expected::kNameCaption);
  EXPECT_EQ(app.ScriptReader(), nullptr);
  EXPECT_FALSE(FileExists(scriptPath));
  EXPECT_NO_THROW(app.FormClose());
}

TEST_F(Provisioning, UncreatableFileRaisesWithThePathAndTheSystemText) {
  ASSERT_TRUE(CreateDirectoryA(scriptPath.c_str(), nullptr));  // a folder squats the name
  TfRemoveApp app(folders);
  try {
    app.FormCreate();
    FAIL() << "no error raised";
  } catch (const ScriptFileError& error) {
    const std::string prefix = "Cannot create file \"" + scriptPath + "\". ";
    const std::string message = error.what();
    EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
    EXPECT_GT(message.size(), prefix.size()) << "no system text";
  }
  EXPECT_EQ(app.ScriptReader(), nullptr);
  EXPECT_EQ(app.lblName.Text(), expected::kNameCaption);
  app.FormClose();
  EXPECT_NE(GetFileAttributesA(scriptPath.c_str()), INVALID_FILE_ATTRIBUTES);  // folder untouched
}

TEST_F(Provisioning, MissingTempFolderRaisesCannotCreate) {
  TempFolderRedirect gone(temp / "does-not-exist");
  TfRemoveApp app(folders);
  EXPECT_THROW(app.FormCreate(), ScriptFileError);
  EXPECT_EQ(app.ScriptReader(), nullptr);
}

TEST_F(Provisioning, UnknownTempFolderWritesNothingAnywhere) {
  testing::FakeFolders noTemp;
  noTemp.temp = std::nullopt;
  TfRemoveApp app(noTemp);
  try {
    app.FormCreate();
    FAIL() << "no error raised";
  } catch (const ScriptFileError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"win.dat\". ", 0), 0u) << error.what();
  }
  EXPECT_EQ(app.TempDir, "");
  EXPECT_FALSE(FileExists("win.dat"));
  app.FormClose();
}

TEST_F(Provisioning, ExtractionTurnsEveryLineBreakIntoCrLf) {
  // The test module carries a second script with LF, CR and CR LF breaks.
  TfRemoveApp app(folders, GetModuleHandleA(nullptr), "MixedBreaks");
  app.FormCreate();
  EXPECT_EQ(ReadSharingEverything(scriptPath), "[APPTYPE]\r\ncategory=c\r\ntitle=t\r\n\r\n");
  EXPECT_EQ(app.lblCategory.Text(), "c");
  EXPECT_EQ(app.lblName.Text(), "t");
  app.FormClose();
}

}  // namespace
}  // namespace tidemark
