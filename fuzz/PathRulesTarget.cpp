// The rules for [FILE], [PATH] and registry-section values over arbitrary
// text. The input's lines are the fields: a value as written (with folder
// macros), a mask, a file name, a registry entry's name and its value. No
// rule may crash, a refusal always says why, the verdicts agree with the
// checks they are built on, and what the rules call case-blind is.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryFacts.h"
#include "support/FakeFolders.h"
#include "system/Cp949Text.h"

namespace tidemark {
namespace {

std::vector<std::string> Fields(std::string_view input, std::size_t count) {
  std::vector<std::string> fields;
  while (fields.size() + 1 < count) {
    const std::size_t end = input.find('\n');
    if (end == std::string_view::npos) break;
    fields.emplace_back(input.substr(0, end));
    input.remove_prefix(end + 1);
  }
  fields.emplace_back(input);
  fields.resize(count);
  return fields;
}

void CheckFileAndFolder(std::string_view written, std::string_view expanded, const FolderGuard& guard) {
  const Verdict file = FileEntryVerdict(written, expanded, guard);
  FUZZ_CHECK(file.IsRefused() != file.Reason().empty());
  FUZZ_CHECK(file.IsRefused() == (CheckFileValue(expanded, guard).verdict != FileValueVerdict::Allowed));
  const Verdict folder = FolderEntryVerdict(written, expanded, guard);
  FUZZ_CHECK(folder.IsRefused() != folder.Reason().empty());
  // A folder that may be removed is a safe one that no rule guards.
  if (!folder.IsRefused()) {
    FUZZ_CHECK(IsSafeFolderPath(expanded));
    FUZZ_CHECK(!IsDriveRoot(expanded));
    FUZZ_CHECK(!IsGuardedFromRemoval(expanded, guard));
  }
}

void CheckRegistry(RegistryRoot root, const std::string& name, const std::string& value) {
  const Verdict verdict = RegistryKeyEntryVerdict(root, name, value, NoRegistryFacts());
  FUZZ_CHECK(verdict.IsRefused() != verdict.Reason().empty());
  // Key names are compared without regard to the case of ASCII letters.
  const Verdict upper =
      RegistryKeyEntryVerdict(root, ToUpperAsciiCp949(name), ToUpperAsciiCp949(value), NoRegistryFacts());
  FUZZ_CHECK(upper.IsRefused() == verdict.IsRefused());
  const std::string path = NormalizeRegistryPath(value);
  FUZZ_CHECK(NormalizeRegistryPath(path) == path);
  if (IsProtectedRegistryKey(root, value)) FUZZ_CHECK(RegistryKeyVerdict(root, value, NoRegistryFacts()).IsRefused());
  const Verdict uninstall = UninstallEntryVerdict(root, name, NoRegistryFacts());
  FUZZ_CHECK(uninstall.IsRefused() != uninstall.Reason().empty());
}

}  // namespace
}  // namespace tidemark

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tidemark;
  const std::vector<std::string> fields = Fields(std::string_view(reinterpret_cast<const char*>(data), size), 5);
  const std::string& written = fields[0];
  const std::string& mask = fields[1];
  const std::string& name = fields[2];

  const testing::FakeFolders folders;
  const FolderGuard guard = GuardedFolders(folders);
  std::string expanded;
  if (ExpandPathMacros(written, expanded, folders)) CheckFileAndFolder(written, expanded, guard);
  CheckFileAndFolder(written, written, guard);

  // A key is its own key. (Only for a drive-rooted folder: the key drops
  // leading separators, so \C:\x gives the drive-rooted C:\X, whose
  // key differs; the verdicts refuse such a folder before comparing keys.)
  const std::string key = FolderComparisonKey(written);
  if (IsFullyQualifiedPath(written)) FUZZ_CHECK(FolderComparisonKey(key) == key);

  const bool matches = MatchesFileMask(mask, name);
  FUZZ_CHECK(MatchesFileMask(ToUpperAsciiCp949(mask), ToLowerAsciiCp949(name)) == matches);
  if (mask.empty() || name.empty()) FUZZ_CHECK(!matches);
  IsBroadMask(mask);
  HasShortNameComponent(written);

  for (const RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
    CheckRegistry(root, fields[3], fields[4]);
  }
  return 0;
}
