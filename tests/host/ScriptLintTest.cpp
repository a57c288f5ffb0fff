// The checker for removal scripts: one small script per kind of finding, with
// its exact line and severity; the embedded script checks clean; and a seeded
// run over random scripts, in which the checker never crashes and hands on
// exactly what the program's walk hands on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

#include "engine/EntryVerdicts.h"
#include "engine/ProtectedKeys.h"
#include "engine/SectionWalk.h"
#include "engine/StepSlotTable.h"
#include "lint/ScriptLint.h"
#include "script/ScriptLines.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"
#include "system/Cp949Text.h"

namespace tidemark::lint {
namespace {

struct Expected {
  std::size_t line;
  Severity severity;
  std::string part;  // a key part of the message
};

std::string Script(const std::vector<std::string>& lines) { return JoinLinesWithCrLf(lines); }

// The lines, and after them an entry that a run of the Start button handles:
// the target's Uninstall entry (or its process, where the lines have an
// [UNINSTALL] of their own). A case about some other finding then does not
// also have the error of a script that removes nothing.
std::string ScriptRemoving(std::vector<std::string> lines) {
  const bool uninstall = std::find(lines.begin(), lines.end(), "[UNINSTALL]") != lines.end();
  lines.push_back(uninstall ? "[PROCESS]" : "[UNINSTALL]");
  lines.push_back(uninstall ? "target=lumenseek.exe" : "target=lumenseek");
  return Script(lines);
}

// Text with zero bytes in it, which a plain literal would end at.
template <std::size_t Size>
std::string Bytes(const char (&text)[Size]) {
  return std::string(text, Size - 1);
}

std::string Dump(const std::vector<Finding>& findings) {
  std::ostringstream text;
  for (const Finding& finding : findings) text << FormatFinding("s.ini", finding) << "\n";
  return text.str();
}

void ExpectFindings(const std::string& text, const std::vector<Expected>& expected) {
  const std::vector<Finding> findings = LintScript(text).findings;
  ASSERT_EQ(findings.size(), expected.size()) << Dump(findings);
  for (std::size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(findings[index].line, expected[index].line) << Dump(findings);
    EXPECT_EQ(findings[index].severity, expected[index].severity) << Dump(findings);
    EXPECT_NE(findings[index].message.find(expected[index].part), std::string::npos) << Dump(findings);
  }
}

void ExpectClean(const std::string& text) { ExpectFindings(text, {}); }

constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;
constexpr Severity N = Severity::Note;

// --- The file's bytes ---------------------------------------------------------

TEST(ScriptLintBytes, InvalidCodePage949IsAnError) {
  // "검" in UTF-8: a valid lead and trail pair, then a lone 0x80.
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "title=ok", "category=\xEA\xB2\x80"}), {{3, E, "column 12 (0x80)"}});
  ExpectFindings(Script({"[PROCESS]", "a=\xFF.exe"}), {{2, E, "not valid code page 949"}});
  ExpectClean(ScriptRemoving({"[APPTYPE]", "category=검색도우미", "title=lumenseek"}));
}

TEST(ScriptLintBytes, ByteOrderMarksAreErrors) {
  ExpectFindings("\xEF\xBB\xBF[APPTYPE]\r\n[PROCESS]\r\na=b.exe", {{1, E, "UTF-8 byte-order mark"}});
  ExpectFindings(Bytes("\xFF\xFE[\0A\0]\0"), {{1, E, "UTF-16 byte-order mark"}});
}

TEST(ScriptLintBytes, ZeroByteIsAnErrorAndTheTextItHidesAWarning) {
  // No script text holds a zero byte: the gate refuses the file. The error
  // is on the whole file (line 1, never an entry's line); where text follows
  // the byte, the warning at its line says what the reader never sees.
  ExpectFindings(Bytes("[PROCESS]\r\na=b.exe\0\r\nc=d.exe"),
                 {{1, E, "the file holds a zero byte (line 2, column 8), which no code page 949 script has"},
                  {2, W, "zero byte at column 8 ends the script for the reader"}});
  // Trailing zero bytes hide nothing, and still make no script.
  ExpectFindings(Bytes("[PROCESS]\r\na=b.exe\r\n\0\0"), {{1, E, "holds a zero byte (line 3, column 1)"}});
  // A binary file: its first zero byte, no section, and nothing removed.
  ExpectFindings(Bytes("\x7F"
                       "ELF\x02\x01\x01\0\0\0[PROCESS]\r\na=b.exe"),
                 {{1, W, "a zero byte at column 8 ends the script for the reader"},
                  {1, E, "holds a zero byte (line 1, column 8)"},
                  {1, N, "neither a section line nor a Name=Value entry"},
                  {1, E, "the script holds no section"}});
}

// --- Listing and value lengths ------------------------------------------------

TEST(ScriptLintListing, NameCutByTheListingIsAnError) {
  // 163 names of 99 bytes fill 16300 bytes; the 164th is cut to 82 bytes.
  std::vector<std::string> lines{"[PROCESS]"};
  for (int index = 0; index < 165; ++index) {
    std::string name = "n" + std::to_string(1000 + index);
    name.resize(99, 'x');
    lines.push_back(name + "=p.exe");
  }
  ExpectFindings(Script(lines), {{165, E, "cut to its first 82 of 99 bytes"}});
  EXPECT_NE(LintScript(Script(lines)).findings[0].message.find("1 entry after it (lines 166 to 166) is lost"),
            std::string::npos);
}

TEST(ScriptLintListing, NamesBeyondTheListingAreLost) {
  // One name of 16381 bytes leaves room for nothing but the two final zeros.
  const std::string text = Script({"[PROCESS]", std::string(16381, 'n') + "=a.exe", "b=b.exe", "c=c.exe"});
  ExpectFindings(text, {{3, E, "the names from 'b' to 'c' (lines 3 to 4) are lost"}});
}

