// tidemark-pack: a remover from a removal script, without a compiler.
//
//   tidemark-pack --from Tidemark.exe -o REMOVER.exe [--sign CERT.pfx
//                 [--sign-password-file FILE]] [--timestamp URL] SCRIPT
//
// Checks SCRIPT as tidemark-lint does (errors refuse, warnings are shown),
// puts its bytes into a copy of the template as the Korean RCDATA resource
// RESDATA, optionally signs the copy, and writes it through a scratch folder
// beside REMOVER.exe, so that a failure leaves no output and an older file
// at that path untouched. The exit codes are the authoring tools' own
// (common/ToolMain.h): 1 when the script is refused or the packing fails.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "common/ToolMain.h"
#include "lint/ScriptLint.h"
#include "lint/TerminalText.h"
#include "pack/CodeSigning.h"
#include "pack/PePack.h"
#include "pack/Sha256.h"
#include "script/ScriptIni.h"
#include "script/ScriptSections.h"

namespace {

namespace fs = std::filesystem;
using tidemark::tool::kDone;
using tidemark::tool::kFailed;
using tidemark::tool::kUsage;

constexpr const char* kToolName = "tidemark-pack";

constexpr tidemark::tool::Help kHelp = {
    kToolName,
    "usage: tidemark-pack --from Tidemark.exe -o REMOVER.exe [--sign CERT.pfx [--sign-password-file FILE]]\n"
    "                     [--timestamp URL] SCRIPT\n",
    "Checks SCRIPT as tidemark-lint does (errors refuse it, warnings are shown), then writes a\n"
    "copy of Tidemark.exe that carries it; a failure leaves no output and an older file as it was.\n",
    "  --from Tidemark.exe\n"
    "      the built program to copy (required)\n"
    "  -o REMOVER.exe\n"
    "      the program to write (required)\n"
    "  --sign CERT.pfx\n"
    "      sign the copy (SHA-256, the script's title as description) with osslsigncode\n"
    "  --sign-password-file FILE\n"
    "      the certificate's password, read from FILE (with --sign)\n"
    "  --timestamp URL\n"
    "      add an RFC 3161 time-stamp from that server (with --sign)\n",
    "the remover was written",
    "the script was refused, or packing or signing failed",
};

struct Options {
  std::string templatePath;
  std::string outputPath;
  std::string scriptPath;
  tidemark::pack::SigningRequest signing;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  bool haveScript = false;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    std::string* value = nullptr;
    if (argument == "--from") {
      value = &options.templatePath;
    } else if (argument == "-o") {
      value = &options.outputPath;
    } else if (argument == "--sign") {
      value = &options.signing.certificate;
    } else if (argument == "--sign-password-file") {
      value = &options.signing.passwordFile;
    } else if (argument == "--timestamp") {
      value = &options.signing.timestampUrl;
    }
    if (value) {
      if (index + 1 >= argc || !value->empty() || argv[index + 1][0] == '\0') return false;
      *value = argv[++index];
    } else if (!haveScript && !argument.empty() && argument.front() != '-') {
      options.scriptPath = argument;
      haveScript = true;
    } else {
      return false;
    }
  }
  const bool signingOptionsAlone = options.signing.certificate.empty() &&
                                   (!options.signing.passwordFile.empty() || !options.signing.timestampUrl.empty());
  return haveScript && !options.templatePath.empty() && !options.outputPath.empty() && !signingOptionsAlone;
}

int Fail(const std::string& message) { return tidemark::tool::Report(kToolName, kFailed, message); }

// False when the file cannot be opened or read (a folder opens like a file
// and fails only when read, by throwing).
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    return false;
  }
  return !in.bad();
}

bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

// A folder of our own beside the output, for the unsigned and signed copies:
// on the output's file system, so the last step is one rename, and removed
// with whatever it holds on every way out.
class ScratchFolder {
 public:
  explicit ScratchFolder(const fs::path& output) {
    const fs::path parent = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
      const fs::path candidate = parent / (".tidemark-pack-" + std::to_string(random()) + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) m_path = candidate;
      if (error) break;  // the folder is missing or not writable: trying more names will not help
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!m_path.empty()) fs::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Made() const { return !m_path.empty(); }
  fs::path File(const char* name) const { return m_path / name; }

