// tidemark-preview: prints what a run with the Start button's switches would
// touch on this machine now, for a script file or for the script embedded in
// a Tidemark.exe. It only looks; it changes nothing.
//
//   tidemark-preview SCRIPT.ini
//   tidemark-preview --exe PATH\Tidemark.exe
//   tidemark-preview                  (the Tidemark.exe beside this program)
//
// The exit codes are the authoring tools' own (common/ToolMain.h); a script
// or program that cannot be read is a wrong input (2).
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

#include "common/ToolMain.h"
#include "engine/Preview.h"
#include "engine/ShellFolderLookup.h"
#include "preview/PreviewReport.h"
#include "script/ScriptFile.h"
#include "script/ScriptLines.h"
#include "system/ApplicationTitle.h"
#include "system/UniqueHandle.h"

namespace {

using tidemark::tool::kDone;
using tidemark::tool::UnreadableInput;

constexpr const char* kToolName = "tidemark-preview";

constexpr tidemark::tool::Help kHelp = {
    kToolName,
    "usage: tidemark-preview [SCRIPT | --exe TIDEMARK.EXE]\n",
    "Prints what a run with the Start button would touch on this machine now, with the folder\n"
    "macros expanded, and changes nothing. Without SCRIPT it reads the script embedded in a\n"
    "Tidemark.exe: the one --exe names, or the one beside this program.\n",
    "  --exe TIDEMARK.EXE\n"
    "      the script embedded in that program (read as data: none of its code runs)\n",
    "the preview was printed",
    "the preview could not be made or printed",
};

std::string ScriptOfExecutable(const std::string& path) {
  // Mapped as a data file: none of the executable's code runs.
  tidemark::UniqueModule module(
      LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) throw UnreadableInput("cannot open " + path);
  std::string resource;
  try {
    resource = tidemark::LoadScriptResource(module.get(), tidemark::kScriptResourceName);
  } catch (const tidemark::ScriptFileError& error) {
    throw UnreadableInput(path + ": " + error.what());
  }
  // The program writes the resource's lines out with CR LF and reads that.
  return tidemark::JoinLinesWithCrLf(tidemark::SplitScriptLines(resource));
}

std::string ScriptFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UnreadableInput("cannot read " + path);
  std::string text;
  try {
    // A folder opens like a file and fails only when read, by throwing.
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
  }
  if (in.bad()) throw UnreadableInput("cannot read " + path);
  return text;
}

std::string SiblingTidemark() {
  const std::string self = tidemark::ExecutablePath();
  return self.substr(0, self.find_last_of('\\') + 1) + "Tidemark.exe";
}

int Run(int argc, char** argv) {
  if (tidemark::tool::IsHelpRequest(argc, argv)) return tidemark::tool::PrintHelp(kHelp);
  std::string text;
  if (argc == 1) {
    text = ScriptOfExecutable(SiblingTidemark());
  } else if (argc == 3 && std::string(argv[1]) == "--exe") {
    text = ScriptOfExecutable(argv[2]);
  } else if (argc == 2 && argv[1][0] != '-' && argv[1][0] != '\0') {
    text = ScriptFile(argv[1]);
  } else {
    return tidemark::tool::UsageError(kHelp);
  }
  const tidemark::ScriptIni script(text);
  const tidemark::ShellFolderLookup folders;
  std::fputs(tidemark::preview::FormatPreview(tidemark::BuildPreview(script, folders)).c_str(), stdout);
  if (std::fflush(stdout) != 0) return tidemark::tool::Report(kToolName, tidemark::tool::kFailed, "cannot write");
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  return tidemark::tool::GuardedMain(kToolName, [&] { return Run(argc, argv); });
}