TEST(ScriptLintListing, NamelessEntryEndsTheListing) {
  ExpectFindings(Script({"[PROCESS]", "a=a.exe", "=b.exe", "c=c.exe"}),
                 {{3, W, "it and the 1 entry after it are never read"}});
  // After an end marker it is one more entry that is never read, not a finding of its own.
  ExpectFindings(Script({"[PROCESS]", "a=a.exe", "b=", "=x"}), {{4, W, "end marker 'b=' at line 3"}});
}

TEST(ScriptLintListing, ValueLongerThan2047BytesIsAnError) {
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "category=c", "title=" + std::string(2048, 't')}),
                 {{3, E, "2048 bytes long"}});
  ExpectClean(ScriptRemoving({"[APPTYPE]", "category=c", "title=" + std::string(2047, 't')}));
}

// --- The walk -----------------------------------------------------------------

TEST(ScriptLintWalk, RepeatedNameSaysWhichValueIsHandledTwiceAndWhichNever) {
  ExpectFindings(Script({"[PROCESS]", "item1=a.exe", "item2=b.exe", "ITEM1=c.exe"}),
                 {{4, E,
                   "repeats 'item1' of line 2: the walk handles that entry's value 'a.exe' again and never "
                   "this one, 'c.exe'"}});
  ExpectFindings(Script({"[PATH]", "x=C:\\a", "X="}), {{3, E, "this end marker does not end the walk"}});
}

TEST(ScriptLintWalk, EndMarkerInTheMiddleOfASectionIsAnError) {
  // The marker is the fault: it hides what follows from every run. The
  // entries it hides are marked where they stand.
  ExpectFindings(Script({"[FILE]", "item1=C:\\a\\*.*", "item2=", "item3=", "item4=C:\\b\\*.*", "item5=C:\\c\\*.*"}),
                 {{3, E,
                   "end marker 'item2=' in the middle of [FILE]: the walk stops here, so the 2 entries after it "
                   "(lines 5 to 6) that a run would handle are hidden from it"},
                  {5, W, "end marker 'item2=' at line 3 ends the walk of [FILE], so this entry and 1 more"}});
  ExpectFindings(
      Script({"[PROCESS]", "item1=a.exe", "item2=", "item3=b.exe", "[PATH]", "item1=C:\\x"}),
      {{3, E, "so the entry after it (line 4) that a run would handle is hidden from it"}, {4, W, "never read"}});
  // It hides entries from a run with the step on, also where the Start
  // button leaves the step off.
  ExpectFindings(ScriptRemoving({"[SERVICE]", "item1=", "item2=lumenseeksvc"}),
                 {{2, E, "end marker 'item1=' in the middle of [SERVICE]"}, {3, W, "never read"}});
  // A marker that ends the section, or is followed only by markers, is meant;
  // so is a nameless entry after it, which no run would read anyway.
  ExpectClean(Script({"[FILE]", "item1=C:\\a\\*.*", "item2="}));
  ExpectClean(ScriptRemoving({"[SERVICE]", "item1=", "item2="}));
  ExpectClean(Script({"[FILE]", "item1=C:\\a\\*.*", "item2=", "item3=", "[PATH]", "item1=C:\\a"}));
}

// --- A script that removes nothing -------------------------------------------

TEST(ScriptLintRemoval, ScriptThatNamesNothingTheStartButtonRemovesIsAnError) {
  const std::string none =
      "the script names nothing that a run of the Start button removes: no entry of [PROCESS], [STARTRUN], "
      "[UNINSTALL], [HKEY_CURRENT_USER], [HKEY_LOCAL_MACHINE], [FILE] or [PATH] is handled, so a Tidemark.exe "
      "built from it removes nothing";
  ExpectFindings(Script({"[APPTYPE]", "category=c", "title=t"}), {{1, E, none}});
  // Sections that only runs with other switches read, and one that no step reads.
  ExpectFindings(Script({"[APPTYPE]", "category=c", "title=t", "[SERVICE]", "a=lumenseeksvc", "[REGISTRY_NAME]",
                         "b=lumenseek", "[Other]", "c=lumenseek.exe"}),
                 {{1, E, none},
                  {4, N, "[SERVICE] is read only by a removal step that the Start button leaves off"},
                  {6, N, "[REGISTRY_NAME] is read by no removal step"},
                  {8, N, "section [Other] is not one the program reads"}});
  // Every section ends at its first entry.
  ExpectFindings(Script({"[PROCESS]", "item1=", "[FILE]", "item1=", "[PATH]", "item1="}), {{1, E, none}});
  // Entries are handled, but each of them has an error.
  ExpectFindings(Script({"[PROCESS]", "a=csrss.exe", "b=C:\\x\\b.exe", "[FILE]", "c=%WINDOWS%\\*.*"}),
                 {{1, E,
                   "every entry of [PROCESS], [STARTRUN], [UNINSTALL], [HKEY_CURRENT_USER], "
                   "[HKEY_LOCAL_MACHINE], [FILE] or [PATH] that a run handles has an error"},
                  {2, E, "'csrss.exe' is a process of Windows itself"},
                  {3, E, "holds a folder"},
                  {5, E, "would delete every file in a folder of Windows"}});
}

