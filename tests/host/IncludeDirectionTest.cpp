// The source folders depend one way: ui on engine, engine on script, script
// on system. A folder's files include their own folder and those below it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Lower is further down: a file may include a folder of its own rank or below.
const std::map<std::string, int> kFolderRank = {{"system", 0}, {"script", 1}, {"engine", 2}, {"ui", 3}};

std::optional<int> RankOf(const std::string& folder) {
  const auto found = kFolderRank.find(folder);
  if (found == kFolderRank.end()) return std::nullopt;
  return found->second;
}

// "LINE: includes FOLDER/..." for every include of the text that points to a
// folder above `folder`.
std::vector<std::string> UpwardIncludes(const std::string& folder, std::istream& text) {
  static const std::regex include(R"(^\s*#\s*include\s*"([^/"]+)/)");
  std::vector<std::string> found;
  const std::optional<int> own = RankOf(folder);
  std::string line;
  for (std::size_t number = 1; std::getline(text, line); ++number) {
    std::smatch match;
    if (!own || !std::regex_search(line, match, include)) continue;
    const std::optional<int> target = RankOf(match[1]);
    if (target && *target > *own) found.push_back(std::to_string(number) + ": " + line);
  }
  return found;
}

std::vector<std::string> UpwardIncludes(const std::string& folder, const std::string& text) {
  std::istringstream stream(text);
  return UpwardIncludes(folder, stream);
}

TEST(IncludeDirection, RuleSeesEveryWayOfWritingAnInclude) {
  EXPECT_EQ(UpwardIncludes("system", "#include \"engine/PathMacros.h\"\n"),
            std::vector<std::string>{"1: #include \"engine/PathMacros.h\""});
  EXPECT_EQ(UpwardIncludes("script", "\n  #  include \"ui/x.h\"\r\n").size(), 1u);
  EXPECT_EQ(UpwardIncludes("engine", "#include \"ui/x.h\"\n#include \"script/y.h\"\n").size(), 1u);
  EXPECT_TRUE(
      UpwardIncludes("ui", "#include \"engine/a.h\"\n#include \"script/b.h\"\n#include \"system/c.h\"\n").empty());
  EXPECT_TRUE(
      UpwardIncludes("script", "#include \"script/a.h\"\n#include <engine/b.h>\n// #include \"ui/c.h\"\n").empty());
}

TEST(IncludeDirection, NoSourceFileIncludesAFolderAboveItsOwn) {
  const fs::path source = fs::path(TIDEMARK_SOURCE_DIR) / "src";
  std::map<std::string, int> filesPerFolder;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), source);
    const std::string folder = relative.begin()->string();
    ++filesPerFolder[folder];
    std::ifstream file(entry.path(), std::ios::binary);
    ASSERT_TRUE(file) << entry.path();
    for (const std::string& found : UpwardIncludes(folder, file)) {
      ADD_FAILURE() << "src/" << relative.generic_string() << ":" << found;
    }
  }
  // A wrong source path would find nothing and pass.
  for (const auto& [folder, rank] : kFolderRank) EXPECT_GT(filesPerFolder[folder], 0) << folder;
}

}  // namespace
