// The checker for removal scripts: it finds what in a script makes a run do
// something other than its author most likely meant. It reads the script with
// the program's own reader and walks each section with the program's own
// walk, so that it can never disagree with what a run handles.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lint/LintFinding.h"

namespace tidemark::lint {

// One entry that a run hands to a step.
struct HandledEntry {
  std::size_t line;   // the line of the entry the walk is at
  std::string name;   // its name as the listing yields it
  std::string value;  // the value the lookup yields for that name, before macro expansion
};

// A section that a removal step walks, and what the walk hands on from it.
struct WalkedSection {
  std::string_view section;  // canonical name
  std::size_t line;          // its section line, 0 when the script has none
  std::vector<HandledEntry> handled;
};

struct LintResult {
  std::vector<Finding> findings;  // sorted by line
  std::vector<WalkedSection> walks;
};

LintResult LintScript(std::string_view bytes);

}  // namespace tidemark::lint