TEST(ScriptLintRemoval, OneHandledEntryOfAnyRemovalSectionIsEnough) {
  const std::map<std::string, std::string> entries = {
      {"PROCESS", "a=lumenseek.exe"},
      {"STARTRUN", "lumenseek=%PROGRAM_FILES%\\lumenseek\\lumenseek.exe"},
      {"UNINSTALL", "a=lumenseek"},
      {"HKEY_CURRENT_USER", "SOFTWARE=lumenseek"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\lumenseek=lumenseek"},
      {"FILE", "a=%PROGRAM_FILES%\\lumenseek\\*.*"},
      {"PATH", "a=%PROGRAM_FILES%\\lumenseek"}};
  for (const std::string_view section : SectionsOfTheStartButtonRun()) {
    SCOPED_TRACE(std::string(section));
    ASSERT_EQ(entries.count(std::string(section)), 1u);
    ExpectClean(Script({"[" + std::string(section) + "]", entries.at(std::string(section))}));
  }
  // An entry with only a warning is still looked for, so it counts.
  ExpectFindings(Script({"[PROCESS]", "a=lumenseek"}), {{2, W, "does not end in '.exe'"}});
  // One entry free of errors is enough, whatever errors the others have.
  ExpectFindings(Script({"[PROCESS]", "a=lumenseek.exe", "A=other.exe"}), {{3, E, "repeats 'a' of line 2"}});
}

TEST(ScriptLintWalk, RepeatedSectionIsAWarning) {
  ExpectFindings(Script({"[PROCESS]", "a=a.exe", "[Process]", "b=b.exe"}),
                 {{3, W, "repeats [PROCESS] of line 1: only the first is read, so its 1 entry is never read"}});
}

// --- Values of the steps ------------------------------------------------------

TEST(ScriptLintValues, ProcessNameWithAFolderIsAnError) {
  ExpectFindings(Script({"[PROCESS]", "a=C:\\x\\a.exe", "b=x/b.exe", "c=c:d.exe", "d=d.exe"}),
                 {{2, E, "'C:\\x\\a.exe' holds a folder"}, {3, E, "'x/b.exe'"}, {4, E, "'c:d.exe'"}});
}

TEST(ScriptLintValues, KeyPathMadeOfBackslashesIsAnError) {
  // Said once: the backslashes alone, not also the value's leading one.
  ExpectFindings(ScriptRemoving({"[UNINSTALL]", "a=\\", "[HKEY_LOCAL_MACHINE]", "SOFTWARE=\\\\"}),
                 {{2, E, "key path '\\' in [UNINSTALL] is empty"}, {4, E, "[HKEY_LOCAL_MACHINE]"}});
}

TEST(ScriptLintValues, UnknownMacroTokensAreWarningsAndAnErrorWhereTheProgramRefuses) {
  // Mended fault: "%temp%\*.*" is no full path once expanded, so the program
  // refuses it; the checker called it a warning only.
  ExpectFindings(Script({"[FILE]", "a=%temp%\\*.*", "b=C:\\%ProgramFiles%\\x\\*.*", "c=%TEMP%\\lumen*.tmp"}),
                 {{2, W,
                   "'%temp%' is not one of the thirteen folder macros (they are matched exactly, in upper "
                   "case: '%TEMP%')"},
                  {2, E,
                   "'%temp%\\*.*' is neither a full path (such as 'C:\\...') nor starts with a folder macro; "
                   "the program refuses it and deletes nothing"},
                  {3, W, "'%ProgramFiles%' is not one of the thirteen"}});
  ExpectFindings(Script({"[STARTRUN]", "x=%PROGRAM_FILES%\\x.exe %appdata%"}), {{2, W, "'%appdata%'"}});
}

TEST(ScriptLintValues, MacroInASectionWithoutExpansionIsAWarning) {
  ExpectFindings(Script({"[UNINSTALL]", "a=%TEMP%"}), {{2, W, "'%TEMP%' is not expanded in [UNINSTALL]"}});
  // Recovery data is written as it is; "%...%" there is data.
  ExpectFindings(ScriptRemoving({"[REGISTRY_RECOVERY]", "a=HKEY_CURRENT_USER|=|Software\\V|=|Path|=|%TEMP%\\x"}),
                 {{1, N, "read only by a removal step"}});
}

TEST(ScriptLintValues, PathThatIsNeitherFullNorMacroIsRefused) {
  // The file and folder steps refuse such a value; a module is looked for.
  ExpectFindings(ScriptRemoving({"[FILE]", "a=lumenseek\\*.*", "b=*.tmp", "[PATH]", "c=sub\\dir", "[BHO]", "d=x.dll"}),
                 {{2, E, "'lumenseek\\*.*' is neither a full path"},
                  {3, E, "'*.tmp' is neither a full path"},
                  {5, E, "the program refuses it and removes nothing"},
                  {6, N, "[BHO] is read only by a removal step that the Start button leaves off"},
                  {7, W, "wherever Windows looks for modules"}});
  ExpectClean(Script({"[FILE]", "a=C:\\x\\*.*", "c=%WINDOWS%\\x.tmp"}));
  // The program deletes nothing on a network share or through a device path.
  ExpectFindings(
      ScriptRemoving({"[FILE]", "b=\\\\server\\share\\*.*", "c=\\\\?\\C:\\x\\*.*", "[PATH]", "d=//server/x"}),
      {{2, E, "is a network share or a device path"},
       {3, E, "is a network share or a device path"},
       {5, E, "is a network share or a device path"}});
}

TEST(ScriptLintValues, FileValueWithoutAMaskIsReported) {
  ExpectFindings(
      Script({"[FILE]", "a=%PROGRAM_FILES%\\lumenseek\\", "b=%PROGRAM_FILES%\\lumenseek", "c=%TEMP%", "d=C:\\one.txt"}),
      {{2, E, "ends in '\\': it has no file mask, so the program refuses it"},
       {3, W, "its last part 'lumenseek' has neither a wildcard nor an extension"},
       {4, W, "its last part '%TEMP%'"}});
}

TEST(ScriptLintValues, RegistryNameNotShortenedIsAWarning) {
  ExpectFindings(Script({"[HKEY_CURRENT_USER]", "SOFTWARE\\Vendor\\Sub=Vendor"}),
                 {{2, W,
                   "'SOFTWARE\\Vendor\\Sub' holds the value 'Vendor' but not exactly as its last path "
                   "component"}});
  // A last component in another case is cut like an exact one.
  ExpectClean(Script({"[HKEY_CURRENT_USER]", "SOFTWARE\\Vendor=Vendor", "SOFTWARE=lumenseek", "Other=Other",
                      "SOFTWARE\\Lumen=lumen"}));
}

TEST(ScriptLintValues, RecoveryRecordsThatDoNotWriteWhatTheySayAreWarnings) {
  ExpectFindings(ScriptRemoving({"[REGISTRY_RECOVERY]", "a=one", "b=HKEY_CURRENT_USER|=|Software\\V|=|Mode",
                                 "c=hkey_local_machine|=|Software\\V", "d=HKEY_CLASSES_ROOT|=|k|=|v|=|d|=|e",
                                 "e=HKEY_LOCAL_MACHINE|=|Software\\V", "f=HKEY_CURRENT_USER|=|Software\\V|=|",
                                 "g=HKEY_CURRENT_USER|=|Software\\V|=|Mode|=|1"}),
                 {{1, N, "[REGISTRY_RECOVERY] is read only by a removal step"},
                  {2, W, "has one field; it is skipped"},
                  {3, W, "three fields: the value 'Mode' is written with empty data"},
                  {4, W, "recovery root 'hkey_local_machine' is not"},
                  {5, W, "5 fields; everything after the fourth is ignored"}});
}

TEST(ScriptLintValues, ParentFolderBeforeItsSubfolderIsAWarning) {
  ExpectFindings(Script({"[PATH]", "a=%PROGRAM_FILES%\\lumenseek", "b=%PROGRAM_FILES%\\LUMENSEEK\\bin\\"}),
                 {{2, W, "is listed before its subfolder '%PROGRAM_FILES%\\LUMENSEEK\\bin\\' (line 3)"}});
  ExpectClean(Script({"[PATH]", "b=%PROGRAM_FILES%\\lumenseek\\bin", "a=%PROGRAM_FILES%\\lumenseek"}));
  // Different macros are different folders, and a longer name is no subfolder.
  ExpectClean(Script({"[PATH]", "a=%PROGRAM_FILES%\\x", "b=%PROGRAM_FILESX86%\\x\\y", "c=%PROGRAM_FILES%\\xy"}));
}

// A name of at most three characters for each entry, so that thousands fit
// in the 16384-byte listing.
std::string ShortName(std::size_t number) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name;
  for (std::size_t rest = number + 1; rest > 0; rest = (rest - 1) / 36)
    name.insert(name.begin(), kDigits[(rest - 1) % 36]);
  return name;
}

