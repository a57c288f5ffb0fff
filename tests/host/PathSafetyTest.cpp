// The rules that decide what a [FILE] or [PATH] value may delete.
#include <gtest/gtest.h>

#include "engine/PathSafety.h"
#include "support/FakeFolders.h"

namespace tidemark {
namespace {

struct MaskCase {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(MatchesFileMask, WildcardsOnLongNames) {
  // "\xB0\xCB" and "\xBB\xF6" are two Korean characters; "\xB0\x61" is one
  // whose trail byte is the ASCII letter "a".
  const MaskCase cases[] = {
      {"*.*", "lumenseek.exe", true},
      {"*.*", "noextension", true},  // "*.*" also takes names without a dot
      {"*.*", ".hidden", true},
      {"*", "a.b.c", true},
      {"*.htm", "x.htm", true},
      {"*.htm", "x.html", false},  // the search finds it by its short name X~1.HTM
      {"*.HTM", "x.htm", true},
      {"Lumen*.DLL", "lumenseek.dll", true},
      {"lumen*.dll", "alumen.dll", false},
      {"lumenseek.exe", "LUMENSEEK.EXE", true},
      {"lumenseek.exe", "lumenseek.exe2", false},
      {"lumenseek.exe", "lumenseek", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"?", "\xB0\xCB", true},  // one whole double-byte character
      {"??", "\xB0\xCB", false},
      {"\xB0\xCB?.dat", "\xB0\xCB\xBB\xF6.dat", true},
      {"*\xBB\xF6.dat", "\xB0\xCB\xBB\xF6.dat", true},
      {"\xB0\x41*", "\xB0\x61x", false},  // trail bytes are not letters to fold
      {"\xB0\x61*", "\xB0\x61x", true},
      {"*a", "\xB0\x61", false},  // "a" never matches half of a character
      {"?a", "\xB0\x61", false},
      {"x.*", "x", true},  // a trailing ".*" matches a name without an extension
      {"x.*", "x.txt", true},
      {"x.*", "xy", false},
      {"a*.*", "abc", true},
      {"x*", "x", true},
      {"*.", "noextension", true},  // a final dot asks for names without one
      {"*.", "a.txt", false},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "a.bak.txt", true},
      {"*a*b", "xaybzb", true},
      {"*a*b", "xaybz", false},
      {"", "a", false},
      {"*", "", false},
  };
  for (const MaskCase& c : cases) {
    EXPECT_EQ(MatchesFileMask(c.mask, c.name), c.matches) << "mask '" << c.mask << "' name '" << c.name << "'";
  }
}

TEST(IsSafeFolderPath, DriveRootedWithoutClimbingDevicesOrStreams) {
  for (const char* path :
       {"C:\\", "C:\\Program Files\\lumenseek", "c:/dir/sub", "C:\\dir\\\\sub", "C:\\a.b\\..c", "C:\\\xB0\xCB\\x"}) {
    EXPECT_TRUE(IsSafeFolderPath(path)) << path;
  }
  for (const char* path : {"C:\\dir\\..", "C:\\dir\\..\\Windows", "C:\\.\\dir", "C:/dir/../x", "C:\\dir\\...",
                           "C:\\dir\\. .", "C:\\dir\\ ", "\\\\server\\share\\dir", "//server/share", "\\\\?\\C:\\dir",
                           "\\\\.\\C:\\dir", "\\??\\C:\\dir", "C:\\dir\\file.txt:stream", "C:dir", "dir\\sub", ""}) {
    EXPECT_FALSE(IsSafeFolderPath(path)) << path;
  }
}

TEST(IsBroadMask, WildcardStemsAreBroadLiteralStemsAreNot) {
  for (const char* mask : {"*.*", "*", "*.dll", "?.*", "??.exe", "*.d?l", ".*", "*.tar.gz", "**"}) {
    EXPECT_TRUE(IsBroadMask(mask)) << mask;
  }
  for (const char* mask : {"lumen*.dll", "*lumen*", "a.*", "lumenseek.exe", "desktop.ini", ".htaccess", "x?.dll"}) {
    EXPECT_FALSE(IsBroadMask(mask)) << mask;
  }
}

TEST(FolderComparison, SpellingsOfOneFolderCompareEqual) {
  const std::vector<std::string> known = {"C:\\Windows", "C:\\Users\\\xB0\xCB"};
  for (const char* folder : {"C:\\Windows", "c:\\windows\\", "C:/WINDOWS", "C:\\\\Windows\\\\", "C:\\Windows.",
                             "C:\\Windows. \\", "C:\\users\\\xB0\xCB"}) {
    EXPECT_TRUE(IsWellKnownFolder(folder, known)) << folder;
  }
  EXPECT_FALSE(IsWellKnownFolder("C:\\Users\\\xB0\xEB", known));  // another Korean character
  EXPECT_FALSE(IsWellKnownFolder("C:\\Windows\\System32", known));
  EXPECT_FALSE(IsWellKnownFolder("C:\\Windowsx", known));
  EXPECT_FALSE(IsWellKnownFolder("D:\\Windows", known));
  // "\xB0\x61" and "\xB0\x41" are different characters: a trail byte is no
  // letter whose case may be ignored.
  EXPECT_TRUE(IsWellKnownFolder("C:\\x\xB0\x61", {"c:\\X\xB0\x61"}));
  EXPECT_FALSE(IsWellKnownFolder("C:\\x\xB0\x61", {"C:\\x\xB0\x41"}));
  for (const char* root : {"C:\\", "c:/", "C:\\\\", "C:"}) EXPECT_TRUE(IsDriveRoot(root)) << root;
  for (const char* folder : {"C:\\x", "ab", "\\\\?\\C:\\", ""}) EXPECT_FALSE(IsDriveRoot(folder)) << folder;
}

TEST(WellKnownFolders, EveryMacroFolderTheProfilesFolderAndSysnative) {
  testing::FakeFolders folders;
  folders.folders.erase(42);  // a folder the shell does not know is left out
  const std::vector<std::string> known = WellKnownFolders(folders);
  for (const char* folder :
       {"C:\\Users\\kim\\AppData\\Roaming", "C:\\ProgramData", "C:\\Program Files", "C:\\Windows",
        "C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Users\\kim", "C:\\Users\\kim\\Desktop",
        "C:\\Users\\kim\\AppData\\Local\\Temp", "C:\\Users", "C:\\Windows\\Sysnative"}) {
    EXPECT_TRUE(IsWellKnownFolder(folder, known)) << folder;
  }
  EXPECT_FALSE(IsWellKnownFolder("C:\\Program Files (x86)", known));
  EXPECT_FALSE(IsWellKnownFolder("C:\\Program Files\\lumenseek", known));
}

TEST(CheckFileValue, RefusesWhatMustDeleteNothing) {
  const FolderGuard known = GuardedFolders(testing::FakeFolders());
  struct Case {
    const char* path;
    FileValueVerdict verdict;
  };
  using V = FileValueVerdict;
  const Case cases[] = {
      {"C:\\Program Files\\lumenseek\\*.*", V::Allowed},
      {"C:\\Windows\\lumen*.dll", V::Allowed},  // adware does drop files there
      {"C:\\Windows\\system32\\lumenseek.dll", V::Allowed},
      {"C:\\Windows\\*.*", V::BroadMaskInWellKnownFolder},
      {"c:\\windows\\system32\\*.dll", V::BroadMaskInWellKnownFolder},
      {"C:/Windows/SysWOW64/?.*", V::BroadMaskInWellKnownFolder},
      {"C:\\Program Files\\*", V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\*.*", V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\kim\\Desktop\\\\*.lnk", V::BroadMaskInWellKnownFolder},
      {"C:\\*.*", V::BroadMaskInWellKnownFolder},
      {"D:\\*.tmp", V::BroadMaskInWellKnownFolder},
      {"C:\\lumenseek.log", V::Allowed},
      {"C:\\Program Files\\lumenseek\\..\\*.*", V::UnsafeFolder},
      {"C:\\Program Files\\lumenseek\\..\\lumenseek.exe", V::UnsafeFolder},
      {"\\\\server\\share\\*.*", V::UnsafeFolder},
      {"\\\\?\\C:\\x\\a.txt", V::UnsafeFolder},
      {"lumenseek\\*.*", V::UnsafeFolder},
      {"*.*", V::NoFolder},
      {"C:\\Program Files\\lumenseek\\", V::NoMask},
      // Every folder inside the Windows folder, every profile and the known
      // folders of every profile, however spelled.
      {"C:\\Windows\\System32\\spool\\*.*", V::BroadMaskInWellKnownFolder},
      {"c:\\windows\\fonts\\*.ttf", V::BroadMaskInWellKnownFolder},
      {"C:\\Windows\\lumenseek\\*.*", V::BroadMaskInWellKnownFolder},
      {"C:\\Windows\\lumenseek\\lumen*.*", V::Allowed},  // a literal stem says whose files they are
      {"C:\\Users\\kim\\Documents\\*.*", V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\lee\\AppData\\Roaming\\*", V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\lee\\*.*", V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\lee\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\*.lnk",
       V::BroadMaskInWellKnownFolder},
      {"C:\\Users\\kim\\AppData\\Roaming\\lumenseek\\*.*", V::Allowed},
      {"C:\\Users\\kim\\Documents\\lumenseek\\*.*", V::Allowed},
      {"C:\\Users\\kim\\Desktop\\lumenseek.lnk", V::Allowed},
      {"C:\\PROGRA~1\\lumenseek\\*.*", V::ShortNameFolder},
      {"C:\\Program Files\\LUMENS~1\\lumenseek.exe", V::ShortNameFolder},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckFileValue(c.path, known).verdict, c.verdict) << c.path;
  }
  const FileValueCheck slash = CheckFileValue("C:\\x\\sub/*.*", known);
  EXPECT_EQ(slash.target.folder, "C:\\x\\sub");
  EXPECT_EQ(slash.target.mask, "*.*");
}

TEST(FolderEntryVerdict, WellKnownFoldersAreNeverRemovedEvenWhenEmpty) {
  const FolderGuard guard = GuardedFolders(testing::FakeFolders());
  for (const char* folder :
       {"C:\\Users\\kim\\Desktop", "C:\\Users\\kim\\Documents", "C:\\Users\\lee\\Downloads", "C:\\Users\\lee",
        "C:\\Users", "C:\\Windows", "c:\\windows\\system32", "C:\\Windows\\SysWOW64\\", "C:\\Windows\\Sysnative",
        "C:\\Program Files", "C:\\", "C:\\Users\\kim\\AppData\\Local", "C:\\Users\\kim\\AppData\\LocalLow"}) {
    EXPECT_TRUE(FolderEntryVerdict(folder, folder, guard).IsRefused()) << folder;
  }
  for (const char* folder : {"C:\\Program Files\\lumenseek", "C:\\Windows\\lumenseek", "C:\\Windows\\Fonts\\lumenseek",
                             "C:\\Users\\kim\\AppData\\Roaming\\lumenseek", "C:\\Users\\kim\\Desktop\\lumenseek"}) {
    EXPECT_FALSE(FolderEntryVerdict(folder, folder, guard).IsRefused()) << folder;
  }
  // The reason quotes the value as written, which the checker prints.
  const Verdict desktop = FolderEntryVerdict("%DESKTOP%", "C:\\Users\\kim\\Desktop", guard);
  EXPECT_EQ(desktop.Reason(),
            "'%DESKTOP%' is a folder of Windows, of a user's profile or of every program: the program never removes "
            "it, even when it is empty; name the target's own folder, such as '%PROGRAM_FILES%\\lumenseek'");
  EXPECT_TRUE(FolderEntryVerdict("%temp%\\x", "%temp%\\x", guard).IsRefused());
  EXPECT_TRUE(FolderEntryVerdict("C:\\PROGRA~1\\x", "C:\\PROGRA~1\\x", guard).IsRefused());
}

TEST(HasShortNameComponent, OnlyEightDotThreeStems) {
  for (const char* folder : {"C:\\PROGRA~1", "C:\\x\\LUMEN~12\\y", "C:\\DOCUME~1.TXT"}) {
    EXPECT_TRUE(HasShortNameComponent(folder)) << folder;
  }
  for (const char* folder : {"C:\\Program Files", "C:\\a~b", "C:\\~1", "C:\\longer-name~1", "C:\\x~"}) {
    EXPECT_FALSE(HasShortNameComponent(folder)) << folder;
  }
}

}  // namespace
}  // namespace tidemark
