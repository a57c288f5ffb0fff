// What the mains of the authoring tools (tidemark-lint, -preview, -capture,
// -trial, -pack) share, so that a script author meets one convention: the
// exit codes, the help and usage texts, the form of an error message, and
// the guard that turns an exception escaping a command into a message.
#pragma once

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tidemark::tool {

inline constexpr int kDone = 0;    // done, or a clean script
inline constexpr int kFailed = 1;  // findings (a script error, a trial that did not pass), or the work failed
inline constexpr int kUsage = 2;   // a wrong command line, or an input that cannot be read

// Thrown for an input that cannot be read; the guard exits with kUsage.
class UnreadableInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A tool's help, printed in this order: the usage lines (the first starts
// "usage: tidemark-X"), a short description, the options, the exit codes.
struct Help {
  const char* name;         // "tidemark-lint"
  const char* usage;        // the usage lines, each ending in "\n"
  const char* description;  // a few lines, each ending in "\n"
  const char* options;      // "  OPTION\n      what it does\n" each; "-h, --help" is added
  const char* done;         // what exit code 0 means for this tool
  const char* failed;       // what exit code 1 means
};

inline bool IsHelpRequest(int argc, char** argv) {
  return argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help");
}

// The whole help, on standard output: asked for, it is the tool's output.
inline int PrintHelp(const Help& help) {
  std::printf("%s\n%s\noptions:\n%s  -h, --help\n      print this help and exit\n\n", help.usage, help.description,
              help.options);
  std::printf("exit codes:\n  0  %s\n  1  %s\n  2  a wrong command line, or an input that cannot be read\n", help.done,
              help.failed);
  return std::fflush(stdout) == 0 ? kDone : kFailed;
}

// A wrong command line: the usage lines on standard error, then where the
// rest is.
inline int UsageError(const Help& help) {
  std::fprintf(stderr, "%s(%s --help shows the options)\n", help.usage, help.name);
  return kUsage;
}

// "tidemark-X: message" on standard error; returns the exit code.
inline int Report(const char* toolName, int exitCode, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", toolName, message.c_str());
  return exitCode;
}

template <typename Run>
int GuardedMain(const char* toolName, Run run) {
  try {
    return run();
  } catch (const UnreadableInput& error) {
    return Report(toolName, kUsage, error.what());
  } catch (const std::exception& error) {
    return Report(toolName, kFailed, error.what());
  }
}

}  // namespace tidemark::tool
