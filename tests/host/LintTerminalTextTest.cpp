// The checker's output in the terminal's encoding: which encoding a locale
// asks for, and code page 949 text as UTF-8 with every stray byte visible.
#include <gtest/gtest.h>

#include "lint/TerminalText.h"

namespace tidemark::lint {
namespace {

TEST(LintTerminalText, FirstSetLocaleVariableDecides) {
  EXPECT_EQ(LocaleEncoding(nullptr, nullptr, "ko_KR.UTF-8"), OutputEncoding::Utf8);
  EXPECT_EQ(LocaleEncoding(nullptr, "en_US.utf8", nullptr), OutputEncoding::Utf8);
  EXPECT_EQ(LocaleEncoding("C.UTF-8", "ko_KR.EUC-KR", "ko_KR.EUC-KR"), OutputEncoding::Utf8);
  // LC_ALL overrides a UTF-8 LANG; an empty variable counts as unset.
  EXPECT_EQ(LocaleEncoding("C", nullptr, "ko_KR.UTF-8"), OutputEncoding::Cp949);
  EXPECT_EQ(LocaleEncoding("", "", "ko_KR.Utf8"), OutputEncoding::Utf8);
  EXPECT_EQ(LocaleEncoding(nullptr, "ko_KR.CP949", "ko_KR.UTF-8"), OutputEncoding::Cp949);
  EXPECT_EQ(LocaleEncoding(nullptr, nullptr, nullptr), OutputEncoding::Cp949);
}

TEST(LintTerminalText, EncodingOptionTakesThreeValues) {
  std::optional<OutputEncoding> encoding;
  ASSERT_TRUE(ParseEncodingOption("utf-8", encoding));
  EXPECT_EQ(encoding, OutputEncoding::Utf8);
  ASSERT_TRUE(ParseEncodingOption("cp949", encoding));
  EXPECT_EQ(encoding, OutputEncoding::Cp949);
  ASSERT_TRUE(ParseEncodingOption("auto", encoding));
  EXPECT_FALSE(encoding.has_value());
  EXPECT_FALSE(ParseEncodingOption("UTF8", encoding));
  EXPECT_FALSE(ParseEncodingOption("", encoding));
}

TEST(LintTerminalText, Cp949TextBecomesUtf8) {
  // The literal "검색도우미" is compiled to code page 949 bytes; u8 keeps UTF-8.
  const std::string utf8 = reinterpret_cast<const char*>(u8"category='검색도우미'");
  EXPECT_EQ(Cp949ToUtf8("category='검색도우미'"), utf8);
  EXPECT_EQ(Cp949ToUtf8("\xB0\xCB"), "\xEA\xB2\x80");
  EXPECT_EQ(Cp949ToUtf8("C:\\Program Files\\*.*"), "C:\\Program Files\\*.*");
  EXPECT_EQ(ForTerminal("\xB0\xCB", OutputEncoding::Cp949), "\xB0\xCB");
  EXPECT_EQ(ForTerminal("\xB0\xCB", OutputEncoding::Utf8), "\xEA\xB2\x80");
}

TEST(LintTerminalText, BytesThatAreNoCharacterAreShownAsEscapes) {
  // 0x80 and 0xFF are never characters; a lead byte before a byte that
  // cannot trail it, or at the end, stands alone.
  EXPECT_EQ(Cp949ToUtf8("a\x80z"), "a\\x80z");
  EXPECT_EQ(Cp949ToUtf8("\xFF"), "\\xFF");
  EXPECT_EQ(Cp949ToUtf8("\xB0"
                        "1"),
            "\\xB01");
  EXPECT_EQ(Cp949ToUtf8("x\xB0"), "x\\xB0");
  // A UTF-8 file read as code page 949: the "\xEA\xB2" pair is a character,
  // the 0x80 after it is not.
  EXPECT_EQ(Cp949ToUtf8("\xEA\xB2\x80").substr(3), "\\x80");
}

}  // namespace
}  // namespace tidemark::lint
