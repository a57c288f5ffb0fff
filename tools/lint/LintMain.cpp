// tidemark-lint: checks a removal script before it is embedded or shipped.
//
//   tidemark-lint SCRIPT
//
// Prints one finding a line, "SCRIPT:LINE: error|warning|note: message", and
// nothing for a clean script. Exit code 1 when there is an error, 2 when the
// script cannot be read or the command line is wrong, 0 otherwise.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

#include "lint/ScriptLint.h"

namespace {

constexpr int kClean = 0;
constexpr int kHasErrors = 1;
constexpr int kUsageOrInput = 2;

void PrintUsage(std::FILE* to) { std::fputs("usage: tidemark-lint SCRIPT\n", to); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    PrintUsage(stdout);
    return kClean;
  }
  if (argc != 2) {
    PrintUsage(stderr);
    return kUsageOrInput;
  }
  const std::string path = argv[1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tidemark-lint: cannot open %s\n", path.c_str());
    return kUsageOrInput;
  }
  std::string bytes;
  try {
    // A folder opens like a file here and fails only when read, by throwing.
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
  }
  if (in.bad()) {
    std::fprintf(stderr, "tidemark-lint: cannot read %s\n", path.c_str());
    return kUsageOrInput;
  }

  const tidemark::lint::LintResult result = tidemark::lint::LintScript(bytes);
  for (const tidemark::lint::Finding& finding : result.findings) {
    // Script text goes out byte for byte, in the script's own code page.
    const std::string line = tidemark::lint::FormatFinding(path, finding) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  std::fflush(stdout);
  return tidemark::lint::HasError(result.findings) ? kHasErrors : kClean;
}
