#include <gtest/gtest.h>

#include "script/ScriptLines.h"

namespace tidemark {
namespace {

using Lines = std::vector<std::string>;

TEST(ScriptLines, EveryKindOfLineBreakEndsALine) {
  EXPECT_EQ(SplitScriptLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitScriptLines("a\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitScriptLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(ScriptLines, TrailingBreakAddsNoEmptyLine) {
  EXPECT_EQ(SplitScriptLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(SplitScriptLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitScriptLines(""), Lines{});
}

TEST(ScriptLines, ZeroByteEndsTheText) {
  EXPECT_EQ(SplitScriptLines(std::string("a\r\nb\0c\r\nd", 9)), (Lines{"a", "b"}));
}

TEST(ScriptLines, JoiningEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLinesWithCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLinesWithCrLf({}), "");
  // What provisioning writes: the text with its breaks made CR LF and one
  // added after the last line.
  EXPECT_EQ(JoinLinesWithCrLf(SplitScriptLines("x=1\ny=2\rz")), "x=1\r\ny=2\r\nz\r\n");
}

}  // namespace
}  // namespace tidemark
