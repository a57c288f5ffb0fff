// The checker over arbitrary bytes: it must never crash, its findings come
// sorted by line, and every walked entry sits on a line of the script.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "lint/ScriptLint.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tidemark::lint;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const LintResult result = LintScript(bytes);
  std::size_t previous = 0;
  for (const Finding& finding : result.findings) {
    FUZZ_CHECK(finding.line >= previous);
    previous = finding.line;
    FUZZ_CHECK(!finding.message.empty());
    FUZZ_CHECK(!FormatFinding("fuzz.ini", finding).empty());
  }
  // Every line of the text (a zero byte ends it, as it ends the reading).
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n' || c == '\r' ? 1 : 0;
  for (const WalkedSection& walk : result.walks) {
    FUZZ_CHECK(walk.line <= lines);
    for (const HandledEntry& entry : walk.handled) {
      FUZZ_CHECK(entry.line >= 1 && entry.line <= lines);
      FUZZ_CHECK(!entry.name.empty());
      FUZZ_CHECK(!entry.value.empty());
    }
  }
  return 0;
}
