// The reader over arbitrary bytes, and the walk over what it reads: neither
// may crash, and what they yield must obey the reading rules whatever the
// script holds.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "engine/SectionWalk.h"
#include "script/ScriptIni.h"
#include "support/FakeFolders.h"

namespace tidemark {
namespace {

void CheckSection(const ScriptIni& script, const std::string& section) {
  EntryList list;
  list.push_back("left over");  // the reading clears the list first
  script.ReadSectionEntries(section, list);
  const std::vector<std::string> names = script.ListEntryNames(section);
  FUZZ_CHECK(list.size() == names.size());
  std::size_t listingBytes = 1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string& line = list[i];
    const std::string& name = names[i];
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == '=');
    FUZZ_CHECK(EntryNameAt(list, i) == name || name.find('=') != std::string::npos);
    const std::string value = line.substr(name.size() + 1);
    FUZZ_CHECK(value.size() <= ScriptIni::kValueBufferSize - 1);
    FUZZ_CHECK(value == script.LookupValue(section, name));
    listingBytes += name.size() + 1;
  }
  FUZZ_CHECK(listingBytes <= ScriptIni::kNameListingSize);
  const EntryListIndex index(list);
  for (const std::string& name : names) FUZZ_CHECK(index.ValueOf(name) == EntryValueOf(list, name));

  // Once with every folder found, once with the temporary folder and
  // %APPDATA% missing, so that the unresolved path is taken too.
  for (const bool missingFolders : {false, true}) {
    testing::FakeFolders folders;
    if (missingFolders) {
      folders.temp.reset();
      folders.folders.erase(csidl::kAppData);
    }
    int handled = 0, unresolved = 0;
    const EntryHandler onUnresolved = [&](const std::string&, const std::string& value) {
      FUZZ_CHECK(!value.empty());
      ++unresolved;
      return WalkControl::Continue;
    };
    const WalkResult walked = WalkSection(
        script, section, folders,
        [&](const std::string&, const std::string& value) {
          FUZZ_CHECK(!value.empty());
          ++handled;
          return WalkControl::Continue;
        },
        missingFolders ? &onUnresolved : nullptr);
    FUZZ_CHECK(walked.handled == handled);
    FUZZ_CHECK(walked.skippedUnresolved == (missingFolders ? unresolved : walked.skippedUnresolved));
    FUZZ_CHECK(static_cast<std::size_t>(walked.handled + walked.skippedUnresolved) <= list.size());
  }
  // A handler that stops at once is called once at most.
  testing::FakeFolders folders;
  int calls = 0;
  WalkSection(script, section, folders, [&](const std::string&, const std::string&) {
    ++calls;
    return WalkControl::Stop;
  });
  FUZZ_CHECK(calls <= 1);
}

}  // namespace
}  // namespace tidemark

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tidemark;
  const ScriptIni script(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> sections = {"FILE", "PATH", "PROCESS", "STARTRUN", "HKEY_LOCAL_MACHINE", ""};
  for (const ScriptIni::Section& section : script.Sections()) {
    if (sections.size() >= 16) break;
    sections.push_back(section.name);
    FUZZ_CHECK(script.FindSection(section.name) != nullptr);
  }
  for (const std::string& section : sections) CheckSection(script, section);
  return 0;
}
