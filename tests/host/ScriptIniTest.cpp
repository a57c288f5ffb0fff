#include <gtest/gtest.h>

#include "script/ScriptIni.h"

namespace tidemark {
namespace {

EntryList Entries(const std::string& text, const char* section) {
  EntryList list{"stale=line"};
  ScriptIni(text).ReadSectionEntries(section, list);
  return list;
}

TEST(ScriptIniReading, ListsEntriesInFileOrderWithLookedUpValues) {
  const EntryList list = Entries("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3", "A");
  EXPECT_EQ(list, (EntryList{"x=1", "y=2"}));
}

TEST(ScriptIniReading, MissingOrEmptySectionClearsTheList) {
  EXPECT_TRUE(Entries("[A]\r\nx=1", "B").empty());
  EXPECT_TRUE(Entries("[A]\r\n[B]\r\nx=1", "A").empty());
  EXPECT_TRUE(Entries("", "A").empty());
}

TEST(ScriptIniReading, SectionAndEntryNamesIgnoreCase) {
  EXPECT_EQ(Entries("[process]\r\nitem1=a.exe", "PROCESS"), (EntryList{"item1=a.exe"}));
  ScriptIni script("[S]\r\nItem1=v");
  EXPECT_EQ(script.LookupValue("s", "ITEM1"), "v");
}

TEST(ScriptIniReading, RepeatedNameIsShadowedByTheFirst) {
  // Both names are listed, but each lookup yields the first entry's value.
  EXPECT_EQ(Entries("[S]\r\nitem1=first\r\nITEM1=second", "S"), (EntryList{"item1=first", "ITEM1=first"}));
}

TEST(ScriptIniReading, BlanksAroundNamesAndValuesAreDropped) {
  EXPECT_EQ(Entries("[S]\r\n  name \t=  some value \t", "S"), (EntryList{"name=some value"}));
  EXPECT_EQ(Entries("  [ S ]  \r\nx=1", "S"), (EntryList{"x=1"}));
}

TEST(ScriptIniReading, OnePairOfMatchingQuotesIsRemoved) {
  const std::string text = "[S]\r\na=\"quoted\"\r\nb='single'\r\nc=\"mixed'\r\nd=\"\"x\"\"\r\ne=\" inner \"\r\nf=\"";
  EXPECT_EQ(Entries(text, "S"), (EntryList{"a=quoted", "b=single", "c=\"mixed'", "d=\"x\"", "e= inner ", "f=\""}));
}

TEST(ScriptIniReading, ValueAfterTheFirstEqualsKeepsFurtherEquals) {
  EXPECT_EQ(Entries("[S]\r\nr=HKEY_CURRENT_USER|=|Software|=|Mode|=|1", "S"),
            (EntryList{"r=HKEY_CURRENT_USER|=|Software|=|Mode|=|1"}));
}

TEST(ScriptIniReading, LongValuesAreCutTo2047Bytes) {
  const std::string value(3000, 'v');
  const EntryList list = Entries("[S]\r\nlong=" + value, "S");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], "long=" + value.substr(0, 2047));
  EXPECT_EQ(ScriptIni("[S]\r\nx=" + std::string(2047, 'v')).LookupValue("S", "x").size(), 2047u);
}

TEST(ScriptIniReading, NameListingStopsAt16384Bytes) {
  // 1000 names of 16 bytes take 17 bytes each in the listing: 963 fit whole
  // (16371 bytes), the 964th is cut to the 11 bytes left before the two
  // closing zero bytes, and the rest are lost.
  std::string text = "[S]\r\n";
  for (int i = 0; i < 1000; ++i) {
    char name[17];
    std::snprintf(name, sizeof name, "name%012d", i);
    text += std::string(name) + "=v\r\n";
  }
  const ScriptIni script(text);
  const std::vector<std::string> names = script.ListEntryNames("S");
  ASSERT_EQ(names.size(), 964u);
  EXPECT_EQ(names[962], "name000000000962");
  EXPECT_EQ(names[963], "name0000000");
  EntryList list;
  script.ReadSectionEntries("S", list);
  EXPECT_EQ(list[963], "name0000000=");  // a cut name finds no value
}

