// Deleting files and folders in real folders under Wine.
#include <gtest/gtest.h>

#include "engine/FileRemoval.h"
#include "engine/FileSteps.h"
#include "engine/LeftOvers.h"
#include "engine/Preview.h"
#include "engine/RemovalRun.h"
#include "support/ExpectedTexts.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"
#include "system/ShellFolders.h"
#include "win/PendingOperations.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::FileExists;
using testing::FolderExists;
using testing::ScratchFolder;
using testing::StepHarness;
using testing::WriteFileBytes;

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
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveFiles}));
  EXPECT_FALSE(FolderExists(target));
  EXPECT_TRUE(FileExists(neighbour + "\\keep.dat"));
}

// U+20A9 WON SIGN: code page 949 lacks it, and its ANSI best fit is "\".
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
constexpr wchar_t kWon = L'\u20A9';

bool PlantWide(const std::string& folder, const std::wstring& name) {
  const HANDLE file = CreateFileW((Wide(folder) + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool WideExists(const std::string& folder, const std::wstring& name) {
  return GetFileAttributesW((Wide(folder) + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(FileSteps, BestFitNamesAreDeletedInTheirOwnFolderNeverOutsideIt) {
  // Mended fault: FindFirstFileA lists "..<won>decoy.txt" as "..\decoy.txt",
  // and the folder joined to that name deleted a file outside the folder
  // that the [FILE] value names, anywhere on the drive.
  const std::string scratchName = scratch.Path().substr(scratch.Path().find_last_of('\\') + 1);
  WriteFileBytes(scratch / "decoy.txt", "keep");
  const std::wstring up = std::wstring(L"..") + kWon + L"decoy.txt";
  const std::wstring across =
      std::wstring(L"..") + kWon + L".." + kWon + Wide(scratchName) + kWon + L"lumenseek2" + kWon + L"keep.dat";
  ASSERT_TRUE(PlantWide(target, up));
  ASSERT_TRUE(PlantWide(target, across));

  StepHarness previewHarness(testing::DefaultScriptBytes(), &folders);
  const PreviewReport preview = BuildPreview(previewHarness.Script(), folders);
  EXPECT_EQ(preview.files.size(), 6u);  // the four files, and the two planted ones in the folder itself
  ASSERT_EQ(preview.folders.size(), 1u);
  EXPECT_TRUE(preview.folders[0].wouldBeEmpty);

  Run(testing::DefaultScriptBytes());
  EXPECT_TRUE(FileExists(scratch / "decoy.txt"));
  EXPECT_TRUE(FileExists(neighbour + "\\keep.dat"));
  EXPECT_FALSE(WideExists(target, up));  // gone through their exact wide names
  EXPECT_FALSE(WideExists(target, across));
  EXPECT_FALSE(FolderExists(target));
}

TEST_F(FileSteps, SubfolderKeepsTheFolderReadOnlyFilesGo) {
  // Mended fault: a read-only file stayed, and with it the folder; the
  // attribute is a common way for a target to survive its removal.
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  WriteFileBytes(target + "\\sub\\inner.dat", "x");
  WriteWithAttributes(target + "\\readonly.dat", FILE_ATTRIBUTE_READONLY);
  WriteWithAttributes(target + "\\everything.dat",
                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  WriteWithAttributes(neighbour + "\\readonly-decoy.dat", FILE_ATTRIBUTE_READONLY);
  Run(testing::DefaultScriptBytes());
  EXPECT_FALSE(FileExists(target + "\\lumenseek.exe"));
  EXPECT_FALSE(FileExists(target + "\\hidden.dat"));
  EXPECT_FALSE(FileExists(target + "\\readonly.dat"));
  EXPECT_FALSE(FileExists(target + "\\everything.dat"));
  EXPECT_TRUE(FileExists(target + "\\sub\\inner.dat"));  // never entered
  EXPECT_TRUE(FolderExists(target));
  // Only files the run deletes lose the attribute.
  EXPECT_EQ(GetFileAttributesA((neighbour + "\\readonly-decoy.dat").c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(FileSteps, AFileInUseGoesAtTheRestartAndItsFolderAfterIt) {
  // Mended fault: a DLL held by a program the script does not name stayed,
  // and so did its folder, while the run said the removal was complete.
  const testing::PendingOperationsOfTheCase pending(Wide(target));
  WriteFileBytes(target + "\\hook.dll", "x");
  const HANDLE holder =
      CreateFileA((target + "\\hook.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  WriteFileBytes(neighbour + "\\hook.dll", "decoy");

  StepHarness harness(testing::DefaultScriptBytes(), &folders);
  const PreviewReport preview = BuildPreview(harness.Script(), folders);
  bool previewedInUse = false;
  for (const FilePreview& file : preview.files) previewedInUse |= file.inUse && file.path == target + "\\hook.dll";
  EXPECT_TRUE(previewedInUse);

  RemoveFilesAndFolders(harness);
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kRemoveFiles}));
  EXPECT_TRUE(FileExists(target + "\\hook.dll"));  // still held
  EXPECT_FALSE(FileExists(target + "\\lumenseek.exe"));

  // The file, then its folder, each to be deleted (an empty target).
  std::vector<std::wstring> ours;
  const std::vector<std::wstring> strings = testing::PendingOperationsOfTheCase::Read();
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].find(Wide(target)) == std::wstring::npos) continue;
    EXPECT_TRUE(strings[i + 1].empty());
    ours.push_back(strings[i]);
  }
  EXPECT_EQ(ours, (std::vector<std::wstring>{L"\\??\\" + Wide(target) + L"\\hook.dll", L"\\??\\" + Wide(target)}));

  // The run's last word names both as going at the restart.
  const std::vector<LeftOver> left = FindLeftOvers(harness.Script(), folders, kStartButtonSwitches);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].name, target + "\\hook.dll");
  EXPECT_EQ(left[1].name, target);
  EXPECT_TRUE(left[0].scheduledForRestart && left[1].scheduledForRestart);

  // A second run schedules nothing twice.
  RemoveFilesAndFolders(harness);
  EXPECT_EQ(testing::PendingOperationsOfTheCase::Read().size(), strings.size());
  CloseHandle(holder);
  EXPECT_TRUE(FileExists(neighbour + "\\hook.dll"));
}

TEST_F(FileSteps, AFolderHoldingWhatTheRunKeepsIsNeverScheduled) {
  // The file in use goes at the restart, but the folder still holds a
  // subfolder the run never enters: scheduling the folder would be
  // scheduling nothing (it is not empty then) or, worse, something the
  // script does not name; neither it nor the subfolder may be scheduled.
  const testing::PendingOperationsOfTheCase pending(Wide(target));
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  WriteFileBytes(target + "\\sub\\kept.dat", "x");
  WriteFileBytes(target + "\\hook.dll", "x");
  const HANDLE holder =
      CreateFileA((target + "\\hook.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Run(testing::DefaultScriptBytes());
  CloseHandle(holder);
  std::vector<std::wstring> ours;
  const std::vector<std::wstring> strings = testing::PendingOperationsOfTheCase::Read();
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].find(Wide(target)) != std::wstring::npos) ours.push_back(strings[i]);
  }
  EXPECT_EQ(ours, (std::vector<std::wstring>{L"\\??\\" + Wide(target) + L"\\hook.dll"}));
  EXPECT_TRUE(FileExists(target + "\\sub\\kept.dat"));
}

TEST_F(FileSteps, AFileThatNoRestartRemovesIsNamedAsLeft) {
  // A name ending in a dot is trimmed away by every ordinary path, so the
  // file cannot be reached by its folder and name: it stays, and is said to.
  const testing::PendingOperationsOfTheCase pending(Wide(target));
  const std::wstring stuck = L"\\\\?\\" + Wide(target) + L"\\stuck.";
  const HANDLE file = CreateFileW(stuck.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this file system does not keep a trailing dot";
  CloseHandle(file);
  StepHarness harness(testing::DefaultScriptBytes(), &folders);
  RemoveFilesAndFolders(harness);
  const std::vector<LeftOver> left = FindLeftOvers(harness.Script(), folders, kStartButtonSwitches);
  DeleteFileW(stuck.c_str());
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].name, target + "\\stuck.");
  EXPECT_FALSE(left[0].scheduledForRestart);
  EXPECT_EQ(left[1].name, target);
  EXPECT_FALSE(left[1].scheduledForRestart);
}

TEST_F(FileSteps, ChildListedBeforeParentRemovesBoth) {
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek\\*.*\r\n[PATH]\r\na=%PROGRAM_FILES%\\lumenseek\r\nb=%PROGRAM_FILES%"
      "\\lumenseek\\sub");
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
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(target.c_str());
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek\r\nb=%PROGRAM_FILES%\\lumenseek\\\r\nc=*.*\r\nd=lumenseek.exe\r\n"
      "e=..\\lumenseek\\*.*\r\nf=\\lumenseek\\*.*\r\n[PATH]\r\na=..\\empty");
  SetCurrentDirectoryA(previous);  // a current folder could not be removed afterwards
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
  DeleteFilesByMask(scratch / "*.tmp", {});
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

// The folder that the file search lists is the folder deleted in: "/" ends
// the folder part for the search, so it must for the split too.
TEST_F(FileSteps, ForwardSlashDeletesInTheFolderThatWasSearched) {
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  WriteFileBytes(target + "\\sub\\same.dat", "x");
  WriteFileBytes(target + "\\same.dat", "x");  // decoy: same name one folder up
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek\\sub/*.*\r\n");
  EXPECT_FALSE(FileExists(target + "\\sub\\same.dat"));
  EXPECT_TRUE(FileExists(target + "\\same.dat"));
  EXPECT_TRUE(FileExists(target + "\\lumenseek.exe"));
}

TEST_F(FileSteps, DotComponentsAndDevicePathsDeleteNothing) {
  // The device spellings do reach the files here, so only the refusal keeps them.
  ASSERT_TRUE(FileExists("\\\\?\\" + target + "\\lumenseek.exe"));
  ASSERT_TRUE(FileExists("\\\\.\\" + target + "\\noextension"));
  for (const char* name : {"empty", "empty2", "empty3"}) CreateDirectoryA((scratch / name).c_str(), nullptr);
  Run("[FILE]\r\na=%PROGRAM_FILES%\\lumenseek2\\..\\lumenseek\\*.*\r\nb=%PROGRAM_FILES%\\lumenseek\\.\\system.dat\r\n"
      "c=\\\\?\\" +
      target + "\\lumenseek.exe\r\nd=\\\\.\\" + target +
      "\\noextension\r\n"
      "e=%PROGRAM_FILES%/lumenseek/./*.*\r\nf=%PROGRAM_FILES%\\lumenseek\\hidden.dat\r\n"
      "[PATH]\r\na=%PROGRAM_FILES%\\lumenseek\\..\\empty\r\nb=\\\\?\\" +
      scratch.Path() +
      "\\empty2\r\n"
      "c=%PROGRAM_FILES%\\empty3\r\n");
  for (const char* name : {"lumenseek.exe", "noextension", "system.dat"}) {
    EXPECT_TRUE(FileExists(target + "\\" + name)) << name;
  }
  EXPECT_TRUE(FileExists(neighbour + "\\keep.dat"));
  EXPECT_FALSE(FileExists(target + "\\hidden.dat"));  // the walk went on to the sound entry
  EXPECT_TRUE(FolderExists(scratch / "empty"));
  EXPECT_TRUE(FolderExists(scratch / "empty2"));
  EXPECT_FALSE(FolderExists(scratch / "empty3"));
}

TEST(DeleteFilesByMask, MatchesLongNamesOnlyNeverShortNames) {
  ScratchFolder scratch;
  for (const char* name : {"x.html", "y.htm", "lumenseek-long-name.dat"}) WriteFileBytes(scratch / name, "x");
  // The platform's search does match the short names (X~....HTM, LUMENS~1.DAT).
  std::vector<std::string> names;
  ForEachFolderEntry(scratch.Path(), "*.htm", [&names](const FolderEntry& entry) { names.push_back(entry.name); });
  ASSERT_EQ(names.size(), 2u);
  DeleteFilesByMask(scratch / "*.htm", {});
  EXPECT_FALSE(FileExists(scratch / "y.htm"));
  EXPECT_TRUE(FileExists(scratch / "x.html"));
  char shortPath[MAX_PATH];
  ASSERT_NE(GetShortPathNameA((scratch / "lumenseek-long-name.dat").c_str(), shortPath, MAX_PATH), 0u);
  // Only the file's own short name: the folders above it may be shortened
  // too, to another length.
  const std::string shortFull = shortPath;
  const std::string shortMask = shortFull.substr(shortFull.find_last_of('\\') + 1);
  ASSERT_NE(shortMask, "lumenseek-long-name.dat");
  DeleteFilesByMask(scratch / shortMask, {});
  EXPECT_TRUE(FileExists(scratch / "lumenseek-long-name.dat"));
}

// Removes the Linux links a test made before the scratch folder goes (its
// removal would otherwise go through them).
class LinkedFolders : public FileSteps {
 protected:
  ~LinkedFolders() override {
    for (const std::string& link : links) testing::RemoveLinuxSymlink(link);
  }
  void Link(const std::string& link, const std::string& to) {
    ASSERT_TRUE(testing::CreateLinuxSymlink(link, to)) << link;
    links.push_back(link);
  }
  std::vector<std::string> links;
};

TEST_F(LinkedFolders, NothingIsDeletedOrRemovedThroughALink) {
  const std::string real = scratch / "real";
  CreateDirectoryA(real.c_str(), nullptr);
  CreateDirectoryA((real + "\\sub").c_str(), nullptr);
  CreateDirectoryA((real + "\\emptysub").c_str(), nullptr);
  CreateDirectoryA((real + "\\emptysub2").c_str(), nullptr);
  for (const char* name : {"victim.dat", "victim2.dat", "sub\\deep.dat", "direct.dat"}) {
    WriteFileBytes(real + "\\" + name, "x");
  }
  Link(scratch / "link", real);
  // This Wine shows a Linux link to a folder as a reparse point, as Windows
  // shows a junction; without that there would be nothing to test.
  const DWORD attributes = GetFileAttributesA((scratch / "link").c_str());
  ASSERT_NE(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  ASSERT_TRUE(FileExists(scratch / "link\\victim.dat"));
  Run("[FILE]\r\na=%PROGRAM_FILES%\\link\\*.*\r\nb=%PROGRAM_FILES%\\link\\victim2.dat\r\n"
      "c=%PROGRAM_FILES%\\link\\sub\\*.*\r\nd=%PROGRAM_FILES%\\real\\direct.dat\r\n"
      "[PATH]\r\na=%PROGRAM_FILES%\\link\\emptysub\r\nb=%PROGRAM_FILES%\\link\r\n"
      "c=%PROGRAM_FILES%\\real\\emptysub2\r\n");
  EXPECT_TRUE(FileExists(real + "\\victim.dat"));
  EXPECT_TRUE(FileExists(real + "\\victim2.dat"));
  EXPECT_TRUE(FileExists(real + "\\sub\\deep.dat"));
  EXPECT_TRUE(FolderExists(real + "\\emptysub"));
  EXPECT_NE(GetFileAttributesA((scratch / "link").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(FileExists(real + "\\direct.dat"));  // the same files by their real path
  EXPECT_FALSE(FolderExists(real + "\\emptysub2"));
}

// Well-known folders of the fake lookup, made real under the scratch folder.
class WellKnownFolderSteps : public FileSteps {
 protected:
  WellKnownFolderSteps() {
    folders.folders[36] = windows;
    folders.folders[37] = windows + "\\system32";
    folders.folders[40] = scratch / "profiles-folder\\kim";
    for (const std::string& folder :
         {windows, windows + "\\system32", scratch / "profiles-folder", scratch / "profiles-folder\\kim"}) {
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    for (const char* name : {"win.ini", "noextension", "lumenseek.dll", "other.dll", "system32\\kernel32.dll",
                             "system32\\lumenseek.dll"}) {
      WriteFileBytes(windows + "\\" + name, "x");
    }
    WriteFileBytes(scratch / "profiles-folder\\ntuser.dat", "x");
  }
  const std::string windows = scratch / "windows-folder";
};

TEST_F(WellKnownFolderSteps, BroadMasksThereDeleteNothingHoweverSpelled) {
  char shortPath[MAX_PATH];
  ASSERT_NE(GetShortPathNameA(windows.c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_NE(std::string(shortPath), windows);
  std::string upper = windows;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  Run("[FILE]\r\na=%WINDOWS%\\*.*\r\nb=%SYSTEM%\\*.dll\r\nc=" + upper + "\\\\*\r\nd=" + std::string(shortPath) +
      "\\*.*\r\ne=%WINDOWS%/system32/?*.*\r\nf=%PROFILE%\\..\\*.*\r\ng=" + scratch.Path() +
      "\\profiles-folder\\*.dat\r\nh=%WINDOWS%.\\*\r\n");
  for (const char* name :
       {"win.ini", "noextension", "lumenseek.dll", "other.dll", "system32\\kernel32.dll", "system32\\lumenseek.dll"}) {
    EXPECT_TRUE(FileExists(windows + "\\" + name)) << name;
  }
  EXPECT_TRUE(FileExists(scratch / "profiles-folder\\ntuser.dat"));
}

TEST_F(WellKnownFolderSteps, LiteralStemsAndSingleNamesThereStillGo) {
  Run("[FILE]\r\na=%WINDOWS%\\lumen*.dll\r\nb=%SYSTEM%\\lumenseek.dll\r\nc=%WINDOWS%\\noextension\r\n");
  EXPECT_FALSE(FileExists(windows + "\\lumenseek.dll"));
  EXPECT_FALSE(FileExists(windows + "\\system32\\lumenseek.dll"));
  EXPECT_FALSE(FileExists(windows + "\\noextension"));
  EXPECT_TRUE(FileExists(windows + "\\other.dll"));
  EXPECT_TRUE(FileExists(windows + "\\win.ini"));
  EXPECT_TRUE(FileExists(windows + "\\system32\\kernel32.dll"));
}

TEST_F(WellKnownFolderSteps, FoldersInsideWindowsAndOfProfilesAreGuardedToo) {
  // Mended fault: only the listed folders themselves were guarded, so a
  // broad mask emptied "System32\spool", "Fonts" or a user's Documents.
  const std::string profile = scratch / "profiles-folder\\kim";
  const std::string other = scratch / "profiles-folder\\lee";
  for (const std::string& folder :
       {windows + "\\spool", profile + "\\Documents", profile + "\\AppData", profile + "\\AppData\\Roaming",
        profile + "\\AppData\\Roaming\\lumenseek", other, other + "\\Desktop"}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  }
  const std::vector<std::string> kept = {windows + "\\spool\\job.spl", profile + "\\Documents\\letter.doc",
                                         profile + "\\AppData\\Roaming\\settings.ini", other + "\\Desktop\\photo.jpg",
                                         other + "\\ntuser.dat"};
  for (const std::string& file : kept) WriteFileBytes(file, "x");
  WriteFileBytes(windows + "\\spool\\lumenseek.spl", "x");
  WriteFileBytes(profile + "\\AppData\\Roaming\\lumenseek\\agent.dat", "x");
  char shortDocuments[MAX_PATH];
  ASSERT_NE(GetShortPathNameA((profile + "\\Documents").c_str(), shortDocuments, MAX_PATH), 0u);

  Run("[FILE]\r\na=%WINDOWS%\\spool\\*.*\r\nb=%PROFILE%\\Documents\\*.*\r\nc=" + std::string(shortDocuments) +
      "\\*\r\nd=%PROFILE%\\AppData\\Roaming\\*.ini\r\ne=" + other + "\\Desktop\\*.*\r\nf=" + other +
      "\\*.*\r\ng=%WINDOWS%\\spool\\lumen*.*\r\nh=%PROFILE%\\AppData\\Roaming\\lumenseek\\*.*\r\n");
  for (const std::string& file : kept) EXPECT_TRUE(FileExists(file)) << file;
  EXPECT_FALSE(FileExists(windows + "\\spool\\lumenseek.spl"));  // a literal stem names the target's files
  EXPECT_FALSE(FileExists(profile + "\\AppData\\Roaming\\lumenseek\\agent.dat"));
}

TEST_F(WellKnownFolderSteps, EmptyKnownFoldersNamedInPathStay) {
  // Mended fault: "[PATH] %DESKTOP%" removed an empty Desktop.
  const std::string profile = scratch / "profiles-folder\\kim";
  folders.folders[0] = profile + "\\Desktop";
  for (const std::string& folder : {profile + "\\Desktop", profile + "\\Documents", profile + "\\Music",
                                    profile + "\\lumenseek", windows + "\\empty-of-windows"}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  }
  Run("[PATH]\r\na=%DESKTOP%\r\nb=%PROFILE%\\Documents\r\nc=" + profile +
      "\\Music\r\n"
      "e=%PROFILE%\\lumenseek\r\nf=%WINDOWS%\\empty-of-windows\r\n");
  for (const std::string& folder : {profile + "\\Desktop", profile + "\\Documents", profile + "\\Music"}) {
    EXPECT_TRUE(FolderExists(folder)) << folder;
  }
  EXPECT_FALSE(FolderExists(profile + "\\lumenseek"));
  EXPECT_FALSE(FolderExists(windows + "\\empty-of-windows"));  // a target's own folder inside Windows may go
}

// The real folders of the test prefix, through the shell: a broad mask with
// an extension of its own leaves decoys in the Windows, system and drive
// root folders, and the embedded script still empties its program folder.
TEST(FileStepsOnRealFolders, BroadMasksLeaveTheRealWellKnownFoldersAlone) {
  const std::string extension = "tidemark" + std::to_string(GetCurrentProcessId());
  const std::vector<std::string> decoys = {*GetSpecialFolder(36) + "\\decoy." + extension,
                                           *GetSpecialFolder(37) + "\\decoy." + extension, "C:\\decoy." + extension};
  for (const std::string& decoy : decoys) WriteFileBytes(decoy, "x");
  StepHarness harness("[FILE]\r\na=%WINDOWS%\\*." + extension + "\r\nb=%SYSTEM%\\*." + extension + "\r\nc=C:\\*." +
                      extension + "\r\nd=c:/*." + extension + "\r\n");
  RemoveFilesAndFolders(harness);
  for (const std::string& decoy : decoys) {
    EXPECT_TRUE(FileExists(decoy)) << decoy;
    DeleteFileA(decoy.c_str());
  }
}

// The preview lists exactly the files the run then deletes: same split, same
// matching, same refusals.
TEST_F(WellKnownFolderSteps, PreviewListsExactlyWhatTheRunDeletes) {
  WriteFileBytes(target + "\\page.html", "x");
  CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  WriteFileBytes(target + "\\sub\\same.dat", "x");
  WriteFileBytes(target + "\\same.dat", "x");
  const std::string script =
      "[FILE]\r\na=%WINDOWS%\\*.*\r\nb=%WINDOWS%\\lumen*.dll\r\nc=%PROGRAM_FILES%\\lumenseek\\*.htm\r\n"
      "d=%PROGRAM_FILES%\\lumenseek\\sub/*.*\r\ne=%PROGRAM_FILES%\\lumenseek2\\..\\lumenseek\\*.*\r\n"
      "f=%PROGRAM_FILES%\\lumenseek\\*.exe\r\n";
  StepHarness harness(script, &folders);
  const PreviewReport report = BuildPreview(harness.Script(), folders);
  std::vector<std::string> listed;
  for (const FilePreview& file : report.files) listed.push_back(file.path);
  EXPECT_EQ(listed, (std::vector<std::string>{windows + "\\lumenseek.dll", target + "\\sub\\same.dat",
                                              target + "\\lumenseek.exe"}));
  RemoveFilesAndFolders(harness);
  for (const std::string& path : listed) EXPECT_FALSE(FileExists(path)) << path;
  for (const std::string& path : {windows + "\\other.dll", windows + "\\win.ini", target + "\\page.html",
                                  target + "\\same.dat", target + "\\noextension"}) {
    EXPECT_TRUE(FileExists(path)) << path;
  }
}

}  // namespace
}  // namespace tidemark