TEST(ScriptLintValues, FolderOrderInALongSectionFindsEachFolderBeforeItsFirstLaterSubfolder) {
  // 3000 folders: 150 folders of the target, each with 19 subfolders. The
  // folders with an even number stand before their subfolders (one finding
  // each, naming the first subfolder after it), the others after them.
  // Around them, names that only look related: another macro, a longer name,
  // another case and a trailing backslash.
  std::vector<std::string> lines{"[PATH]"};
  std::vector<Expected> expected;
  std::size_t number = 0;
  const auto add = [&](const std::string& folder) {
    lines.push_back(ShortName(number++) + "=" + folder);
    return lines.size();
  };
  for (int folder = 0; folder < 150; ++folder) {
    const std::string parent = "%PROGRAM_FILES%\\lumenseek\\part" + std::to_string(folder);
    const bool parentFirst = folder % 2 == 0;
    const std::size_t parentLine = parentFirst ? add(parent) : 0;
    add("%PROGRAM_FILESX86%\\lumenseek\\part" + std::to_string(folder) + "\\other");
    add(parent + "x\\longer");
    std::size_t firstChild = 0;
    for (int child = 0; child < 16; ++child) {
      const std::string sub = parent + "\\sub" + std::to_string(child);
      const std::size_t line = add(child == 3 ? ToUpperAsciiCp949(sub) + "\\" : sub);
      if (firstChild == 0) firstChild = line;
    }
    if (parentFirst) {
      expected.push_back({parentLine, W,
                          "folder '" + parent + "' is listed before its subfolder '" + parent + "\\sub0' (line " +
                              std::to_string(firstChild) + ")"});
    } else {
      add(parent);
    }
  }
  ASSERT_EQ(number, 2850u);
  const LintResult result = LintScript(Script(lines));
  ASSERT_EQ(result.walks.size(), 10u);
  EXPECT_EQ(result.walks[8].section, "PATH");
  EXPECT_EQ(result.walks[8].handled.size(), number) << "every folder is in the listing";
  ExpectFindings(Script(lines), expected);
}

