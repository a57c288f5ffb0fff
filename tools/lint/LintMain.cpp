// tidemark-lint: checks a removal script before it is embedded or shipped.
//
//   tidemark-lint [--encoding=utf-8|cp949|auto] SCRIPT
//
// Prints one finding a line, "SCRIPT:LINE: error|warning|note: message", and
// nothing for a clean script. The exit codes are the authoring tools' own
// (common/ToolMain.h): 1 when there is an error.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "common/ToolMain.h"
#include "lint/ScriptLint.h"
#include "lint/TerminalText.h"

namespace {

using tidemark::tool::kDone;
using tidemark::tool::kFailed;
using tidemark::tool::kUsage;

constexpr const char* kToolName = "tidemark-lint";
constexpr std::string_view kEncodingOption = "--encoding=";

constexpr tidemark::tool::Help kHelp = {
    kToolName,
    "usage: tidemark-lint [--encoding=utf-8|cp949|auto] SCRIPT\n",
    "Checks a removal script with the program's own reader and rules, and prints one finding\n"
    "a line, \"SCRIPT:LINE: error|warning|note: message\"; nothing for a clean script.\n",
    "  --encoding=utf-8|cp949|auto\n"
    "      script text in the findings as UTF-8 or as its own code page 949 bytes; auto\n"
    "      (the default) takes UTF-8 when LC_ALL, LC_CTYPE or LANG names it\n",
    "no error (warnings and notes may be printed)",
    "the script has an error",
};

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

int Run(int argc, char** argv) {
  if (tidemark::tool::IsHelpRequest(argc, argv)) return tidemark::tool::PrintHelp(kHelp);
  Options options;
  if (!ParseOptions(argc, argv, options)) return tidemark::tool::UsageError(kHelp);
  const std::string& path = options.path;
  std::ifstream in(path, std::ios::binary);
  if (!in) return tidemark::tool::Report(kToolName, kUsage, "cannot open " + path);
  std::string bytes;
  try {
    // A folder opens like a file here and fails only when read, by throwing.
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    in.setstate(std::ios::badbit);
  }
  if (in.bad()) return tidemark::tool::Report(kToolName, kUsage, "cannot read " + path);

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
  if (std::fflush(stdout) != 0) return tidemark::tool::Report(kToolName, kFailed, "cannot write the findings");
  return tidemark::lint::HasError(result.findings) ? kFailed : kDone;
}

}  // namespace

int main(int argc, char** argv) {
  return tidemark::tool::GuardedMain(kToolName, [&] { return Run(argc, argv); });
}
