// tidemark-capture: from an observed installation to a removal script draft.
//
//   tidemark-capture snapshot FILE [--files-below FOLDER]...
//   tidemark-capture draft BEFORE AFTER [-o SCRIPT]
//
// "snapshot" records this machine's processes, services, registry (both
// views) and the files below the macro folders. "draft" prints a removal
// script (code page 949, CR LF) of what AFTER adds to BEFORE, or writes it to
// SCRIPT. The exit codes are the authoring tools' own (ToolMain.h): 1 when a
// snapshot cannot be taken or the two cannot be compared, 2 for a wrong
// command line or a snapshot file that cannot be read as one.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/ScriptDraft.h"
#include "capture/SnapshotFile.h"
#include "capture/SnapshotTaker.h"
#include "capture/WholeFile.h"
#include "common/ToolMain.h"

namespace {

using tidemark::tool::kDone;
using tidemark::tool::kFailed;
using tidemark::tool::kUsage;

constexpr const char* kToolName = "tidemark-capture";

constexpr tidemark::tool::Help kHelp = {
    kToolName,
    "usage: tidemark-capture snapshot FILE [--files-below FOLDER]...\n"
    "       tidemark-capture draft BEFORE AFTER [-o SCRIPT]\n",
    "Take a snapshot before installing the target and one after; the draft is the removal\n"
    "script of what the second adds (code page 949, CR LF), for tidemark-lint and review.\n",
    "  --files-below FOLDER\n"
    "      (snapshot) also record the files below FOLDER; may be repeated\n"
    "  -o SCRIPT\n"
    "      (draft) write the draft to SCRIPT instead of standard output\n",
    "the snapshot or the draft was written",
    "a snapshot could not be taken, the two are not of one machine, or the draft could not be written",
};

int Usage() { return tidemark::tool::UsageError(kHelp); }

int Fail(const std::string& message) { return tidemark::tool::Report(kToolName, kFailed, message); }

int Snapshot(int argc, char** argv) {
  std::vector<std::string> filesBelow;
  for (int index = 3; index < argc; index += 2) {
    if (std::string(argv[index]) != "--files-below" || index + 1 >= argc) return Usage();
    filesBelow.push_back(argv[index + 1]);
  }
  std::string error;
  if (!tidemark::capture::TakeSnapshot(argv[2], filesBelow, error)) return Fail(error);
  return kDone;
}

int Draft(const std::string& beforePath, const std::string& afterPath, const std::string& outputPath) {
  tidemark::capture::Snapshot before, after;
  std::string error;
  if (!tidemark::capture::LoadSnapshot(beforePath, before, error) ||
      !tidemark::capture::LoadSnapshot(afterPath, after, error))
    return tidemark::tool::Report(kToolName, kUsage, error);
  const std::string mismatch = tidemark::capture::MismatchBetween(before, after);
  if (!mismatch.empty()) return Fail(mismatch);
  const std::string script = tidemark::capture::DraftScript(before, after);
  if (!outputPath.empty()) {
    if (!tidemark::capture::WriteWholeFile(outputPath, script)) return Fail("cannot write " + outputPath);
    return kDone;
  }
  // The script's own CR LF, not the C runtime's translation of LF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(script.data(), 1, script.size(), stdout);
  return std::fflush(stdout) == 0 ? kDone : Fail("cannot write the draft");
}

int Run(int argc, char** argv) {
  if (tidemark::tool::IsHelpRequest(argc, argv)) return tidemark::tool::PrintHelp(kHelp);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "snapshot" && argc >= 3) return Snapshot(argc, argv);
  if (command == "draft" && argc == 4) return Draft(argv[2], argv[3], "");
  if (command == "draft" && argc == 6 && std::string(argv[4]) == "-o") return Draft(argv[2], argv[3], argv[5]);
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  return tidemark::tool::GuardedMain(kToolName, [&] { return Run(argc, argv); });
}
