// Writes the seed inputs that cannot be copied from the tests: snapshot
// files (one snapshot, and a before and an after one in one input) and
// small crafted PE images with the layout of Tidemark.exe (code, data with
// an absolute address, resources with the script, base relocations), in
// the variants the packer treats differently, built as the packer's tests
// build theirs (tests/support/SyntheticPe.h). Not run by any test: the seeds it wrote
// are in fuzz/corpus, and it is built (fuzz_make_seeds) only to make them
// anew:  fuzz_make_seeds fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "capture/SnapshotFile.h"
#include "pack/PeLayout.h"
#include "support/SyntheticPe.h"

namespace tidemark::pack {
namespace {

using namespace synthetic;

}  // namespace
}  // namespace tidemark::pack

namespace tidemark::capture {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A machine before the installation: the keys and folders every Windows has.
Snapshot Machine(int captureBits) {
  Snapshot snapshot;
  snapshot.machine = "TEST-PC";
  snapshot.takenAt = "2026-12-08 10:00:00";
  snapshot.outputPath = "C:\\users\\me\\before.snap";
  snapshot.captureBits = captureBits;
  snapshot.views = {kView32, kView64};
  const std::string programFiles = captureBits == 32 ? "C:\\Program Files (x86)" : "C:\\Program Files";
  snapshot.macros = {{"%APPDATA%", "C:\\users\\me\\AppData\\Roaming"},
                     {"%LOCAL_APPDATA%", "C:\\users\\me\\AppData\\Local"},
                     {"%COMMON_APPDATA%", "C:\\ProgramData"},
                     {"%PROGRAM_FILES%", programFiles},
                     {"%PROGRAM_FILESX86%", "C:\\Program Files (x86)"},
                     {"%WINDOWS%", "C:\\windows"},
                     {"%SYSTEM%", "C:\\windows\\system32"},
                     {"%PROFILE%", "C:\\users\\me"},
                     {"%DESKTOP%", "C:\\users\\me\\Desktop"},
                     {"%TEMP%", "C:\\users\\me\\Temp"}};
  snapshot.processes = {"explorer.exe", "services.exe", "svchost.exe"};
  snapshot.services = {{"Dhcp", "%SystemRoot%\\system32\\svchost.exe -k LocalService"}};
  for (const char* view : {kView32, kView64}) {
    for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
      for (const char* path : {"Software", "Software\\Microsoft", "Software\\Microsoft\\Windows",
                               "Software\\Microsoft\\Windows\\CurrentVersion", kRun, kUninstall}) {
        snapshot.keys.push_back({view, root, path});
      }
    }
  }
  snapshot.keys.push_back({kView32, kRootLocalMachine, "SYSTEM\\CurrentControlSet\\Services"});
  snapshot.values.push_back({{kView32, kRootCurrentUser, "Software\\Microsoft"}, "Setting", 4, 1, ""});
  snapshot.folders = {"C:\\users\\me", "C:\\users\\me\\Desktop", "C:\\users\\me\\Temp", programFiles};
  snapshot.files = {{"C:\\users\\me\\Temp\\old.log", 10}, {"C:\\users\\me\\Desktop\\notes.txt", 3}};
  return snapshot;
}

