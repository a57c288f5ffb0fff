// A demonstration of one removal, for the run command on a machine without
// a display: seeds the simulated lumenseek installation, drives the real
// Tidemark.exe through it as a user would, and prints each process, registry
// value and key, and folder that it checks, by its full name, before and
// after, with the status list between.
//
//   tidemark_demo [--screenshot-flag FILE] [--exit-code FILE]
//
// With --screenshot-flag it writes the main window's rectangle on its
// desktop ("WxH+X+Y") to FILE once the run is over and waits until FILE is
// deleted, so that the calling script can take a picture of the window in
// its final state. With --exit-code it also writes its exit code to FILE at
// the end: the script starts it through a Wine desktop (explorer /desktop),
// which does not pass the exit code on.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "support/ExpectedTexts.h"
#include "system/UniqueHandle.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"
#include "win/LumenseekInstallation.h"
#include "win/TestFolders.h"

namespace {

using tidemark::testing::ControlOf;
using tidemark::testing::kArpCacheKey;
using tidemark::testing::kDecoy;
using tidemark::testing::KeyExists;
using tidemark::testing::kRunKey;
using tidemark::testing::kUninstallKey;
using tidemark::testing::TextOf;
using tidemark::testing::ValueExists;
using tidemark::testing::WaitUntil;

// One thing the demonstration looks at, named as a reader would look for it
// (regedit's full key path, the folder, the process's image name).
struct Check {
  std::string name;
  std::function<bool()> present;
};

bool ProcessRunning(const std::string& imageName) {
  // A snapshot fails with INVALID_HANDLE_VALUE, as a file does.
  tidemark::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, imageName.c_str()) == 0) return true;
  }
  return false;
}