TEST(ScriptLintValues, FolderOrderAgreesWithFolderByFolderComparison) {
  // Small random sections over few names, so that folders nest, repeat and
  // share prefixes often; the findings must be what comparing each folder
  // with every later one finds.
  std::mt19937 random(20261209);
  const char* const parts[] = {"a", "A", "ab", "b", "a\\", "b\\a"};
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> folders;
    const int count = std::uniform_int_distribution<int>(1, 12)(random);
    for (int index = 0; index < count; ++index) {
      std::string folder = std::uniform_int_distribution<int>(0, 5)(random) == 0 ? "C:" : "C:\\lumenseek";
      const int depth = std::uniform_int_distribution<int>(0, 3)(random);
      for (int level = 0; level < depth; ++level) {
        folder += "\\";
        folder += parts[std::uniform_int_distribution<std::size_t>(0, std::size(parts) - 1)(random)];
      }
      folders.push_back(folder);
    }
    std::vector<std::string> lines{"[PATH]"};
    for (std::size_t index = 0; index < folders.size(); ++index)
      lines.push_back(ShortName(index) + "=" + folders[index]);
    std::vector<std::string> found;
    for (const Finding& finding : LintScript(Script(lines)).findings) {
      if (finding.message.find("is listed before its subfolder") != std::string::npos) {
        found.push_back(std::to_string(finding.line) + ": " + finding.message);
      }
    }
    const auto key = [](std::string folder) {
      folder = ToUpperAsciiCp949(folder);
      while (!folder.empty() && folder.back() == '\\') folder.pop_back();
      return folder;
    };
    std::vector<std::string> compared;
    for (std::size_t parent = 0; parent < folders.size(); ++parent) {
      if (key(folders[parent]).size() <= 2) continue;  // a drive's root has an error of its own
      const std::string prefix = key(folders[parent]) + "\\";
      for (std::size_t child = parent + 1; child < folders.size(); ++child) {
        if (key(folders[child]).compare(0, prefix.size(), prefix) != 0) continue;
        compared.push_back(std::to_string(parent + 2) + ": folder " + Quote(folders[parent]) +
                           " is listed before its subfolder " + Quote(folders[child]) + " (line " +
                           std::to_string(child + 2) +
                           "); it still holds the subfolder at its turn and is never removed (list the subfolder "
                           "first)");
        break;
      }
    }
    ASSERT_EQ(found, compared) << Script(lines);
  }
}

// --- What the program refuses, or what would harm the system -----------------

TEST(ScriptLintRefusals, WindowsProcessesAreErrorsAndNamesWithoutExeAreWarnings) {
  ExpectFindings(Script({"[PROCESS]", "a=winlogon.exe", "b=LSASS.EXE", "c=System", "d=lumenseek", "e=lumen.EXE"}),
                 {{2, E, "'winlogon.exe' is a process of Windows itself: the program never ends it"},
                  {3, E, "'LSASS.EXE' is a process of Windows itself"},
                  {4, E, "'System' is a process of Windows itself"},
                  {5, W, "'lumenseek' does not end in '.exe'"}});
}

TEST(ScriptLintRefusals, WindowsRunValuesAreErrors) {
  ExpectFindings(Script({"[STARTRUN]", "OneDrive=%PROGRAM_FILES%\\x.exe", "windows defender=x.exe",
                         "SecurityHealth=x.exe", "lumenseek=%PROGRAM_FILES%\\lumenseek\\lumenseek.exe"}),
                 {{2, E, "Run value 'OneDrive' starts a part of Windows"},
                  {3, E, "'windows defender'"},
                  {4, E, "the program never deletes the start-up entry of that name under either root"}});
}

