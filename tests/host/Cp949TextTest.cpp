#include <gtest/gtest.h>

#include "system/Cp949Text.h"

namespace tidemark {
namespace {

TEST(Cp949Literals, KoreanLiteralsReachTheBinaryAsCodePage949Bytes) {
  // "검색도우미": the category of the embedded script.
  EXPECT_EQ(std::string("검색도우미"), "\xB0\xCB\xBB\xF6\xB5\xB5\xBF\xEC\xB9\xCC");
  EXPECT_EQ(std::string("파일을 제거합니다."), "\xC6\xC4\xC0\xCF\xC0\xBB \xC1\xA6\xB0\xC5\xC7\xD5\xB4\xCF\xB4\xD9.");
}

TEST(Cp949Compare, FoldsOnlySingleByteAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoreCaseCp949("Item1", "ITEM1"));
  EXPECT_TRUE(EqualsIgnoreCaseCp949("hkey_local_machine", "HKEY_LOCAL_MACHINE"));
  EXPECT_FALSE(EqualsIgnoreCaseCp949("item1", "item2"));
  EXPECT_FALSE(EqualsIgnoreCaseCp949("item", "item1"));
  // "갂" is 0x81 0x41 and "갘" 0x81 0x61: the trail bytes are 'A' and 'a',
  // yet they are different characters and must not compare equal.
  EXPECT_FALSE(EqualsIgnoreCaseCp949("\x81\x41", "\x81\x61"));
  EXPECT_TRUE(EqualsIgnoreCaseCp949("x\x81\x41y", "X\x81\x41Y"));
  // A lone lead byte at the end is a character of its own.
  EXPECT_TRUE(EqualsIgnoreCaseCp949("a\xB0", "A\xB0"));
}

TEST(Cp949Compare, UpperCasingLeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(ToUpperAsciiCp949("lumenseek.exe"), "LUMENSEEK.EXE");
  EXPECT_EQ(ToUpperAsciiCp949("a\x81\x61z"), "A\x81\x61Z");
}

TEST(Cp949Search, MatchesOnlyOnCharacterBoundaries) {
  // "\x81\x41" holds an 'A' as trail byte; searching "A" must skip it.
  EXPECT_EQ(FindOnCharBoundary("\x81\x41", "A"), std::string::npos);
  EXPECT_EQ(FindOnCharBoundary("\x81\x41"
                               "A",
                               "A"),
            2u);
  EXPECT_EQ(FindOnCharBoundary("%TEMP%\\%TEMP%", "%TEMP%", 1), 7u);
  EXPECT_EQ(FindOnCharBoundary("abc", "abcd"), std::string::npos);
}

TEST(Cp949Validity, RejectsBytesOutsideTheCodePage) {
  EXPECT_TRUE(IsValidCp949("category=\xB0\xCB\xBB\xF6"));
  EXPECT_FALSE(IsValidCp949("\xFF"));
  EXPECT_FALSE(IsValidCp949("\x80"));
  EXPECT_FALSE(IsValidCp949("\xB0"));      // lead byte without its trail
  EXPECT_FALSE(IsValidCp949("\xB0\x20"));  // a blank cannot trail
}

}  // namespace
}  // namespace tidemark
