// The preview's printed report: the lines that script authors (and the
// end-to-end test) read.
#include <gtest/gtest.h>

#include "preview/PreviewReport.h"

namespace tidemark::preview {
namespace {

TEST(PreviewReport, OneLineAThingUnderEachHeading) {
  PreviewReport report;
  report.processes = {{"lumenseek.exe", 2, false}, {"csrss.exe", 1, true}};
  report.runValues = {
      {"both", true, true}, {"machine", false, true}, {"none", false, false}, {"SecurityHealth", false, true, true}};
  report.uninstallEntries = {{"HKEY_CURRENT_USER", "Software\\Uninstall\\lumenseek", true, false, 2, 1}};
  report.registryKeys = {{"HKEY_LOCAL_MACHINE", "SOFTWARE\\gone", false, false, 0, 0},
                         {"HKEY_CURRENT_USER", "Software", false, true, 0, 0}};
  report.files = {{"C:\\p\\a.dat", false}, {"C:\\p\\locked.dat", true}};
  report.folders = {{"C:\\p", true, true}, {"C:\\q", true, false}, {"C:\\r", false, false}};
  report.skipped = {"[FILE] an entry whose folder macro cannot be resolved"};
  EXPECT_EQ(FormatPreview(report),
            "Processes (every running instance of each name is ended):\n"
            "  lumenseek.exe: 2 running\n"
            "  csrss.exe: 1 running (a process of Windows itself: never ended)\n"
            "Run values:\n"
            "  both: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE\n"
            "  machine: HKEY_LOCAL_MACHINE\n"
            "  none: absent\n"
            "  SecurityHealth: HKEY_LOCAL_MACHINE (a start-up entry of Windows or of a common program: never "
            "deleted)\n"
            "Uninstall entries:\n"
            "  HKEY_CURRENT_USER\\Software\\Uninstall\\lumenseek: 2 subkeys, 1 values\n"
            "Registry keys:\n"
            "  HKEY_LOCAL_MACHINE\\SOFTWARE\\gone: absent\n"
            "  HKEY_CURRENT_USER\\Software: refused (a protected key, or not below its parent key): deletes nothing\n"
            "Files:\n"
            "  C:\\p\\a.dat\n"
            "  C:\\p\\locked.dat (read-only: cleared and deleted)\n"
            "Folders:\n"
            "  C:\\p: removed (empty by then)\n"
            "  C:\\q: stays (not empty)\n"
            "  C:\\r: absent\n"
            "Skipped: [FILE] an entry whose folder macro cannot be resolved\n");
}

TEST(PreviewReport, AnEmptyReportKeepsItsHeadings) {
  EXPECT_EQ(FormatPreview(PreviewReport{}),
            "Processes (every running instance of each name is ended):\nRun values:\nUninstall entries:\n"
            "Registry keys:\nFiles:\nFolders:\n");
}

}  // namespace
}  // namespace tidemark::preview
