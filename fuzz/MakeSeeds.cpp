// Writes the seed inputs that cannot be copied from the tests: snapshot
// files (one snapshot, and a before and an after one in one input) and
// small crafted PE images with the layout of Tidemark.exe (code, data with
// an absolute address, resources with the script, base relocations), in
// the variants the packer treats differently. The image builder follows the
// one of tests/host/PackTest.cpp. Not run by any test: the seeds it wrote
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

namespace tidemark::pack {
namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kCode = 0x60000020;
constexpr std::uint32_t kData = 0xC0000040;
constexpr std::uint32_t kResources = 0x40000040;
constexpr std::uint32_t kRelocations = 0x42000040;

std::uint32_t AlignUp(std::size_t value, std::uint32_t alignment) {
  return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

void Put16(std::string& bytes, std::size_t offset, std::uint16_t value) { Write16(bytes, offset, value); }
void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) { Write32(bytes, offset, value); }
void Put64(std::string& bytes, std::size_t offset, std::uint64_t value) {
  Put32(bytes, offset, static_cast<std::uint32_t>(value));
  Put32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

struct Resource {
  std::uint32_t type;
  std::u16string name;  // empty: numbered by id
  std::uint32_t id;
  std::uint32_t language;
  std::string data;
};

std::vector<Resource> StandardResources(const std::string& script) {
  return {
      {3, u"", 1, 0x409, std::string("icon\0bits", 9)},
      {10, u"ABOUT", 0, 0x409, "packed picture"},
      {10, u"RESDATA", 0, 0x412, script},
      {14, u"", 1, 0x409, "group icon"},
      {16, u"", 1, 0x409, "version block"},
      {24, u"", 1, 0x409, "<assembly/>"},
  };
}

// The resource section for resources sorted as the loader wants them:
// tables depth first, then the names, the data entries and the data.
std::string HandWrittenResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva) {
  // (numbered?, (name, id)): false sorts first, so named entries come before numbered ones.
  using Key = std::pair<std::u16string, std::uint32_t>;
  struct Tree {
    std::map<std::uint32_t, std::map<std::pair<bool, Key>, std::map<std::uint32_t, std::size_t>>> types;
  } tree;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    tree.types[r.type][{r.name.empty(), {r.name, r.id}}][r.language] = i;
  }
  std::string out;
  std::vector<std::pair<std::size_t, std::u16string>> namePatches;  // entry offset, name
  std::vector<std::pair<std::size_t, std::size_t>> leafPatches;     // entry offset, resource index
  auto table = [&](std::size_t named, std::size_t numbered) {
    const std::size_t at = out.size();
    out.resize(at + 16 + (named + numbered) * 8, '\0');
    Put16(out, at + 12, static_cast<std::uint16_t>(named));
    Put16(out, at + 14, static_cast<std::uint16_t>(numbered));
    return at + 16;
  };
  std::size_t typeEntry = table(0, tree.types.size());
  for (const auto& [type, names] : tree.types) {
    Put32(out, typeEntry, type);
    Put32(out, typeEntry + 4, 0x80000000u | static_cast<std::uint32_t>(out.size()));
    typeEntry += 8;
    std::size_t namedCount = 0;
    for (const auto& name : names) namedCount += name.first.first ? 0 : 1;
    std::size_t nameEntry = table(namedCount, names.size() - namedCount);
    for (const auto& [key, languages] : names) {
      if (key.first) {
        Put32(out, nameEntry, key.second.second);
      } else {
        namePatches.push_back({nameEntry, key.second.first});
      }
      Put32(out, nameEntry + 4, 0x80000000u | static_cast<std::uint32_t>(out.size()));
      nameEntry += 8;
      std::size_t languageEntry = table(0, languages.size());
      for (const auto& [language, index] : languages) {
        Put32(out, languageEntry, language);
        leafPatches.push_back({languageEntry + 4, index});
        languageEntry += 8;
      }
    }
  }
  for (const auto& [entry, name] : namePatches) {
    Put32(out, entry, 0x80000000u | static_cast<std::uint32_t>(out.size()));
    out.resize(out.size() + 2 + name.size() * 2);
    Put16(out, out.size() - 2 - name.size() * 2, static_cast<std::uint16_t>(name.size()));
    for (std::size_t i = 0; i < name.size(); ++i) Put16(out, out.size() - name.size() * 2 + i * 2, name[i]);
  }
  out.resize(AlignUp(out.size(), 4));
  std::vector<std::size_t> dataEntryOf(resources.size());
  for (const auto& [entry, index] : leafPatches) {
    Put32(out, entry, static_cast<std::uint32_t>(out.size()));
    dataEntryOf[index] = out.size();
    out.resize(out.size() + 16);
    Put32(out, out.size() - 8, 949);  // a code page, kept as read
  }
  for (const auto& [entry, index] : leafPatches) {
    out.resize(AlignUp(out.size(), 4));
    Put32(out, dataEntryOf[index], sectionRva + static_cast<std::uint32_t>(out.size()));
    Put32(out, dataEntryOf[index] + 4, static_cast<std::uint32_t>(resources[index].data.size()));
    out += resources[index].data;
  }
  return out;
}

