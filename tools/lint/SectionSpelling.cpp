#include "lint/SectionSpelling.h"

#include <algorithm>
#include <string>
#include <vector>

#include "script/ScriptSections.h"
#include "system/Cp949Text.h"

namespace tidemark::lint {

namespace {

namespace sec = tidemark::sections;

constexpr std::size_t kShortName = 4;

std::string WithoutSeparators(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != '_' && c != '-' && c != ' ' && c != '\t') kept += c;
  }
  return kept;
}

// Levenshtein distance over bytes; both texts are upper case already.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string_view MeantSection(std::string_view name) {
  if (name.empty() || sec::FindSectionRule(name) != nullptr) return {};
  const std::string upper = ToUpperAsciiCp949(name);
  const std::string bare = WithoutSeparators(upper);
  // The short root names that registry tools accept.
  if (bare == "HKCU") return sec::kCurrentUser;
  if (bare == "HKLM") return sec::kLocalMachine;
  std::string_view best;
  std::size_t bestDistance = 3;
  for (const sec::SectionRule& rule : sec::kSectionRules) {
    if (bare == WithoutSeparators(rule.name)) return rule.name;
    const std::size_t allowed = rule.name.size() <= kShortName ? 1 : 2;
    const std::size_t distance = EditDistance(upper, rule.name);
    if (distance <= allowed && distance < bestDistance) {
      best = rule.name;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace tidemark::lint
