// Checks of the values that a removal step would handle: what each step does
// with a value that its author most likely did not mean.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lint/LintFinding.h"

namespace tidemark::lint {

// One value that the walk hands to a step, taken from the entry that holds it.
struct WalkedValue {
  std::size_t line;      // the entry's line
  std::string name;      // the entry's name as the listing yields it
  std::string value;     // as the reader yields it, before macro expansion
  std::string expanded;  // after expansion with placeholder folders
};

// The section is given by its canonical (upper-case) name; the values are in
// walk order, each entry once.
void CheckWalkedValues(std::string_view section, const std::vector<WalkedValue>& values,
                       std::vector<Finding>& findings);

}  // namespace tidemark::lint