TEST(ScriptIniReading, NameThatExactlyFillsTheListingIsKept) {
  const std::string name(16382, 'n');  // name + its zero + the final zero
  const ScriptIni script("[S]\r\n" + name + "=v\r\nnext=w");
  EXPECT_EQ(script.ListEntryNames("S"), (std::vector<std::string>{name}));
  const ScriptIni tooLong("[S]\r\n" + name + "n=v");
  EXPECT_EQ(tooLong.ListEntryNames("S"), (std::vector<std::string>{name}));
}

TEST(ScriptIniReading, KoreanNamesAndValuesPassByteForByte) {
  const std::string text = "[APPTYPE]\r\ncategory=\xB0\xCB\xBB\xF6\r\n\x81\x41=upper\r\n\x81\x61=lower";
  const ScriptIni script(text);
  EXPECT_EQ(script.LookupValue("APPTYPE", "CATEGORY"), "\xB0\xCB\xBB\xF6");
  // Trail bytes 'A' and 'a' belong to two different characters.
  EXPECT_EQ(script.LookupValue("APPTYPE", "\x81\x61"), "lower");
}

TEST(ScriptIniMalformed, LinesOutsideTheFormatAreNotEntries) {
  const std::string text = "orphan=before any section\r\n[S]\r\n; a comment\r\nno equals sign\r\n[broken\r\nx=1\r\n";
  const ScriptIni script(text);
  // "[broken" opens the section "broken", which takes x=1 from [S].
  EXPECT_EQ(Entries(text, "S"), EntryList{});
  EXPECT_EQ(Entries(text, "broken"), (EntryList{"x=1"}));
  EXPECT_EQ(script.IgnoredLines(), (std::vector<std::size_t>{1, 4}));
  EXPECT_EQ(script.CommentLines(), (std::vector<std::size_t>{3}));
}

TEST(ScriptIniMalformed, EmptyNameEndsTheListing) {
  EXPECT_EQ(Entries("[S]\r\na=1\r\n=2\r\nb=3", "S"), (EntryList{"a=1"}));
}

TEST(ScriptIniMalformed, FirstOfARepeatedSectionWins) {
  EXPECT_EQ(Entries("[S]\r\na=1\r\n[s]\r\nb=2", "S"), (EntryList{"a=1"}));
}

TEST(ScriptIniMalformed, ZeroByteEndsTheText) {
  const std::string text("[S]\r\na=1\r\nb=2\0\r\nc=3", 19);
  EXPECT_EQ(Entries(text, "S"), (EntryList{"a=1", "b=2"}));
}

TEST(ScriptIniMalformed, AnyLineBreakSeparatesLines) {
  EXPECT_EQ(Entries("[S]\na=1\rb=2\r\nc=3", "S"), (EntryList{"a=1", "b=2", "c=3"}));
}

TEST(EntryList, NameAtIsTheTextBeforeTheFirstEquals) {
  const EntryList list{"name=value=more", "no equals", "=empty"};
  EXPECT_EQ(EntryNameAt(list, 0), "name");
  EXPECT_EQ(EntryNameAt(list, 1), "");
  EXPECT_EQ(EntryNameAt(list, 2), "");
}

TEST(EntryList, ValueOfFindsTheFirstMatchingLineIgnoringCase) {
  const EntryList list{"no equals", "Title=first", "TITLE=second", "titles=other"};
  EXPECT_EQ(EntryValueOf(list, "title"), "first");
  EXPECT_EQ(EntryValueOf(list, "titles"), "other");
  EXPECT_EQ(EntryValueOf(list, "category"), "");
  EXPECT_EQ(EntryValueOf(list, "no equals"), "");
}

}  // namespace
}  // namespace tidemark
