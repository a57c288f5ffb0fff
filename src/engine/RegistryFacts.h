// What the registry of the machine says about a key, for the rules that a
// key's name alone cannot settle: which file a service runs, which file
// serves a COM class. The program reads them from the registry it deletes
// in; the script checker knows no machine and passes NoRegistryFacts().
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/RegistryRules.h"

namespace tidemark {

class RegistryFacts {
 public:
  virtual ~RegistryFacts();

  // False when there is no machine to ask: every key is then unknown, and
  // only a key's name can make it refused.
  virtual bool Known() const = 0;
  // Paths are below the root, components joined by single backslashes, in
  // the registry view that the deletion itself sees.
  virtual bool KeyExists(RegistryRoot root, const std::string& path) const = 0;
  // A REG_SZ or REG_EXPAND_SZ value as stored (not expanded); the empty name
  // is the key's default value. Nothing when the key or the value is missing
  // or holds no string.
  virtual std::optional<std::string> StringValue(RegistryRoot root, const std::string& path,
                                                 const std::string& name) const = 0;
  virtual std::vector<std::string> SubkeyNames(RegistryRoot root, const std::string& path) const = 0;
  // The Windows folder, such as "C:\Windows", without a trailing backslash.
  virtual std::string WindowsFolder() const = 0;
  // The text with its %NAME% environment strings replaced, as Windows
  // expands a REG_EXPAND_SZ value.
  virtual std::string ExpandEnvironment(const std::string& text) const = 0;
};

// The facts of no machine.
const RegistryFacts& NoRegistryFacts();

}  // namespace tidemark
