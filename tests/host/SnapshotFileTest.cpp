// The snapshot file: what is written is read back byte for byte, and a file
// that is not a complete snapshot of this version is refused with its line.
#include <gtest/gtest.h>

#include <string>

#include "capture/SnapshotFile.h"

namespace tidemark::capture {
namespace {

Snapshot AwkwardSnapshot() {
  Snapshot snapshot;
  snapshot.machine = "TEST-PC";
  snapshot.takenAt = "2026-12-08 10:00:00";
  snapshot.outputPath = "C:\\snap\\100%.snap";
  snapshot.captureBits = 32;
  snapshot.views = {kView32, kView64};
  snapshot.macros = {{"%TEMP%", "C:\\users\\\xB1\xE8\\Temp"}};
  snapshot.processes = {"lumenseek.exe", "\xB0\xCB\xBB\xF6.exe"};
  snapshot.services = {{"Svc", "\"C:\\x y\\svc.exe\" -k"}};
  snapshot.keys = {{kView32, kRootCurrentUser, "Software\\tab\there"}, {kView64, kRootLocalMachine, "SOFTWARE\\50%"}};
  snapshot.values = {
      {{kView32, kRootCurrentUser, "Software\\tab\there"}, "", 1, 0xFEDCBA9876543210ULL, "line\r\nbreak"},
      {{kView64, kRootLocalMachine, "SOFTWARE\\50%"}, "name\x7F", 4, 1, ""}};
  snapshot.folders = {"C:\\Program Files (x86)\\lumenseek"};
  snapshot.files = {{"C:\\Program Files (x86)\\lumenseek\\a.exe", 12345678901ULL}};
  snapshot.unreadable = {{"key", "64\\HKLM\\SAM\\SAM", 5}, {"folder", "C:\\System Volume Information", 5}};
  return snapshot;
}

TEST(SnapshotFile, WritesEveryRecordAndReadsItBackExactly) {
  const Snapshot written = AwkwardSnapshot();
  const std::string text = FormatSnapshot(written);
  // Tabs, CR and LF inside fields never break the line structure.
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("Software\\tab%09here"), std::string::npos);
  EXPECT_NE(text.find("100%25.snap"), std::string::npos);

  const ParsedSnapshot parsed = ParseSnapshot(text);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const Snapshot& read = parsed.snapshot;
  EXPECT_EQ(read.machine, written.machine);
  EXPECT_EQ(read.takenAt, written.takenAt);
  EXPECT_EQ(read.outputPath, written.outputPath);
  EXPECT_EQ(read.views, written.views);
  ASSERT_EQ(read.macros.size(), 1u);
  EXPECT_EQ(read.macros[0].folder, written.macros[0].folder);
  EXPECT_EQ(read.processes, written.processes);
  ASSERT_EQ(read.services.size(), 1u);
  EXPECT_EQ(read.services[0].imagePath, written.services[0].imagePath);
  ASSERT_EQ(read.keys.size(), 2u);
  EXPECT_EQ(read.keys[0].path, written.keys[0].path);
  EXPECT_EQ(read.keys[1].view, kView64);
  ASSERT_EQ(read.values.size(), 2u);
  EXPECT_EQ(read.values[0].hash, written.values[0].hash);
  EXPECT_EQ(read.values[0].text, "line\r\nbreak");
  EXPECT_EQ(read.values[1].name, "name\x7F");
  EXPECT_EQ(read.values[1].type, 4u);
  ASSERT_EQ(read.files.size(), 1u);
  EXPECT_EQ(read.files[0].size, 12345678901ULL);
  ASSERT_EQ(read.unreadable.size(), 2u);
  EXPECT_EQ(read.unreadable[1].where, "C:\\System Volume Information");
  // A file written on Windows with CR LF line ends reads the same.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ParseSnapshot(crlf).ok);
}

TEST(SnapshotFile, RefusesWhatIsNoCompleteSnapshotOfThisVersion) {
  const std::string good = FormatSnapshot(AwkwardSnapshot());
  const std::size_t lastLine = good.rfind('\n', good.size() - 2) + 1;
  const std::string withoutEnd = good.substr(0, lastLine);
  struct Case {
    const char* what;
    std::string text;
    const char* error;  // a part of the message
  } cases[] = {
      {"empty", "", "not a snapshot file"},
      {"another file", "[APPTYPE]\r\ntitle=x\r\n", "not a snapshot file"},
      {"a later version", "TIDEMARK-SNAPSHOT\t2\nend\t0\n", "version 2"},
      {"cut short", withoutEnd, "cut short"},
      {"counted wrong", withoutEnd + "end\t3\n", "counts 3 records"},
      {"unknown record", "TIDEMARK-SNAPSHOT\t1\nregistry\tx\nend\t1\n", "line 2: unknown record 'registry'"},
      {"short record", "TIDEMARK-SNAPSHOT\t1\nkey\t32\tHKCU\nend\t1\n", "line 2: record 'key' has 3 fields"},
      {"bad view", "TIDEMARK-SNAPSHOT\t1\nkey\t16\tHKCU\tx\nend\t1\n", "line 2: unknown registry view '16'"},
      {"bad hash", "TIDEMARK-SNAPSHOT\t1\nvalue\t32\tHKCU\tx\tn\t1\tnothex\t\nend\t1\n", "not 16 hex digits"},
      {"bad size", "TIDEMARK-SNAPSHOT\t1\nfile\tC:\\a\t-1\nend\t1\n", "file size is no number"},
      {"broken escape", "TIDEMARK-SNAPSHOT\t1\nfolder\tC:\\100%4\nend\t1\n", "line 2: a field holds a broken"},
      {"after the end", good + "process\tx.exe\n", "a record follows the end record"},
  };
  for (const Case& c : cases) {
    const ParsedSnapshot parsed = ParseSnapshot(c.text);
    EXPECT_FALSE(parsed.ok) << c.what;
    EXPECT_NE(parsed.error.find(c.error), std::string::npos) << c.what << ": " << parsed.error;
  }
}

TEST(SnapshotFile, EscapesExactlyTheBytesThatWouldBreakALine) {
  EXPECT_EQ(EscapeField("a\tb\rc\nd%e\x01\x7F"), "a%09b%0Dc%0Ad%25e%01%7F");
  // Korean double-byte characters and every other byte stay as they are.
  EXPECT_EQ(EscapeField("\xB1\xE8 \\ \"x\""), "\xB1\xE8 \\ \"x\"");
  std::string text;
  EXPECT_TRUE(UnescapeField("%41%7a%25", text));
  EXPECT_EQ(text, "Az%");
  EXPECT_FALSE(UnescapeField("%", text));
  EXPECT_FALSE(UnescapeField("%G0", text));
}

}  // namespace
}  // namespace tidemark::capture

namespace tidemark::capture {
namespace {

TEST(KeepsValueText, OnlyTheRunKeyAndUninstallEntriesInEitherView) {
  for (const char* key : {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\run",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek",
                          "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{GUID}"}) {
    EXPECT_TRUE(KeepsValueText(key)) << key;
  }
  for (const char* key : {"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek\\Deeper",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\XRun", "Software\\lumenseek"}) {
    EXPECT_FALSE(KeepsValueText(key)) << key;
  }
}

}  // namespace
}  // namespace tidemark::capture
