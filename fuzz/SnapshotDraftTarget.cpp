// The snapshot parser over arbitrary bytes, and the draft from what it
// reads. The input is one snapshot (compared with itself) or two, the second
// starting at a later header line. What parses must be written back to a
// text that parses to the same; a snapshot compared with itself has no
// new or removed records; and the checker finds no error in a draft but those the draft
// itself names in its leading "not yet a script" comments.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "capture/ScriptDraft.h"
#include "capture/SnapshotCompare.h"
#include "capture/SnapshotFile.h"
#include "lint/ScriptLint.h"

namespace tidemark::capture {
namespace {

void CheckRoundTrip(const Snapshot& snapshot) {
  const std::string text = FormatSnapshot(snapshot);
  const ParsedSnapshot again = ParseSnapshot(text);
  FUZZ_CHECK(again.ok);
  FUZZ_CHECK(FormatSnapshot(again.snapshot) == text);
}

void CheckDraft(const Snapshot& before, const Snapshot& after) {
  const std::string draft = DraftScript(before, after);
  std::size_t named = 0;
  for (std::size_t at = 0; draft.compare(at, 20, "; not yet a script: ") == 0;) {
    ++named;
    const std::size_t end = draft.find('\n', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  std::size_t errors = 0;
  for (const lint::Finding& finding : lint::LintScript(draft).findings) {
    errors += finding.severity == lint::Severity::Error ? 1 : 0;
  }
  FUZZ_CHECK(errors == named);
}

}  // namespace
}  // namespace tidemark::capture

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tidemark::capture;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t second = text.find(std::string("\n") + kSnapshotMagic + "\t");
  const ParsedSnapshot first =
      ParseSnapshot(text.substr(0, second == std::string_view::npos ? text.size() : second + 1));
  if (!first.ok) {
    FUZZ_CHECK(!first.error.empty());
    return 0;
  }
  CheckRoundTrip(first.snapshot);
  if (second == std::string_view::npos) {
    FUZZ_CHECK(MismatchBetween(first.snapshot, first.snapshot).empty());
    // Nothing is new or gone. (A value or file recorded twice with other data
    // may count as changed: no capture writes one twice.)
    SnapshotChanges self = CompareSnapshots(first.snapshot, first.snapshot);
    self.changedValues.clear();
    self.changedFiles.clear();
    FUZZ_CHECK(self.Empty());
    CheckDraft(first.snapshot, first.snapshot);
    return 0;
  }
  const ParsedSnapshot other = ParseSnapshot(text.substr(second + 1));
  if (!other.ok) return 0;
  CheckRoundTrip(other.snapshot);
  if (!MismatchBetween(first.snapshot, other.snapshot).empty()) return 0;
  CompareSnapshots(first.snapshot, other.snapshot);
  CheckDraft(first.snapshot, other.snapshot);
  return 0;
}