TEST(ScriptLintRefusals, ProtectedAndRootRelativeRegistryKeysAreErrors) {
  ExpectFindings(Script({"[HKEY_CURRENT_USER]", "Software=Microsoft", "SOFTWARE=\\lumenseek", "Software\\Classes=CLSID",
                         "SOFTWARE\\Vendor=Vendor", "[HKEY_LOCAL_MACHINE]", "SOFTWARE\\Microsoft=Windows",
                         "SYSTEM\\ControlSet001=Services", "SOFTWARE\\WOW6432Node\\Microsoft=Windows",
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache=lumenseek"}),
                 {{2, E, "the key 'HKEY_CURRENT_USER\\Software\\Microsoft' is a key of Windows"},
                  {3, E, "repeats 'Software' of line 2"},
                  {4, E, "'HKEY_CURRENT_USER\\Software\\Classes\\CLSID'"},
                  {7, E, "'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows'"},
                  {8, E, "'HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services'"},
                  {9, E, "the program never deletes it"}});
  // A value from the root, on a line of its own.
  ExpectFindings(ScriptRemoving({"[HKEY_LOCAL_MACHINE]", "SOFTWARE=\\lumenseek"}),
                 {{2, E, "begins with '\\', which would make it a key path from the root"}});
}

TEST(ScriptLintRefusals, KeysOfWindowsOneLevelBelowTheProtectedOnesAreErrors) {
  // Beside each, the target's own key in the same place checks clean.
  ExpectFindings(
      Script({"[HKEY_LOCAL_MACHINE]", "SYSTEM=Setup", "SYSTEM\\CurrentControlSet\\Services=Tcpip",
              "SYSTEM\\CurrentControlSet\\Services\\lumenseek=lumenseek", "SOFTWARE\\Classes=.lnk",
              "SOFTWARE\\Classes\\lumenseek.doc=lumenseek.doc",
              "SOFTWARE\\Classes\\CLSID={8C1B3A52-0000-4000-8000-00000000BEEF}",
              "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion=Image File Execution Options",
              "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options=lumenseek.exe",
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer=Browser Helper Objects", "[HKEY_CURRENT_USER]",
              "Software\\Classes\\WOW6432Node=CLSID", "Software\\Classes\\Directory\\shell=lumenseek"}),
      {{2, E, "the key 'HKEY_LOCAL_MACHINE\\SYSTEM\\Setup' is part of the configuration of Windows below SYSTEM"},
       {3, E, "belongs to 'Tcpip', a service of Windows: the program never deletes it"},
       {5, E, "'HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.lnk' is the class of a file type"},
       {8, E, "\\Image File Execu...' is a key of Windows or one shared by many programs"},
       {10, E, "\\Explorer\\Browser He...' is a key of Windows"},
       {12, E, "'HKEY_CURRENT_USER\\Software\\Classes\\WOW6432Node\\CLSID' is a key of Windows"}});
}

TEST(ScriptLintRefusals, TheErrorIsTheProgramsOwnReasonWordForWord) {
  const auto only = [](const std::vector<std::string>& lines) {
    const std::vector<Finding> findings = LintScript(ScriptRemoving(lines)).findings;
    return findings.size() == 1 ? findings[0].message : Dump(findings);
  };
  EXPECT_EQ(only({"[PROCESS]", "a=csrss.exe"}), ProcessVerdict("csrss.exe").Reason());
  EXPECT_EQ(only({"[STARTRUN]", "SecurityHealth=x.exe"}), RunValueVerdict("SecurityHealth").Reason());
  EXPECT_EQ(only({"[UNINSTALL]", "a=lumen\\seek"}),
            UninstallEntryVerdict(RegistryRoot::CurrentUser, "lumen\\seek", NoRegistryFacts()).Reason());
  EXPECT_EQ(
      only({"[HKEY_LOCAL_MACHINE]", "SYSTEM\\ControlSet001\\Services=Dhcp"}),
      RegistryKeyEntryVerdict(RegistryRoot::LocalMachine, "SYSTEM\\ControlSet001\\Services", "Dhcp", NoRegistryFacts())
          .Reason());
  EXPECT_EQ(only({"[HKEY_CURRENT_USER]", "Software=\\lumenseek"}),
            RegistryKeyEntryVerdict(RegistryRoot::CurrentUser, "Software", "\\lumenseek", NoRegistryFacts()).Reason());
}

TEST(ScriptLintRefusals, RegistryEntryNameWithARootNameDeletesNothing) {
  ExpectFindings(Script({"[HKEY_CURRENT_USER]", "HKEY_CURRENT_USER\\Software=lumenseek", "[HKEY_LOCAL_MACHINE]",
                         "hklm\\SOFTWARE\\Vendor=Vendor", "HKLMX\\SOFTWARE=lumenseek"}),
                 {{2, E,
                   "starts with the root's name 'HKEY_CURRENT_USER': the program looks for a key of that "
                   "name below HKEY_CURRENT_USER"},
                  {4, E, "'HKLM'"}});
}

TEST(ScriptLintRefusals, UninstallValueWithABackslashIsAnError) {
  ExpectFindings(Script({"[UNINSTALL]", "a=Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek",
                         "b=HKEY_LOCAL_MACHINE\\lumenseek", "c=lumen\\seek", "d=\\lumenseek", "e=lumenseek"}),
                 {{2, E, "is a full key path, but [UNINSTALL] takes the name of one subkey"},
                  {3, E, "is a full key path"},
                  {4, E, "holds '\\', but a subkey name of the Uninstall key never does"},
                  {5, E, "the program refuses it and deletes nothing"}});
}

TEST(ScriptLintRefusals, BroadMasksInWellKnownFoldersAndDriveRootsAreErrors) {
  ExpectFindings(
      ScriptRemoving({"[FILE]", "a=%WINDOWS%\\*.*", "b=%SYSTEM%\\*.dll", "c=%PROGRAM_FILES%\\*.*", "d=%TEMP%\\*",
                      "e=C:\\Windows\\*.*", "f=C:\\*.*", "g=C:\\Windows\\System32\\*.dll", "h=C:\\Users\\*.*",
                      "i=d:\\program files (x86)\\*.*", "j=E:\\ProgramData\\?.*", "k=C:\\Windows.\\*.*"}),
      {{2, E, "the mask '*.*' would delete every file in a folder of Windows"},
       {3, E, "'*.dll'"},
       {4, E, "'%PROGRAM_FILES%\\*.*'"},
       {5, E, "'%TEMP%\\*'"},
       {6, E, "'C:\\Windows\\*.*'"},
       {7, E, "every file in the root of a drive"},
       {8, E, "'C:\\Windows\\System32\\*.dll'"},
       {9, E, "'C:\\Users\\*.*'"},
       {10, E, "'d:\\program files (x86)\\*.*'"},
       {11, E, "'?.*'"},
       {12, E, "'C:\\Windows.\\*.*'"}});
  // A literal stem, one file, or the target's own folder is what a script is for.
  ExpectClean(Script({"[FILE]", "a=%PROGRAM_FILES%\\lumenseek\\*.*", "b=C:\\Windows\\lumen*.dll",
                      "c=%TEMP%\\lumenseek.tmp", "d=C:\\Program Files\\lumenseek\\*.*", "e=C:\\lumenseek.log"}));
}

TEST(ScriptLintRefusals, FileFoldersThatReachElsewhereAreErrors) {
  ExpectFindings(
      ScriptRemoving({"[FILE]", "a=%PROGRAM_FILES%\\lumenseek\\..\\*.*", "b=C:\\x\\.\\y\\a.txt", "c=C:\\x:stream\\*.*",
                      "d=%PROGRAM_FILES%\\lumen*\\*.*", "e=C:\\l?men\\a.txt", "f=%PROGRAM_FILES%/lumenseek/*.*"}),
      {{2, E, "a '.' or '..' component makes Windows climb out"},
       {3, E, "'.' or '..'"},
       {4, E, "a ':' after the drive's"},
       {5, E, "the folder part of '%PROGRAM_FILES%\\lumen*\\*.*' holds a wildcard"},
       {6, E, "holds a wildcard: Windows matches wildcards only in the last part"},
       {7, E, "holds '/': Windows and the program take it as a folder separator"}});
}

TEST(ScriptLintRefusals, PathFoldersOfWindowsAndDriveRootsAreErrors) {
  ExpectFindings(Script({"[PATH]", "a=%PROGRAM_FILES%\\lumenseek\\bin", "b=C:\\", "c=%TEMP%", "d=C:\\Program Files",
                         "e=%PROGRAM_FILES%\\lumenseek\\..", "f=%PROGRAM_FILES%/lumenseek", "g=%PROFILE%\\.."}),
                 {{3, E, "'C:\\' is the root of a drive"},
                  {4, E,
                   "'%TEMP%' is a folder of Windows, of a user's profile or of every program: the program never "
                   "removes it, even when it is empty"},
                  {5, E, "'C:\\Program Files' is a folder of Windows"},
                  {6, E, "the folder '%PROGRAM_FILES%\\lumenseek\\..' is refused"},
                  {7, E, "holds '/'"},
                  {8, E, "'%PROFILE%\\..' is refused"}});
}

// --- Other findings -----------------------------------------------------------

TEST(ScriptLintSections, MisspeltSectionNameSuggestsTheMeantOne) {
  ExpectFindings(ScriptRemoving({"[STARTRUNN]", "a=b", "[Start_Run]", "[HKEY_LOCALMACHINE]", "[PROCESES]", "[files]",
                                 "[REGISTRYRECOVERY]", "[FOO]", "[OTHER]", "[hklm]"}),
                 {{1, W,
                   "section [STARTRUNN] is not one the program reads, so its entries have no effect: did you "
                   "mean [STARTRUN]?"},
                  {3, W, "did you mean [STARTRUN]?"},
                  {4, W, "did you mean [HKEY_LOCAL_MACHINE]?"},
                  {5, W, "did you mean [PROCESS]?"},
                  {6, W, "did you mean [FILE]?"},
                  {7, W, "did you mean [REGISTRY_RECOVERY]?"},
                  {8, N, "section [FOO] is not one the program reads"},
                  {9, N, "section [OTHER] is not one the program reads"},
                  {10, W, "did you mean [HKEY_LOCAL_MACHINE]?"}});
}

TEST(ScriptLintSections, ProgramInfoWithoutTitleOrCategoryIsAWarning) {
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "category=c"}), {{1, W, "[APPTYPE] has no 'title' with a value"}});
  ExpectFindings(Script({"[PROCESS]", "a=a.exe", "[APPTYPE]", "title=t", "category="}),
                 {{3, W, "has no 'category' with a value: the main window shows an empty category"}});
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "Publisher=p"}), {{1, W, "neither 'category' nor 'title'"}});
}