struct ImageOptions {
  bool pe32Plus = false;
  bool relocations = true;                    // a .reloc section after the resources
  std::optional<std::uint32_t> sectionAfter;  // one more section after them, with these characteristics
  std::string resourceSection;                // empty: HandWrittenResourceSection(StandardResources("old script"))
};

ImageOptions Options(bool pe32Plus) {
  ImageOptions options;
  options.pe32Plus = pe32Plus;
  return options;
}

constexpr std::uint64_t ImageBase(bool pe32Plus) { return pe32Plus ? 0x140000000ull : 0x400000ull; }

struct SectionPlan {
  const char* name;
  std::uint32_t characteristics;
  std::string bytes;
  std::uint32_t virtualSize;
};

// Headers at 0, sections packed one after the other in the file and in
// memory, a checksum as the linker writes one.
std::string MakeImage(const ImageOptions& options) {
  const bool plus = options.pe32Plus;
  std::vector<SectionPlan> sections;
  std::string code(0x40, '\xC3');
  sections.push_back({".text", kCode, code, 0x40});
  std::string data(0x20, '\0');
  // An absolute address of the code: what a base relocation patches.
  if (plus) {
    Put64(data, 0x10, ImageBase(true) + 0x1010);
  } else {
    Put32(data, 0x10, static_cast<std::uint32_t>(ImageBase(false) + 0x1010));
  }
  sections.push_back({".data", kData, data, 0x20});
  const std::uint32_t resourceRva = 0x3000;
  std::string resources = options.resourceSection.empty()
                              ? HandWrittenResourceSection(StandardResources("old script"), resourceRva)
                              : options.resourceSection;
  sections.push_back({".rsrc", kResources, resources, static_cast<std::uint32_t>(resources.size())});
  if (options.sectionAfter) sections.push_back({".after", *options.sectionAfter, std::string(0x30, 'A'), 0x30});
  if (options.relocations) {
    std::string block(12, '\0');
    Put32(block, 0, 0x2000);
    Put32(block, 4, 12);
    Put16(block, 8, static_cast<std::uint16_t>((plus ? 10 : 3) << 12 | 0x10));
    sections.push_back({".reloc", kRelocations, block, 12});
  }

  const std::size_t optionalSize = plus ? 0xF0 : 0xE0;
  std::string image(0x400, '\0');
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x80);
  Put32(image, 0x80, 0x4550);
  const std::size_t fileHeader = 0x84, optional = fileHeader + 20;
  Put16(image, fileHeader, plus ? 0x8664 : 0x014C);
  Put16(image, fileHeader + 2, static_cast<std::uint16_t>(sections.size()));
  Put16(image, fileHeader + 16, static_cast<std::uint16_t>(optionalSize));
  Put16(image, optional, plus ? 0x20B : 0x10B);
  Put32(image, optional + 16, 0x1000);  // entry point
  if (plus) {
    Put64(image, optional + 24, ImageBase(true));
  } else {
    Put32(image, optional + 28, static_cast<std::uint32_t>(ImageBase(false)));
  }
  Put32(image, optional + 32, kSectionAlignment);
  Put32(image, optional + 36, kFileAlignment);
  Put32(image, optional + 60, 0x400);  // SizeOfHeaders
  const std::size_t directories = optional + (plus ? 112 : 96);
  Put32(image, directories - 4, 16);

  std::uint32_t rva = 0x1000, initialized = 0;
  const std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const SectionPlan& section = sections[i];
    const std::size_t header = table + i * 40;
    std::memcpy(&image[header], section.name, std::strlen(section.name));
    const std::uint32_t rawSize = AlignUp(section.bytes.size(), kFileAlignment);
    Put32(image, header + 8, section.virtualSize);
    Put32(image, header + 12, rva);
    Put32(image, header + 16, rawSize);
    Put32(image, header + 20, static_cast<std::uint32_t>(image.size()));
    Put32(image, header + 36, section.characteristics);
    if (std::string(section.name) == ".rsrc") {
      Put32(image, directories + 2 * 8, rva);
      Put32(image, directories + 2 * 8 + 4, section.virtualSize);
    }
    if (std::string(section.name) == ".reloc") {
      Put32(image, directories + 5 * 8, rva);
      Put32(image, directories + 5 * 8 + 4, section.virtualSize);
    }
    if (section.characteristics & 0x40) initialized += rawSize;
    image += section.bytes;
    image.resize(image.size() + rawSize - section.bytes.size(), '\0');
    rva += AlignUp(section.virtualSize, kSectionAlignment);
  }
  Put32(image, optional + 8, initialized);
  Put32(image, optional + 56, rva);  // SizeOfImage
  Put32(image, optional + 64, PeChecksum(image, optional + 64));
  return image;
}

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
