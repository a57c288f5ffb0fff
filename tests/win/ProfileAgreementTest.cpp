// Our reader against the Windows profile functions on the same files: for
// every well-formed script they must list the same entries with the same
// values.
#include <gtest/gtest.h>

#include "support/ProfileReader.h"
#include "support/TestFiles.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

void ExpectSameEntries(const std::string& text, const std::vector<std::string>& sections) {
  testing::ScratchFolder folder;
  const std::string file = folder / "script.ini";
  testing::WriteFileBytes(file, text);
  const ScriptIni reader(text);
  for (const std::string& section : sections) {
    EntryList ours;
    reader.ReadSectionEntries(section, ours);
    EXPECT_EQ(ours, testing::ProfileSectionEntries(file, section)) << "section " << section;
  }
  // The profile functions cache the file; let go of it before it is deleted.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

TEST(ProfileAgreement, EmbeddedScript) {
  ExpectSameEntries(testing::DefaultScriptBytes(),
                    {"APPTYPE", "PROCESS", "SERVICE", "BHO", "STARTRUN", "UNINSTALL", "HKEY_CURRENT_USER",
                     "HKEY_LOCAL_MACHINE", "REGISTRY_NAME", "FILE", "PATH", "REGISTRY_RECOVERY"});
}

TEST(ProfileAgreement, CaseBlanksQuotesAndShadowing) {
  ExpectSameEntries(
      "[process]\r\n  item1  =  a.exe  \r\nITEM1=b.exe\r\nitem2=\"quoted value\"\r\nitem3='single'\r\n"
      "item4=\"unbalanced\r\n[Other]\r\nx=1\r\n",
      {"PROCESS", "process", "other", "missing"});
}

TEST(ProfileAgreement, KoreanTextAndRecoveryValues) {
  ExpectSameEntries(
      "[APPTYPE]\r\ncategory=\xB0\xCB\xBB\xF6\xB5\xB5\xBF\xEC\xB9\xCC\r\n\xC1\xA6\xB0\xC5=\xB0\xCB\r\n"
      "[REGISTRY_RECOVERY]\r\nr1=HKEY_LOCAL_MACHINE|=|Software\\Vendor|=|Mode|=|1\r\n",
      {"APPTYPE", "REGISTRY_RECOVERY"});
}

TEST(ProfileAgreement, LongValueIsCutTheSameWay) {
  ExpectSameEntries("[FILE]\r\nitem1=" + std::string(3000, 'v') + "\r\nitem2=w\r\n", {"FILE"});
}

// Where this Wine's profile functions read differently from Windows, our
// reader follows Windows, and those scripts are not compared here (the host
// tests of the reading rules hold them):
// - Wine finds a comment line by its name with the ";" in front
//   (";item1" yields the value of ";item1=x"); Windows never finds a comment.
// - Wine ends a section name at the last "]" of its line, Windows at the
//   first: "[A]B]" is the section "A" on Windows and "A]B" under Wine.
// - Wine ignores a section line without "]", so its entries stay with the
//   section before; on Windows "[PROCESS" opens the section PROCESS.
TEST(ProfileAgreement, CommentsAndLinesWithoutEquals) {
  ExpectSameEntries(
      "; leading comment\r\n[PROCESS]\r\n;item0=\r\nitem1=a.exe\r\n; plain\r\n  ;item2=b.exe\r\n"
      "no equals here\r\nitem3=c.exe;d.exe\r\na;b=1\r\n#item4=e.exe\r\n;[FILE]\r\nitem5=f.exe\r\n",
      {"PROCESS", "FILE"});
}

TEST(ProfileAgreement, TabsAndVerticalTabsAroundLinesNamesAndValues) {
  ExpectSameEntries("\t[\tS\v]\r\n\ta\t=\t1\t\r\n\vb\v=\v2\v\r\n \t\v\r\n\v;c=3\r\nd=\t\"q\"\t\r\n", {"S"});
}

TEST(ProfileAgreement, TextAfterTheClosingBracketAndRepeatedSections) {
  ExpectSameEntries(
      "[FILE] ; old\r\nitem1=x\r\n[PATH]trailing text\r\nitem1=p\r\n[file]\r\nitem1=y\r\nitem2=z\r\n"
      "[S]\r\na=1\r\n[s]\r\nb=2\r\na=3\r\n",
      {"FILE", "PATH", "S"});
}

TEST(ProfileAgreement, ThousandEntrySection) {
  std::string text = "[FILE]\r\n";
  for (int i = 1; i <= 1000; ++i) text += "item" + std::to_string(i) + "=%TEMP%\\f" + std::to_string(i) + ".tmp\r\n";
  ExpectSameEntries(text, {"FILE"});
}

}  // namespace
}  // namespace tidemark
