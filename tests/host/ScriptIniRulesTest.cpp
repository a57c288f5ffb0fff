// The reading rules of the Windows profile functions, one row a rule: what a
// listing of the section, or a lookup of one name, yields for the text.
#include <gtest/gtest.h>

#include "script/ScriptIni.h"

namespace tidemark {
namespace {

struct ListingFact {
  const char* fact;
  std::string text;
  std::string section;
  EntryList expected;  // what ReadSectionEntries yields
};

const ListingFact kListingFacts[] = {
    {"lines end at CR LF, a lone CR or a lone LF", "[S]\r\na=1\rb=2\nc=3\r\n", "S", {"a=1", "b=2", "c=3"}},
    {"leading spaces, tabs and vertical tabs are skipped", "[S]\r\n \t\v a=1", "S", {"a=1"}},
    {"a line of blanks only is skipped", "[S]\r\n \t\v\r\na=1", "S", {"a=1"}},
    {"a comment is not listed", "[S]\r\n;item1=x\r\nitem2=y", "S", {"item2=y"}},
    {"a comment after leading blanks is a comment", "[S]\r\n \t\v;item1=x\r\nitem2=y", "S", {"item2=y"}},
    {"a commented-out end marker is no end marker", "[S]\r\n;item0=\r\nitem1=a", "S", {"item1=a"}},
    {"a comment does not end the section", "[S]\r\na=1\r\n;[T]\r\nb=2", "S", {"a=1", "b=2"}},
    {"';' inside a name is ordinary text", "[S]\r\na;b=1", "S", {"a;b=1"}},
    {"';' in a value is ordinary text", "[S]\r\na=1;2\r\nb=;x", "S", {"a=1;2", "b=;x"}},
    {"'#' is ordinary text", "[S]\r\n#a=1\r\n# b = 2", "S", {"#a=1", "# b=2"}},
    {"';' in a section name is ordinary text", "[S;1]\r\na=1", "S;1", {"a=1"}},
    {"text after the first ']' is ignored", "[FILE] ; old [1]\r\na=1", "FILE", {"a=1"}},
    {"the name ends at the first ']'", "[A]B]\r\na=1", "A", {"a=1"}},
    {"a section line without ']' opens its section", "[A]\r\na=1\r\n[PROCESS\r\nb=2", "PROCESS", {"b=2"}},
    {"entries after an unclosed section line leave the section before", "[A]\r\na=1\r\n[PROCESS\r\nb=2", "A", {"a=1"}},
    {"blanks around a section name are dropped", " \t[ \tS\v ]\r\na=1", "S", {"a=1"}},
    {"'[]' is a section named ''", "[A]\r\nx=1\r\n[]\r\na=1", "", {"a=1"}},
    {"entries after '[]' leave the section before", "[A]\r\nx=1\r\n[]\r\na=1", "A", {"x=1"}},
    {"a line with ']' but no leading '[' is not a section line", "[S]\r\nx]\r\na]=1", "S", {"a]=1"}},
    {"lines before the first section line are never read", "a=1\r\n[S]\r\nb=2", "S", {"b=2"}},
    {"lines before the first section line belong to no section", "a=1\r\n[S]\r\nb=2", "", {}},
    {"the name is the text before the first '=', blanks dropped", "[S]\r\n a \t\v= 1 = 2", "S", {"a=1 = 2"}},
    {"the value loses its blanks, then one pair of quotes", "[S]\r\na= \v\" x \"\t ", "S", {"a= x "}},
    {"a lone quote stays", "[S]\r\na=\"\r\nb='", "S", {"a=\"", "b='"}},
    {"quotes that do not match stay", "[S]\r\na='x\"", "S", {"a='x\""}},
    {"inner quotes stay", "[S]\r\na=\"x\"y\"", "S", {"a=x\"y"}},
    {"a line without '=' is not listed", "[S]\r\nno equals here\r\na=1", "S", {"a=1"}},
    {"a repeated name is listed each time, with the first value",
     "[S]\r\na=1\r\nb=2\r\nA=3",
     "S",
     {"a=1", "b=2", "A=1"}},
    {"only the first of a repeated section is read", "[S]\r\na=1\r\n[s]\r\nb=2", "S", {"a=1"}},
    {"section names ignore case", "[process]\r\na=1", "PROCESS", {"a=1"}},
    {"an empty name ends the listing", "[S]\r\na=1\r\n=2\r\nb=3", "S", {"a=1"}},
    {"a zero byte ends the text", std::string("[S]\r\na=1\0\r\nb=2", 14), "S", {"a=1"}},
};

TEST(ProfileReadingRules, Listings) {
  for (const ListingFact& row : kListingFacts) {
    EntryList list{"stale=line"};
    ScriptIni(row.text).ReadSectionEntries(row.section, list);
    EXPECT_EQ(list, row.expected) << row.fact;
  }
}

struct LookupFact {
  const char* fact;
  std::string text;
  std::string section;
  std::string name;
  std::string expected;  // what LookupValue yields
};

const LookupFact kLookupFacts[] = {
    {"spaces around the names passed in are dropped", "[S]\r\na=1", "  S ", " a  ", "1"},
    {"only spaces are dropped from the names passed in", "[S]\r\na=1", "S", "\ta", ""},
    {"a comment is not found by its name", "[S]\r\n;a=1", "S", "a", ""},
    {"a comment is not found by ';' and its name", "[S]\r\n;a=1", "S", ";a", ""},
    {"the first entry of a name yields the value", "[S]\r\na=1\r\nA=2", "S", "a", "1"},
    {"names ignore ASCII case", "[s]\r\nItem=1", "S", "ITEM", "1"},
    {"a later section of the same name is never searched", "[S]\r\na=1\r\n[S]\r\nb=2", "S", "b", ""},
    {"an entry under an unclosed section line belongs to it", "[S]\r\n[T\r\nb=2", "T", "b", "2"},
    {"an entry under an unclosed section line leaves the one before", "[S]\r\n[T\r\nb=2", "S", "b", ""},
    {"a missing section yields nothing", "[S]\r\na=1", "T", "a", ""},
    {"a value is cut to 2047 bytes", "[S]\r\na=" + std::string(3000, 'v'), "S", "a", std::string(2047, 'v')},
};

TEST(ProfileReadingRules, Lookups) {
  for (const LookupFact& row : kLookupFacts) {
    EXPECT_EQ(ScriptIni(row.text).LookupValue(row.section, row.name), row.expected) << row.fact;
  }
}

TEST(ProfileReadingRules, CommentsAndUnreadLinesAreReportedByLine) {
  const ScriptIni script("a=1\r\n[S]\r\n;x=1\r\n  ; y\r\nno equals\r\n[T\r\nb=2");
  EXPECT_EQ(script.CommentLines(), (std::vector<std::size_t>{3, 4}));
  EXPECT_EQ(script.IgnoredLines(), (std::vector<std::size_t>{1, 5}));
  ASSERT_EQ(script.Sections().size(), 2u);
  EXPECT_TRUE(script.Sections()[0].closed);
  EXPECT_FALSE(script.Sections()[1].closed);
  EXPECT_EQ(script.Sections()[1].name, "T");
}

// Hostile sizes: the reader must give entries by the rules, quickly enough
// that a sanitizer build finishes these in well under a second.
TEST(ProfileReadingRules, HugeInputsGiveEntriesByTheRules) {
  std::string text = "[S]\r\n";
  for (int i = 0; i < 10000; ++i) text += (i % 3 == 0 ? ";c" : "k") + std::to_string(i) + "=v\r\n[\r\n";
  text += std::string(100 * 1024, 'L') + "=" + std::string(100 * 1024, 'W') + "\r\n";
  const ScriptIni script(text);
  EXPECT_EQ(script.ListEntryNames("S"), (std::vector<std::string>{}));  // "[" opens the section ""
  const std::vector<std::string> names = script.ListEntryNames("");
  ASSERT_EQ(names.size(), 1u);  // only the first "[" section is read; it holds k1
  EXPECT_EQ(names[0], "k1");
  EXPECT_EQ(script.CommentLines().size(), 3334u);

  std::string flat = "[S]\r\n";
  for (int i = 0; i < 10000; ++i) flat += "n" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  const ScriptIni big(flat);
  EntryList list;
  big.ReadSectionEntries("S", list);
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.front(), "n0=v0");
  EXPECT_EQ(big.LookupValue("S", "N9999"), "v9999");
}

TEST(EntryListIndex, YieldsExactlyWhatEntryValueOfYields) {
  const EntryList list{"no equals",   "Title=first",          "TITLE=second",         "titles=other",
                       "=empty name", "\x81\x41=upper trail", "\x81\x61=lower trail", "x=a=b"};
  const EntryListIndex index(list);
  for (const char* name : {"title", "TITLE", "titles", "", "no equals", "\x81\x41", "\x81\x61", "X", "missing"}) {
    EXPECT_EQ(index.ValueOf(name), EntryValueOf(list, name)) << name;
  }
}

}  // namespace
}  // namespace tidemark
