#include <gtest/gtest.h>

#include "ui/MemoText.h"

namespace tidemark {
namespace {

TEST(MemoAppendText, EveryLineEndsWithCrLf) {
  EXPECT_EQ(MemoAppendText("", "first"), "first\r\n");
  EXPECT_EQ(MemoAppendText("first\r\n", "second"), "second\r\n");
  EXPECT_EQ(MemoAppendText("", ""), "\r\n");
}

TEST(MemoAppendText, TypedTextWithoutABreakGetsOneFirst) {
  EXPECT_EQ(MemoAppendText("typed", "line"), "\r\nline\r\n");
  EXPECT_EQ(MemoAppendText("typed\r", "line"), "\r\nline\r\n");
}

TEST(MemoLines, SplitsAtCrLfWithoutTheTrailingEmptyLine) {
  EXPECT_EQ(MemoLines(""), std::vector<std::string>{});
  EXPECT_EQ(MemoLines("a\r\n"), std::vector<std::string>{"a"});
  EXPECT_EQ(MemoLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(MemoLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(MemoLines("\r\n"), std::vector<std::string>{""});
}

TEST(MemoLines, ReadsBackWhatAppendingWrote) {
  std::string text;
  const std::vector<std::string> lines = {"프로그램 제거를 시작합니다.", "", "x y"};
  for (const std::string& line : lines) text += MemoAppendText(text, line);
  EXPECT_EQ(MemoLines(text), lines);
}

}  // namespace
}  // namespace tidemark
