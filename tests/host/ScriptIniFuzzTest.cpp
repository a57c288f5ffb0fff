// A short seeded fuzz run over the reader: random scripts built from the
// pieces that break readers (brackets, equals signs, quotes, blanks, line
// breaks of every kind, zero bytes, lead bytes without trail bytes, very long
// runs). The reader must never crash, and what it yields must obey its rules.
#include <gtest/gtest.h>

#include <random>

#include "engine/SectionWalk.h"
#include "script/ScriptIni.h"

namespace tidemark {
namespace {

class NoFolders : public FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int) const override { return "C:\\F"; }
  std::optional<std::string> TempFolder() const override { return "C:\\T"; }
};

std::string RandomScript(std::mt19937& random) {
  static const char* const kPieces[] = {"[",
                                        "]",
                                        "=",
                                        "\"",
                                        "'",
                                        " ",
                                        "\t",
                                        "\r",
                                        "\n",
                                        "\r\n",
                                        "" /* a zero byte */,
                                        "FILE",
                                        "PATH",
                                        "item1",
                                        "ITEM1",
                                        "%PROGRAM_FILES%",
                                        "%TEMP%",
                                        "\xB0",
                                        "\xB0\xCB",
                                        "\x81\x41",
                                        "|=|",
                                        "\\",
                                        "*.*",
                                        "x",
                                        ";",
                                        "\v",
                                        "#",
                                        "\n;item1=",
                                        "\r\n[FILE"};
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(0, 400)(random);
  for (int i = 0; i < pieces; ++i) {
    const std::size_t pick = std::uniform_int_distribution<std::size_t>(0, std::size(kPieces))(random);
    if (pick == std::size(kPieces)) {
      text.append(std::uniform_int_distribution<std::size_t>(0, 5000)(random), 'L');
    } else if (pick == 10) {
      text.push_back('\0');
    } else {
      text += kPieces[pick];
    }
  }
  return text;
}

TEST(ScriptIniFuzz, RandomScriptsNeverBreakTheReadingRules) {
  std::mt19937 random(20261207);
  const NoFolders folders;
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomScript(random);
    const ScriptIni script(text);
    for (const char* section : {"FILE", "PATH", "item1", ""}) {
      EntryList list;
      script.ReadSectionEntries(section, list);
      std::size_t listingBytes = 1;
      for (const std::string& line : list) {
        ASSERT_NE(line.find('='), std::string::npos);
        const std::string name = line.substr(0, line.find('='));
        ASSERT_FALSE(name.empty());
        ASSERT_LE(line.size() - name.size() - 1, ScriptIni::kValueBufferSize - 1);
        listingBytes += name.size() + 1;
      }
      ASSERT_LE(listingBytes, ScriptIni::kNameListingSize);
      const EntryListIndex index(list);
      for (const std::string& line : list) {
        const std::string name = line.substr(0, line.find('='));
        ASSERT_EQ(index.ValueOf(name), EntryValueOf(list, name));
      }
      int calls = 0;
      const WalkResult walked =
          WalkSection(script, section, folders, [&](const std::string&, const std::string& value) {
            EXPECT_FALSE(value.empty());
            ++calls;
            return WalkControl::Continue;
          });
      ASSERT_EQ(walked.handled, calls);
      ASSERT_LE(static_cast<std::size_t>(calls), list.size());
    }
  }
}

}  // namespace
}  // namespace tidemark
