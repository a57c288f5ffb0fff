// tidemark-lint: checks a removal script before it is embedded or shipped.
//
//   tidemark-lint [--encoding=utf-8|cp949|auto] SCRIPT
//
// Prints one finding a line, "SCRIPT:LINE: error|warning|note: message", and
// nothing for a clean script. Exit code 1 when there is an error, 2 when the
// script cannot be read or the command line is wrong, 0 otherwise.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "lint/ScriptLint.h"
#include "lint/TerminalText.h"

namespace {

constexpr int kClean = 0;
constexpr int kHasErrors = 1;
constexpr int kUsageOrInput = 2;

constexpr std::string_view kEncodingOption = "--encoding=";

void PrintUsage(std::FILE* to) {
  std::fputs(
      "usage: tidemark-lint SCRIPT\n"
      "       tidemark-lint --encoding=utf-8|cp949|auto SCRIPT\n"
      "Script text in the findings is printed as UTF-8 or as its own code page 949 bytes;\n"
      "auto (the default) takes UTF-8 when LC_ALL, LC_CTYPE or LANG names it.\n",
      to);
}

struct Options {
  std::optional<tidemark::lint::OutputEncoding> encoding;  // nullopt: from the locale
  std::string path;
};

// False when the command line is not one of the usage lines.
bool ParseOptions(int argc, char** argv, Options& options) {
  bool havePath = false;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    if (argument.substr(0, kEncodingOption.size()) == kEncodingOption) {
      if (!tidemark::lint::ParseEncodingOption(argument.substr(kEncodingOption.size()), options.encoding)) {
        return false;
      }
    } else if (!havePath && !argument.empty() && argument.front() != '-') {
      options.path = argument;
      havePath = true;
    } else {
      return false;
    }
  }
  return havePath;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    PrintUsage(stdout);
    return kClean;
  }
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage(stderr);
    return kUsageOrInput;
  }
  const std::string& path = options.path;
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

  const tidemark::lint::OutputEncoding encoding =
      options.encoding
          ? *options.encoding
          : tidemark::lint::LocaleEncoding(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  const tidemark::lint::LintResult result = tidemark::lint::LintScript(bytes);
  for (tidemark::lint::Finding finding : result.findings) {
    // Only the message quotes script text; the path is the terminal's own.
    finding.message = tidemark::lint::ForTerminal(finding.message, encoding);
    const std::string line = tidemark::lint::FormatFinding(path, finding) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  std::fflush(stdout);
  return tidemark::lint::HasError(result.findings) ? kHasErrors : kClean;
}