 private:
  fs::path m_path;
};

// The checker's findings on standard error, in the checker's own form.
bool ScriptPassesChecker(const std::string& path, const std::string& script) {
  const tidemark::lint::OutputEncoding encoding =
      tidemark::lint::LocaleEncoding(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  const tidemark::lint::LintResult result = tidemark::lint::LintScript(script);
  for (tidemark::lint::Finding finding : result.findings) {
    finding.message = tidemark::lint::ForTerminal(finding.message, encoding);
    const std::string line = tidemark::lint::FormatFinding(path, finding) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
  return !tidemark::lint::HasError(result.findings);
}

int Run(int argc, char** argv) {
  if (tidemark::tool::IsHelpRequest(argc, argv)) return tidemark::tool::PrintHelp(kHelp);
  Options options;
  if (!ParseOptions(argc, argv, options)) return tidemark::tool::UsageError(kHelp);
  std::string script, templateImage, unused;
  for (const auto& [path, bytes] :
       {std::pair{&options.scriptPath, &script}, std::pair{&options.templatePath, &templateImage},
        std::pair{&options.signing.certificate, &unused}, std::pair{&options.signing.passwordFile, &unused}}) {
    if (!path->empty() && !ReadWholeFile(*path, *bytes)) {
      return tidemark::tool::Report(kToolName, kUsage, "cannot read " + *path);
    }
  }
  const bool signing = !options.signing.certificate.empty();
  if (signing && !tidemark::pack::SigningSupported()) {
    std::string error;
    tidemark::pack::SignAndVerify(options.signing, "", "", "", error);
    return Fail(error);
  }

  if (!ScriptPassesChecker(options.scriptPath, script)) {
    return Fail(options.scriptPath + " has errors (above); nothing was written");
  }
  std::string packed, error;
  tidemark::pack::PackReport report;
  if (!tidemark::pack::PackScript(templateImage, script, packed, report, error)) {
    return Fail(options.templatePath + ": " + error);
  }
  // The packer's output read back with its own reader: what Tidemark.exe
  // will load must be the script, byte for byte.
  std::string readBack;
  if (!tidemark::pack::ReadScriptResource(packed, readBack, error) || readBack != script) {
    return Fail("the packed program does not read back the script" + (error.empty() ? "" : ": " + error));
  }

  const fs::path output(options.outputPath);
  ScratchFolder scratch(output);
  if (!scratch.Made()) return Fail("cannot create a scratch folder beside " + options.outputPath);
  fs::path finished = scratch.File("unsigned.exe");
  if (!WriteWholeFile(finished, packed)) return Fail("cannot write " + finished.string());
  if (signing) {
    const tidemark::ScriptIni ini(script);
    options.signing.description =
        tidemark::lint::Cp949ToUtf8(ini.LookupValue(tidemark::sections::kAppType, tidemark::sections::kAppTypeTitle));
    if (!tidemark::pack::SignAndVerify(options.signing, finished.string(), scratch.File("signed.exe").string(),
                                       scratch.File("trust.pem").string(), error)) {
      return Fail(error);
    }
    finished = scratch.File("signed.exe");
    if (!ReadWholeFile(finished.string(), packed)) return Fail("cannot read back " + finished.string());
  }
  std::error_code renameError;
  fs::rename(finished, output, renameError);
  if (renameError) return Fail("cannot write " + options.outputPath + ": " + renameError.message());

  if (report.templateWasSigned) std::printf("template's signature removed\n");
  if (!report.movedSections.empty()) {
    std::string moved;
    for (const std::string& name : report.movedSections) moved += (moved.empty() ? "" : " ") + name;
    std::printf("moved to make room: %s\n", moved.c_str());
  }
  std::printf("output: %s\nsize: %zu bytes\nsha256: %s\nsigned: %s\n", options.outputPath.c_str(), packed.size(),
              tidemark::pack::Sha256Hex(packed).c_str(),
              !signing                               ? "no"
              : options.signing.timestampUrl.empty() ? "yes (SHA-256, verified, no time-stamp)"
                                                     : "yes (SHA-256, verified, time-stamped)");
  return std::fflush(stdout) == 0 ? kDone : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  return tidemark::tool::GuardedMain(kToolName, [&] { return Run(argc, argv); });
}