TEST(ScriptLintSections, ScriptWithoutASectionIsAnError) {
  ExpectFindings("", {{1, E, "the script holds no section"}});
  ExpectFindings(Script({"", "  ", "; only a comment"}), {{1, E, "the script holds no section"}});
  ExpectFindings(Script({"PROCESS", "a=lumenseek.exe"}),
                 {{1, N, "neither a section line"}, {1, E, "the script holds no section"}, {2, N, "entry before"}});
}

TEST(ScriptLintBytes, Utf8TextThatReadsAsCodePage949IsReported) {
  // "한국" in UTF-8 (ED 95 9C EA B5 AD) is three well-formed code page 949
  // pairs, so the byte check passes it.
  const std::string korean = "x\xED\x95\x9C\xEA\xB5\xAD";
  ExpectFindings(Script({"[APPTYPE]", "category=" + korean, "title=t", "[PROCESS]", "a=" + korean + ".exe"}),
                 {{5, E,
                   "the file is saved as UTF-8, but the program reads it as code page 949: this line's "
                   "text becomes other characters, so the run looks for other names"}});
  // Only the labels: they show other text, and nothing else changes.
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "category=" + korean, "title=t"}),
                 {{2, W, "this line's text is shown as other characters"}});
  // UTF-8 that is not code page 949 has the byte error alone.
  ExpectFindings(ScriptRemoving({"[APPTYPE]", "category=\xEA\xB2\x80", "title=t"}),
                 {{2, E, "not valid code page 949"}});
}

// --- Notes --------------------------------------------------------------------

TEST(ScriptLintNotes, SectionsAndLinesThatAreNeverReadAreNotes) {
  // A plain comment says nothing; one that looks like an entry gets a note.
  ExpectFindings(ScriptRemoving({"before=x", "[APPTYPE]", "; a comment", " ;title=old", "[OTHER", "title=t", "[Extra]",
                                 "k=v", "[REGISTRY_NAME]", "n=v", "no equals"}),
                 {{1, N, "entry before the first section line"},
                  {2, W, "[APPTYPE] has neither 'category' nor 'title'"},
                  {4, N, "commented out: never handled"},
                  {5, W, "without a closing ']' still opens the section [OTHER]"},
                  {5, N, "section [OTHER] is not one the program reads"},
                  {7, N, "section [Extra] is not one the program reads"},
                  {9, N, "[REGISTRY_NAME] is read by no removal step"},
                  {11, N, "neither a section line nor a Name=Value entry"}});
}

// --- The whole report ---------------------------------------------------------

TEST(ScriptLintReport, FindingsAreSortedByLineAndFormattedLikeACompiler) {
  const LintResult result = LintScript(ScriptRemoving({"[PROCESS]", "a=x\\a.exe", "A=b.exe", "[OTHER]", "c"}));
  ASSERT_EQ(result.findings.size(), 4u) << Dump(result.findings);
  EXPECT_EQ(FormatFinding("s.ini", result.findings[0]).rfind("s.ini:2: error: process name 'x\\a.exe'", 0), 0u);
  EXPECT_EQ(FormatFinding("s.ini", result.findings[3]),
            "s.ini:5: note: line is neither a section line nor a Name=Value entry and is ignored");
  for (std::size_t index = 1; index < result.findings.size(); ++index) {
    EXPECT_LE(result.findings[index - 1].line, result.findings[index].line);
  }
  EXPECT_TRUE(HasError(result.findings));
  EXPECT_FALSE(HasError(LintScript(ScriptRemoving({"[OTHER]"})).findings));
}

