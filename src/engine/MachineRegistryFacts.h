// The registry facts of this machine, read with read rights only and without
// a registry-view flag, so that they describe the keys that a deletion of
// the same process would reach.
#pragma once

#include <windows.h>

#include "engine/RegistryFacts.h"

namespace tidemark {

// The predefined key of a root.
HKEY RootKeyOf(RegistryRoot root);

class MachineRegistryFacts : public RegistryFacts {
 public:
  bool Known() const override;
  bool KeyExists(RegistryRoot root, const std::string& path) const override;
  std::optional<std::string> StringValue(RegistryRoot root, const std::string& path,
                                         const std::string& name) const override;
  std::vector<std::string> SubkeyNames(RegistryRoot root, const std::string& path) const override;
  std::string WindowsFolder() const override;
  std::string ExpandEnvironment(const std::string& text) const override;
};

}  // namespace tidemark
