// tidemark-preview: prints what a run with the Start button's switches would
// touch on this machine now, for a script file or for the script embedded in
// a Tidemark.exe. It only looks; it changes nothing.
//
//   tidemark-preview SCRIPT.ini
//   tidemark-preview --exe PATH\Tidemark.exe
//   tidemark-preview                  (the Tidemark.exe beside this program)
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/Preview.h"
#include "engine/ShellFolderLookup.h"
#include "preview/PreviewReport.h"
#include "script/ScriptFile.h"
#include "script/ScriptLines.h"
#include "system/ApplicationTitle.h"
#include "system/UniqueHandle.h"

namespace {

std::string ScriptOfExecutable(const std::string& path) {
  // Mapped as a data file: none of the executable's code runs.
  tidemark::UniqueModule module(
      LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) throw std::runtime_error("cannot open " + path);
  // The program writes the resource's lines out with CR LF and reads that.
  return tidemark::JoinLinesWithCrLf(
      tidemark::SplitScriptLines(tidemark::LoadScriptResource(module.get(), tidemark::kScriptResourceName)));
}

std::string ScriptFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SiblingTidemark() {
  const std::string self = tidemark::ExecutablePath();
  return self.substr(0, self.find_last_of('\\') + 1) + "Tidemark.exe";
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string text;
    if (argc == 1) {
      text = ScriptOfExecutable(SiblingTidemark());
    } else if (argc == 3 && std::string(argv[1]) == "--exe") {
      text = ScriptOfExecutable(argv[2]);
    } else if (argc == 2 && argv[1][0] != '-') {
      text = ScriptFile(argv[1]);
    } else {
      std::fprintf(stderr, "usage: tidemark-preview [SCRIPT | --exe TIDEMARK.EXE]\n");
      return 2;
    }
    const tidemark::ScriptIni script(text);
    const tidemark::ShellFolderLookup folders;
    std::fputs(tidemark::preview::FormatPreview(tidemark::BuildPreview(script, folders)).c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tidemark-preview: %s\n", error.what());
    return 2;
  }
}
