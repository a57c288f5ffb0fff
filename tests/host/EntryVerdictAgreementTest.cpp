// The checker's errors and the program's refusals are one decision: over
// every script of the project, each entry that a run would refuse is a
// checker error with the refusal's reason, word for word, and each checker
// error that speaks of a refusal is an entry the run refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/EntryVerdicts.h"
#include "engine/PathMacros.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryFacts.h"
#include "lint/PlaceholderFolders.h"
#include "lint/SafetyChecks.h"
#include "lint/ScriptLint.h"
#include "script/ScriptSections.h"

namespace tidemark {
namespace {

namespace fs = std::filesystem;
namespace sec = tidemark::sections;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// What a run decides for one handled entry, with the checker's folders.
std::optional<Verdict> RunVerdict(std::string_view section, const lint::HandledEntry& entry) {
  if (section == sec::kProcess) return ProcessVerdict(entry.value);
  if (section == sec::kStartRun) return RunValueVerdict(entry.name);
  if (section == sec::kUninstall) {
    const Verdict user = UninstallEntryVerdict(RegistryRoot::CurrentUser, entry.value, NoRegistryFacts());
    return user.IsRefused() ? user : UninstallEntryVerdict(RegistryRoot::LocalMachine, entry.value, NoRegistryFacts());
  }
  if (section == sec::kCurrentUser || section == sec::kLocalMachine) {
    const RegistryRoot root = section == sec::kCurrentUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
    return RegistryKeyEntryVerdict(root, entry.name, entry.value, NoRegistryFacts());
  }
  if (section == sec::kFile || section == sec::kPath) {
    std::string expanded;
    if (!ExpandPathMacros(entry.value, expanded, lint::PlaceholderFolders())) return std::nullopt;
    const std::string judged = lint::ForComparison(expanded);
    return section == sec::kFile ? FileEntryVerdict(entry.value, judged, lint::CheckerFolderGuard())
                                 : FolderEntryVerdict(entry.value, judged, lint::CheckerFolderGuard());
  }
  return std::nullopt;
}

bool SpeaksOfARefusal(const std::string& message) {
  for (const char* words : {"refuse", "never deletes", "never removes", "never ends"}) {
    if (message.find(words) != std::string::npos) return true;
  }
  return false;
}

std::vector<fs::path> ProjectScripts() {
  const fs::path root(TIDEMARK_SOURCE_DIR);
  std::vector<fs::path> scripts{root / "res" / "default-script.ini"};
  for (const fs::path& folder : {root / "tests" / "host" / "lint-scripts", root / "tests" / "trial-scripts"}) {
    for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
      if (file.path().extension() == ".ini") scripts.push_back(file.path());
    }
  }
  return scripts;
}

TEST(EntryVerdictAgreement, CheckerErrorsAreExactlyTheProgramsRefusals) {
  int refusals = 0;
  for (const fs::path& script : ProjectScripts()) {
    const lint::LintResult result = lint::LintScript(ReadBytes(script));
    for (const lint::WalkedSection& walk : result.walks) {
      for (const lint::HandledEntry& entry : walk.handled) {
        const std::optional<Verdict> verdict = RunVerdict(walk.section, entry);
        if (!verdict) continue;
        const std::string where = script.filename().string() + ":" + std::to_string(entry.line);
        bool reported = false;
        for (const lint::Finding& finding : result.findings) {
          if (finding.line != entry.line || finding.severity != lint::Severity::Error) continue;
          if (verdict->IsRefused() && finding.message == verdict->Reason()) reported = true;
          EXPECT_TRUE(verdict->IsRefused() || !SpeaksOfARefusal(finding.message))
              << where << ": the checker says '" << finding.message << "' but the program does not refuse it";
        }
        if (verdict->IsRefused()) {
          ++refusals;
          EXPECT_TRUE(reported) << where << ": the program refuses it (" << verdict->Reason()
                                << ") but the checker does not say so";
        }
      }
    }
  }
  EXPECT_GE(refusals, 30);  // the scripts do hold refusals of every kind
}

}  // namespace
}  // namespace tidemark