std::string RootName(HKEY root) { return root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\"; }

// A 32-bit program under WoW64 reads and writes HKLM\SOFTWARE in the 32-bit
// view (SOFTWARE\WOW6432Node); HKCU\Software has one view for both.
std::string ViewNote(HKEY root, REGSAM view) {
  if (root != HKEY_LOCAL_MACHINE || !tidemark::testing::RunsUnderWow64()) return "";
  return view == KEY_WOW64_64KEY ? " (64-bit view)" : " (32-bit view)";
}

Check KeyCheck(HKEY root, const std::string& path, REGSAM view = 0) {
  return {"key " + RootName(root) + path + ViewNote(root, view), [=] { return KeyExists(root, path, view); }};
}

Check RunValueCheck(HKEY root, const std::string& name, REGSAM view = 0) {
  return {"value " + name + " in " + RootName(root) + kRunKey + ViewNote(root, view),
          [=] { return ValueExists(root, kRunKey, name, view); }};
}

std::vector<Check> TargetChecks(const tidemark::testing::LumenseekInstallation& installation) {
  std::vector<Check> checks;
  for (const std::string image : {"lumenseekagent.exe", "lumenseek.exe"}) {
    checks.push_back(
        {"process " + image + " (" + installation.folder + "\\" + image + ")", [=] { return ProcessRunning(image); }});
  }
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const char* name : {"lumenseekagent", "lumenseek"}) checks.push_back(RunValueCheck(root, name));
    checks.push_back(KeyCheck(root, std::string(kUninstallKey) + "\\lumenseek"));
  }
  checks.push_back(KeyCheck(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek"));
  checks.push_back(KeyCheck(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek"));
  const std::string folder = installation.folder;
  checks.push_back({"folder " + folder, [=] { return GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES; }});
  return checks;
}

// What must stay: a near miss beside each target, and under WoW64 the same
// names on the 64-bit side, which belong to another program.
std::vector<Check> DecoyChecks(const tidemark::testing::LumenseekInstallation& installation) {
  std::vector<Check> checks;
  const std::string image = std::string(kDecoy) + ".exe";
  checks.push_back(
      {"process " + image + " (" + installation.neighbour + "\\" + image + ")", [=] { return ProcessRunning(image); }});
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    checks.push_back(RunValueCheck(root, kDecoy));
    checks.push_back(KeyCheck(root, std::string(kUninstallKey) + "\\" + kDecoy));
  }
  checks.push_back(KeyCheck(HKEY_CURRENT_USER, std::string("SOFTWARE\\") + kDecoy));
  checks.push_back(KeyCheck(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\" + kDecoy));
  const std::string keep = installation.neighbour + "\\keep.txt";
  checks.push_back({"file " + keep, [=] { return tidemark::testing::FileExists(keep); }});
  if (tidemark::testing::RunsUnderWow64()) {
    for (const char* name : {"lumenseekagent", "lumenseek"}) {
      checks.push_back(RunValueCheck(HKEY_LOCAL_MACHINE, name, KEY_WOW64_64KEY));
    }
    checks.push_back(KeyCheck(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\lumenseek", KEY_WOW64_64KEY));
    checks.push_back(KeyCheck(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek", KEY_WOW64_64KEY));
    const std::string native = installation.nativeFolder + "\\readme.txt";
    checks.push_back({"file " + native, [=] { return tidemark::testing::FileExists(native); }});
  }
  return checks;
}

// Prints each check as present or gone; returns how many are present.
int PrintChecks(const std::vector<Check>& checks) {
  int present = 0;
  for (const Check& check : checks) {
    const bool there = check.present();
    present += there ? 1 : 0;
    std::printf("  %-8s %s\n", there ? "present" : "gone", check.name.c_str());
  }
  return present;
}

void PrintList(const std::vector<std::string>& lines) {
  if (lines.empty()) std::printf("  (nothing)\n");
  for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
}

bool MemoEndsWith(HWND memo, const std::string& line) {
  const std::vector<std::string> lines = tidemark::MemoLines(TextOf(memo));
  return !lines.empty() && lines.back() == line;
}

// The calling script waits for the flag before its screenshot and deletes it
// when done; the bound keeps a script that never answers from hanging us.
void OfferScreenshot(const std::string& flag, HWND window) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", frame.right - frame.left, frame.bottom - frame.top,
                frame.left, frame.top);
  tidemark::testing::WriteFileBytes(flag, geometry);
  std::fflush(stdout);
  if (!WaitUntil([&] { return !tidemark::testing::FileExists(flag); }, 20000)) {
    std::printf("(no screenshot taken: %s was not deleted)\n", flag.c_str());
    DeleteFileA(flag.c_str());
  }
}

struct Options {
  std::string screenshotFlag;
  std::string exitCodeFile;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int index = 1; index < argc; index += 2) {
    const std::string option = argv[index];
    if (index + 1 >= argc) return false;
    if (option == "--screenshot-flag") {
      options.screenshotFlag = argv[index + 1];
    } else if (option == "--exit-code") {
      options.exitCodeFile = argv[index + 1];
    } else {
      return false;
    }
  }
  return true;
}

int Run(const Options& options) {
  tidemark::testing::LumenseekInstallation installation;
  const std::vector<Check> targets = TargetChecks(installation);
  const std::vector<Check> decoys = DecoyChecks(installation);
  std::printf("Before the removal, what the script names:\n");
  const int seeded = PrintChecks(targets);
  std::printf("and what must stay:\n");
  const int decoysSeeded = PrintChecks(decoys);
  if (seeded != static_cast<int>(targets.size()) || decoysSeeded != static_cast<int>(decoys.size())) {
    std::printf("The installation is not complete: the demonstration would prove nothing.\n");
    return 1;
  }

  tidemark::testing::TidemarkProcess program;
  if (!program.Started()) {
    std::printf("Cannot start %s\n", tidemark::testing::TidemarkProgram().c_str());
    return 1;
  }
  const HWND window = program.WaitForWindow(tidemark::design::kMainWindowClass);
  const HWND memo = window ? ControlOf(window, tidemark::ids::kMmStatus) : nullptr;
  if (!memo) {
    std::printf("Tidemark's main window did not appear.\n");
    return 1;
  }
  std::printf("Tidemark shows: %s / %s\n", TextOf(ControlOf(window, tidemark::ids::kLblCategory)).c_str(),
              TextOf(ControlOf(window, tidemark::ids::kLblName)).c_str());

  tidemark::testing::Click(window, tidemark::ids::kBtnStart);
  const bool completed = WaitUntil([&] { return MemoEndsWith(memo, tidemark::expected::kRunCompleted); });
  std::printf("Status list:\n");
  PrintList(tidemark::MemoLines(TextOf(memo)));
  if (!completed) std::printf("(the run did not complete within the bound)\n");

  std::printf("After the removal, what the script names:\n");
  const int left = PrintChecks(targets);
  std::printf("and what must stay:\n");
  const int decoysKept = PrintChecks(decoys);
  // The end-to-end tests' own judgement of the same installation, as a
  // second opinion on the lists above.
  const bool agreed = installation.TargetsPresent().empty() && installation.DecoysMissing().empty();
  const bool removed = left == 0 && agreed;
  const bool kept = decoysKept == static_cast<int>(decoys.size()) && agreed;
  std::printf("Everything named removed: %s\nEverything else kept: %s\n", removed ? "yes" : "no", kept ? "yes" : "no");

  if (!options.screenshotFlag.empty()) OfferScreenshot(options.screenshotFlag, window);

  tidemark::testing::Click(window, tidemark::ids::kBtnClose);
  const long exitCode = program.WaitForExit();
  std::printf("Tidemark exit code: %ld\n", exitCode);
  return completed && removed && kept && exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: tidemark_demo [--screenshot-flag FILE] [--exit-code FILE]\n");
    return 2;
  }
  int result = 1;
  try {
    result = Run(options);
  } catch (const std::exception& error) {
    std::printf("Demonstration failed: %s\n", error.what());
  }
  std::fflush(stdout);
  if (!options.exitCodeFile.empty()) tidemark::testing::WriteFileBytes(options.exitCodeFile, std::to_string(result));
  return result;
}