TEST(ScriptLintReport, LongScriptTextIsQuotedCutOnACharacterBoundary) {
  // 79 ASCII bytes and then a two-byte character that would straddle byte 80.
  const std::string quoted = Quote(std::string(79, 'a') + "검" + std::string(10, 'b'));
  EXPECT_EQ(quoted, "'" + std::string(79, 'a') + "...'");
  EXPECT_EQ(Quote("검색"), "'검색'");
}

TEST(ScriptLintReport, EmbeddedScriptIsCleanAndHandsOnWhatARunHandles) {
  const LintResult result = LintScript(testing::DefaultScriptBytes());
  EXPECT_EQ(result.findings.size(), 0u) << Dump(result.findings);
  std::map<std::string, std::size_t> handled;
  for (const WalkedSection& walk : result.walks) handled[std::string(walk.section)] = walk.handled.size();
  EXPECT_EQ(handled, (std::map<std::string, std::size_t>{{"PROCESS", 2},
                                                         {"SERVICE", 0},
                                                         {"BHO", 0},
                                                         {"STARTRUN", 2},
                                                         {"UNINSTALL", 1},
                                                         {"HKEY_CURRENT_USER", 1},
                                                         {"HKEY_LOCAL_MACHINE", 1},
                                                         {"FILE", 1},
                                                         {"PATH", 1},
                                                         {"REGISTRY_RECOVERY", 0}}));
}

// --- Random scripts -----------------------------------------------------------

std::string RandomScript(std::mt19937& random) {
  static const char* const kPieces[] = {
      "[",
      "]",
      "=",
      "\"",
      " ",
      "\r\n",
      "\n",
      "\r\n[FILE]\r\n",
      "\r\n[PATH]\r\n",
      "\r\n[PROCESS]\r\n",
      "\r\n[HKEY_CURRENT_USER]\r\n",
      "\r\n[REGISTRY_RECOVERY]\r\n",
      "\r\n[Other]\r\n",
      "item1",
      "ITEM1",
      "item2",
      "%PROGRAM_FILES%",
      "%TEMP%",
      "%temp%",
      "%X%",
      "%",
      "\xB0\xCB",
      "\xB0",
      "\x80",
      "\xEF\xBB\xBF",
      "|=|",
      "HKEY_CURRENT_USER",
      "\\",
      "/",
      ":",
      "C:\\",
      "*.*",
      "x",
      "", /* a zero byte */
  };
  constexpr std::size_t kZero = std::size(kPieces) - 1;
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(0, 300)(random);
  for (int i = 0; i < pieces; ++i) {
    const std::size_t pick = std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) + 1)(random);
    if (pick == std::size(kPieces)) {
      text.append(std::uniform_int_distribution<std::size_t>(0, 3000)(random), 'L');
    } else if (pick == std::size(kPieces) + 1) {
      // Rarely a section long enough to overflow the name listing.
      if (std::uniform_int_distribution<int>(0, 40)(random) != 0) continue;
      text += "\r\n[FILE]\r\n";
      for (int entry = 0; entry < 200; ++entry)
        text += "n" + std::to_string(entry) + std::string(95, 'n') + "=C:\\a\r\n";
    } else if (pick == kZero) {
      if (std::uniform_int_distribution<int>(0, 20)(random) == 0) text.push_back('\0');
    } else {
      text += kPieces[pick];
    }
  }
  return text;
}

TEST(ScriptLintRandom, NeverCrashesAndHandsOnWhatTheWalkHandsOn) {
  std::mt19937 random(20261208);
  const testing::FakeFolders folders;
  std::map<Severity, int> seen;
  for (int round = 0; round < 600; ++round) {
    const std::string text = RandomScript(random);
    const LintResult result = LintScript(text);
    const ScriptIni script(text);
    const std::size_t lineCount = SplitScriptLines(text).size();

    for (std::size_t index = 0; index < result.findings.size(); ++index) {
      const Finding& finding = result.findings[index];
      ASSERT_GE(finding.line, 1u) << finding.message;
      // A zero byte right after the last line break stands on a line of its own.
      ASSERT_LE(finding.line, lineCount + 1) << finding.message;
      ASSERT_FALSE(finding.message.empty());
      ++seen[finding.severity];
      if (index > 0) {
        ASSERT_LE(result.findings[index - 1].line, finding.line);
      }
    }

    ASSERT_EQ(result.walks.size(), 10u);
    for (const WalkedSection& walk : result.walks) {
      const WalkResult walked = WalkSection(
          script, walk.section, folders, [](const std::string&, const std::string&) { return WalkControl::Continue; });
      ASSERT_EQ(walk.handled.size(), static_cast<std::size_t>(walked.handled)) << walk.section;
      std::size_t previousLine = walk.line;
      for (const HandledEntry& entry : walk.handled) {
        // Each handed-on entry stands on its own line, in file order, below
        // its section line, with the value that the program's lookup yields.
        ASSERT_GT(entry.line, previousLine);
        previousLine = entry.line;
        ASSERT_EQ(entry.value, script.LookupValue(walk.section, entry.name));
        ASSERT_FALSE(entry.value.empty());
      }
    }
  }
  // The generator must reach every kind of severity, or it proves little.
  EXPECT_GT(seen[Severity::Error], 0);
  EXPECT_GT(seen[Severity::Warning], 0);
  EXPECT_GT(seen[Severity::Note], 0);
}

}  // namespace
}  // namespace tidemark::lint
