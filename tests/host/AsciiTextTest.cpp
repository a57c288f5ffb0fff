#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "system/AsciiText.h"
#include "system/Cp949Text.h"

namespace tidemark {
namespace {

TEST(Trimming, RemovesOnlyTheListedCharacters) {
  EXPECT_EQ(TrimCharacters(" \t\va b\v\t ", " \t\v"), "a b");
  // A caller that trims spaces and tabs keeps a vertical tab.
  EXPECT_EQ(TrimCharacters("\v\tx \v", " \t"), "\v\tx \v");
  EXPECT_EQ(TrimCharacters(" \tx\t ", " "), "\tx\t");
  EXPECT_EQ(TrimCharacters(" \t\v ", " \t\v"), "");
  EXPECT_EQ(TrimCharacters("", " "), "");
  EXPECT_EQ(TrimLeadingCharacters(" \v;x \t", " \t\v"), ";x \t");
  EXPECT_EQ(TrimLeadingCharacters("\t\t", " \t"), "");
}

TEST(Trimming, KeepsDoubleByteCharactersAtTheEnds) {
  // "갂" (0x81 0x41) and a lead byte left alone at the end.
  EXPECT_EQ(TrimCharacters(" \x81\x41 \xB0 ", " \t"), "\x81\x41 \xB0");
}

// (end, next) of each line, as a caller walks the text.
using LineEnds = std::vector<std::pair<std::size_t, std::size_t>>;

LineEnds Ends(std::string_view text) {
  LineEnds ends;
  for (std::size_t start = 0; start < text.size();) {
    const LineEnd line = FindLineEnd(text, start);
    ends.emplace_back(line.end, line.next);
    start = line.next;
  }
  return ends;
}

TEST(LineEnds, CrLfIsOneBreakAndALoneCrOrLfIsOneEach) {
  EXPECT_EQ(Ends("a\r\nb"), (LineEnds{{1, 3}, {4, 4}}));
  EXPECT_EQ(Ends("a\rb"), (LineEnds{{1, 2}, {3, 3}}));
  EXPECT_EQ(Ends("a\nb"), (LineEnds{{1, 2}, {3, 3}}));
  // LF CR is two breaks, and so is CR CR LF.
  EXPECT_EQ(Ends("\n\r"), (LineEnds{{0, 1}, {1, 2}}));
  EXPECT_EQ(Ends("\r\r\n"), (LineEnds{{0, 1}, {1, 3}}));
}

TEST(LineEnds, ALoneCrAtTheEndIsABreak) {
  EXPECT_EQ(Ends("a\r"), (LineEnds{{1, 2}}));
  const LineEnd past = FindLineEnd("a", 1);
  EXPECT_EQ(past.end, 1u);
  EXPECT_EQ(past.next, 1u);
}

TEST(Cp949Folding, TrailBytesThatAreAsciiLettersStay) {
  // "갂" is 0x81 0x41 and "갘" 0x81 0x61: their trail bytes are 'A' and 'a'.
  EXPECT_EQ(ToLowerAsciiCp949("AB\x81\x41Z"), "ab\x81\x41z");
  EXPECT_EQ(ToUpperAsciiCp949("ab\x81\x61z"), "AB\x81\x61Z");
  // A lead byte whose next byte cannot trail is a character of its own, and
  // the letter after it is folded.
  EXPECT_EQ(ToLowerAsciiCp949("\xB0 A"), "\xB0 a");
  EXPECT_EQ(ToUpperAscii('\x81'), '\x81');
  EXPECT_EQ(ToLowerAscii('['), '[');
  EXPECT_EQ(ToUpperAscii('`'), '`');
  EXPECT_EQ(ToLowerAscii('@'), '@');
}

}  // namespace
}  // namespace tidemark