// The machine after an adware installation: every kind of addition.
Snapshot Installed(int captureBits) {
  Snapshot snapshot = Machine(captureBits);
  const std::string programFiles = snapshot.macros[3].folder;
  snapshot.takenAt = "2026-12-08 10:05:00";
  snapshot.outputPath = "C:\\users\\me\\after.snap";
  snapshot.processes.push_back("fakeagent.exe");
  snapshot.processes.push_back("\xB0\xCB\xBB\xF6.exe");
  snapshot.services.push_back({"FakeSvc", "\"" + programFiles + "\\Fake\\fakesvc.exe\" -k"});
  for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
    snapshot.values.push_back(
        {{kView32, root, kRun}, "FakeAgent", 1, 7, "\"" + programFiles + "\\Fake\\fakeagent.exe\" /tray"});
  }
  const RegistryKey entry{kView32, kRootLocalMachine, std::string(kUninstall) + "\\FakeApp"};
  snapshot.keys.push_back(entry);
  snapshot.values.push_back({entry, "DisplayName", 1, 2, "\xC6\xE4\xC0\xCC\xC5\xA9 Fake"});
  snapshot.values.push_back({entry, "Publisher", 1, 3, "Fake Co."});
  for (const char* view : {kView32, kView64}) {
    snapshot.keys.push_back({view, kRootCurrentUser, "Software\\FakeCo"});
    snapshot.keys.push_back({view, kRootCurrentUser, "Software\\FakeCo\\Settings"});
  }
  snapshot.keys.push_back({kView32, kRootLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\FakeSvc"});
  snapshot.keys.push_back(
      {kView32, kRootLocalMachine, "Software\\Classes\\CLSID\\{8C1B3A52-0000-4000-8000-0000000BEEF}"});
  snapshot.values.front().hash = 2;  // a changed value
  snapshot.folders.push_back(programFiles + "\\Fake");
  snapshot.folders.push_back("C:\\users\\me\\AppData\\Roaming\\Fake Co\\=odd;name");
  snapshot.files.push_back({programFiles + "\\Fake\\fakeagent.exe", 123456});
  snapshot.files.push_back({programFiles + "\\Fake\\\xB0\xCB\xBB\xF6.dll", 99});
  snapshot.files.push_back({"C:\\users\\me\\Desktop\\Fake.lnk", 1200});
  snapshot.files.front().size = 20;  // a changed file
  snapshot.files.push_back({"C:\\users\\me\\after.snap", 5000});
  snapshot.unreadable = {{"key", "64\\HKLM\\SAM\\SAM", 5}, {"folder", "C:\\System Volume Information", 5}};
  return snapshot;
}

}  // namespace
}  // namespace tidemark::capture

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_FOLDER\n");
    return 2;
  }
  const std::filesystem::path corpus = argv[1];
  auto write = [&](const char* target, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(corpus / target);
    std::ofstream(corpus / target / ("seed-" + name), std::ios::binary) << bytes;
  };

  using namespace tidemark::capture;
  for (const int bits : {32, 64}) {
    const std::string suffix = std::to_string(bits);
    write("snapshot_draft", "installed-" + suffix, FormatSnapshot(Installed(bits)));
    write("snapshot_draft", "before-and-after-" + suffix,
          FormatSnapshot(Machine(bits)) + FormatSnapshot(Installed(bits)));
    write("snapshot_draft", "after-and-before-" + suffix,
          FormatSnapshot(Installed(bits)) + FormatSnapshot(Machine(bits)));
  }
  std::string crlf;
  for (const char c : FormatSnapshot(Machine(32)) + FormatSnapshot(Installed(32))) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  write("snapshot_draft", "before-and-after-crlf", crlf);
  write("snapshot_draft", "empty-snapshots", FormatSnapshot(Snapshot()) + FormatSnapshot(Snapshot()));

  using namespace tidemark::pack;
  write("pack", "pe32", MakeImage(Options(false)));
  write("pack", "pe32plus", MakeImage(Options(true)));
  ImageOptions noRelocations = Options(false);
  noRelocations.relocations = false;
  write("pack", "pe32-no-relocations", MakeImage(noRelocations));
  ImageOptions dataAfter = Options(true);
  dataAfter.sectionAfter = kData;
  write("pack", "pe32plus-data-after-resources", MakeImage(dataAfter));
  ImageOptions noScript = Options(false);
  std::vector<Resource> resources = StandardResources("x");
  resources.erase(resources.begin() + 2);
  noScript.resourceSection = HandWrittenResourceSection(resources, 0x3000);
  write("pack", "pe32-without-script", MakeImage(noScript));
  ImageOptions bigScript = Options(false);
  bigScript.resourceSection = HandWrittenResourceSection(StandardResources(std::string(5000, 's')), 0x3000);
  write("pack", "pe32-long-script", MakeImage(bigScript));
  // Signed: a certificate table at the end of the file.
  std::string image = MakeImage(Options(false));
  std::string signedImage = image + std::string(0x48, '\x30');
  PeLayout layout;
  std::string error;
  if (ReadPeLayout(signedImage, layout, error)) {
    Put32(signedImage, layout.DirectoryOffset(kCertificateDirectory), static_cast<std::uint32_t>(image.size()));
    Put32(signedImage, layout.DirectoryOffset(kCertificateDirectory) + 4, 0x48);
    write("pack", "pe32-signed", signedImage);
  }
  return 0;
}
