#include <gtest/gtest.h>

#include "system/ApplicationTitle.h"
#include "ui/ErrorReport.h"

namespace tidemark {
namespace {

TEST(ErrorReportText, FullStopOnlyAfterCharactersThatSortAfterDot) {
  EXPECT_EQ(ErrorReportText("Resource ResData not found"), "Resource ResData not found.");
  EXPECT_EQ(ErrorReportText("Stream write error"), "Stream write error.");
  EXPECT_EQ(ErrorReportText("code 5"), "code 5.");
  EXPECT_EQ(ErrorReportText("\xB4\xD9"), "\xB4\xD9.");  // ends with a Korean character
  EXPECT_EQ(ErrorReportText("done."), "done.");
  EXPECT_EQ(ErrorReportText("a,"), "a,");
  EXPECT_EQ(ErrorReportText("(x)"), "(x)");
  EXPECT_EQ(ErrorReportText("path/"), "path/.");  // '/' sorts after '.'
  EXPECT_EQ(ErrorReportText(""), "");
}

TEST(ApplicationTitle, FileNameCutAtFirstDotWithTheRestLowerCase) {
  EXPECT_EQ(ApplicationTitleFromPath("C:\\Program Files\\ABC.EXE"), "Abc");
  EXPECT_EQ(ApplicationTitleFromPath("Z:\\build\\Tidemark.exe"), "Tidemark");
  EXPECT_EQ(ApplicationTitleFromPath("C:\\x\\TIDEMARK.test.exe"), "Tidemark");
  EXPECT_EQ(ApplicationTitleFromPath("tidemark"), "tidemark");
  EXPECT_EQ(ApplicationTitleFromPath("C:\\x\\.exe"), "");
}

TEST(ApplicationTitle, ADoubleByteFirstCharacterIsKeptWhole) {
  EXPECT_EQ(ApplicationTitleFromPath("C:\\x\\제거Tool.EXE"), "제거tool");
  // 81 41 is one character whose trail byte is the letter 'A': lower-casing
  // it would make another character of it.
  EXPECT_EQ(ApplicationTitleFromPath("\x81"
                                     "ABC.exe"),
            "\x81"
            "Abc");
  EXPECT_EQ(ApplicationTitleFromPath("X\x81"
                                     "A.exe"),
            "X\x81"
            "A");
}

}  // namespace
}  // namespace tidemark
