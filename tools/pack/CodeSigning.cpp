#include "pack/CodeSigning.h"

#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

extern char** environ;
#endif

namespace tidemark::pack {

#ifdef _WIN32

bool SigningSupported() { return false; }

bool SignAndVerify(const SigningRequest&, const std::string&, const std::string&, const std::string&,
                   std::string& error) {
  error = "signing is not supported by the Windows build; use the Linux tidemark-pack or signtool";
  return false;
}

#else

namespace {

constexpr const char* kSystemAuthorities = "/etc/ssl/certs/ca-certificates.crt";

// A tool's exit code and everything it printed; the exit code is -1 when it
// could not be started or did not end normally.
struct ToolRun {
  int exitCode = -1;
  std::string output;
};

// No shell: every argument reaches the tool as it is, whatever the file
// names or the title hold. Standard input is /dev/null, so that a tool that
// wants a password it was not given fails instead of waiting at a prompt.
ToolRun RunTool(const std::vector<std::string>& arguments) {
  ToolRun run;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    run.output = std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    run.output = arguments[0] + ": " + std::strerror(spawned);
    return run;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got > 0) {
      run.output.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

// The last non-empty line a tool printed: its own summary of what went wrong.
std::string LastLine(const std::string& output) {
  std::size_t end = output.find_last_not_of("\r\n \t");
  if (end == std::string::npos) return "no output";
  const std::size_t start = output.find_last_of('\n', end);
  return output.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

bool Fail(std::string& error, const std::string& message, const ToolRun& run) {
  error = message + " (" + (run.exitCode < 0 ? run.output : LastLine(run.output)) + ")";
  return false;
}

bool WriteTrustFile(const SigningRequest& request, const std::string& trustFile, std::string& error) {
  std::string bundle;
  std::ifstream authorities(kSystemAuthorities, std::ios::binary);
  if (authorities) bundle.assign(std::istreambuf_iterator<char>(authorities), std::istreambuf_iterator<char>());
  const ToolRun certificates =
      RunTool({"openssl", "pkcs12", "-in", request.certificate, "-nokeys", "-passin",
               request.passwordFile.empty() ? std::string("pass:") : "file:" + request.passwordFile});
  if (certificates.exitCode != 0)
    return Fail(error, "openssl cannot read the certificates of " + request.certificate, certificates);
  bundle += "\n" + certificates.output;
  std::ofstream out(trustFile, std::ios::binary | std::ios::trunc);
  out << bundle;
  out.close();
  if (!out) {
    error = "cannot write " + trustFile;
    return false;
  }
  return true;
}

}  // namespace

bool SigningSupported() { return true; }

bool SignAndVerify(const SigningRequest& request, const std::string& input, const std::string& output,
                   const std::string& trustFile, std::string& error) {
  std::vector<std::string> sign = {"osslsigncode", "sign", "-pkcs12", request.certificate, "-h", "sha256"};
  if (!request.passwordFile.empty()) sign.insert(sign.end(), {"-readpass", request.passwordFile});
  if (!request.description.empty()) sign.insert(sign.end(), {"-n", request.description});
  if (!request.timestampUrl.empty()) sign.insert(sign.end(), {"-ts", request.timestampUrl});
  sign.insert(sign.end(), {"-in", input, "-out", output});
  const ToolRun signing = RunTool(sign);
  if (signing.exitCode != 0) return Fail(error, "osslsigncode could not sign the program", signing);

  if (!WriteTrustFile(request, trustFile, error)) return false;
  // Revocation lists are not fetched: the check is of this file's signature,
  // and packing must work offline.
  const ToolRun verifying = RunTool({"osslsigncode", "verify", "-CAfile", trustFile, "-ignore-cdp", "-in", output});
  if (verifying.exitCode != 0) return Fail(error, "osslsigncode verify rejects the signed program", verifying);
  return true;
}

#endif

}  // namespace tidemark::pack
