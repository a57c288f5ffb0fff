// tidemark-pack's PE work on crafted images with the real layout of a PE
// file: code, data that holds an absolute address, a resource section with
// several resources, and base relocations after it. The resource tables are
// written here in another order than the packer writes them (depth first,
// data 4-aligned), so that reading is checked independently of writing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>

#include <unistd.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pack/PeLayout.h"
#include "pack/PePack.h"
#include "pack/ResourceTree.h"
#include "pack/Sha256.h"
#include "support/SyntheticPe.h"
#include "support/TestFiles.h"

namespace tidemark::pack {
namespace {

using namespace synthetic;

ResourceTable ResourcesOf(const std::string& image) {
  PeLayout layout;
  std::string error;
  ResourceTable root;
  EXPECT_TRUE(ReadPeLayout(image, layout, error)) << error;
  const int index = layout.SectionOfRva(layout.Directory(kResourceDirectory).address);
  EXPECT_GE(index, 0);
  if (index >= 0) {
    EXPECT_TRUE(ReadResourceTree(image, layout, layout.sections[index], root, error)) << error;
  }
  return root;
}

// Every leaf as "type/name/language" -> data and code page.
void Flatten(const ResourceTable& table, const std::string& path, std::map<std::string, std::string>& leaves) {
  for (const ResourceEntry& entry : table.entries) {
    std::string id =
        entry.id.named ? std::string(entry.id.name.begin(), entry.id.name.end()) : std::to_string(entry.id.number);
    const std::string here = path.empty() ? id : path + "/" + id;
    if (entry.table) {
      Flatten(*entry.table, here, leaves);
    } else {
      leaves[here] = entry.data + "|cp" + std::to_string(entry.codePage);
    }
  }
}

std::map<std::string, std::string> Leaves(const std::string& image) {
  std::map<std::string, std::string> leaves;
  Flatten(ResourcesOf(image), "", leaves);
  return leaves;
}

std::string Pack(const std::string& image, const std::string& script, PackReport* report = nullptr) {
  std::string packed, error;
  PackReport local;
  EXPECT_TRUE(PackScript(image, script, packed, report ? *report : local, error)) << error;
  return packed;
}

std::string Refusal(const std::string& image, const std::string& script = "[APPTYPE]\r\n") {
  std::string packed, error;
  PackReport report;
  EXPECT_FALSE(PackScript(image, script, packed, report, error));
  EXPECT_TRUE(packed.empty());
  return error;
}

// The structure any loader relies on: sections in order, aligned, inside the
// file and the image size, the directories and checksum consistent.
void ExpectSoundLayout(const std::string& image) {
  PeLayout layout;
  std::string error;
  ASSERT_TRUE(ReadPeLayout(image, layout, error)) << error;
  std::uint32_t end = 0;
  for (const SectionHeader& section : layout.sections) {
    EXPECT_EQ(section.virtualAddress % layout.sectionAlignment, 0u) << section.name;
    EXPECT_EQ(section.pointerToRawData % layout.fileAlignment, 0u) << section.name;
    EXPECT_EQ(section.sizeOfRawData % layout.fileAlignment, 0u) << section.name;
    EXPECT_LE(std::uint64_t{section.pointerToRawData} + section.sizeOfRawData, image.size()) << section.name;
    end = AlignUp(section.virtualAddress + section.MemorySize(), layout.sectionAlignment);
  }
  EXPECT_EQ(Read32(image, layout.SizeOfImageOffset()), end);
  EXPECT_EQ(Read32(image, layout.CheckSumOffset()), PeChecksum(image, layout.CheckSumOffset()));
  const DataDirectory resources = layout.Directory(kResourceDirectory);
  const int index = layout.SectionOfRva(resources.address);
  ASSERT_GE(index, 0);
  EXPECT_EQ(layout.sections[index].virtualAddress, resources.address);
  EXPECT_EQ(layout.sections[index].virtualSize, resources.size);
  const DataDirectory relocations = layout.Directory(kBaseRelocationDirectory);
  if (relocations.size != 0) {
    const int at = layout.SectionOfRva(relocations.address);
    ASSERT_GE(at, 0);
    EXPECT_EQ(layout.sections[at].name, ".reloc");
    EXPECT_EQ(layout.sections[at].virtualAddress, relocations.address);
  }
}

TEST(PackResources, ReadsATreeLaidOutByAnotherWriter) {
  const std::string image = MakeImage({});
  const ResourceTable root = ResourcesOf(image);
  const ResourceEntry* script = FindResource(root, kRcdataType, u"RESDATA", kKoreanLanguage);
  ASSERT_NE(script, nullptr);
  EXPECT_EQ(script->data, "old script");
  EXPECT_EQ(script->codePage, 949u);
  // Names are found in either case, as the loader finds them; the language
  // must match exactly.
  EXPECT_NE(FindResource(root, kRcdataType, u"resdata", kKoreanLanguage), nullptr);
  EXPECT_EQ(FindResource(root, kRcdataType, u"RESDATA", 0x409), nullptr);
  EXPECT_EQ(FindResource(root, kRcdataType, u"ABOUTX", 0x409), nullptr);
  EXPECT_EQ(Leaves(image).size(), 6u);
  EXPECT_EQ(Leaves(image).at("3/1/1033"), std::string("icon\0bits|cp949", 15));
}

TEST(PackResources, ScriptReplacedOtherResourcesAndSectionsKept) {
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const std::string image = MakeImage(Options(plus));
    const std::string script = "[APPTYPE]\r\ntitle=x\r\n";
    PackReport report;
    const std::string packed = Pack(image, script, &report);
    ExpectSoundLayout(packed);

    std::string readBack, error;
    ASSERT_TRUE(ReadScriptResource(packed, readBack, error)) << error;
    EXPECT_EQ(readBack, script);
    std::map<std::string, std::string> before = Leaves(image), after = Leaves(packed);
    EXPECT_EQ(after.at("10/RESDATA/1042"), script + "|cp949");
    before.erase("10/RESDATA/1042");
    after.erase("10/RESDATA/1042");
    EXPECT_EQ(after, before);

    std::map<std::string, std::string> sectionsBefore = SectionBytes(image), sectionsAfter = SectionBytes(packed);
    EXPECT_EQ(sectionsBefore.erase(".rsrc"), 1u);
    EXPECT_EQ(sectionsAfter.erase(".rsrc"), 1u);
    EXPECT_EQ(sectionsAfter, sectionsBefore);
    // The headers' bytes outside the fields packing owns stay as they were.
    EXPECT_EQ(packed.substr(0, 0x84 + 20 + 8), image.substr(0, 0x84 + 20 + 8));
    EXPECT_FALSE(report.templateWasSigned);
  }
}

TEST(PackResources, SizesFromOneByteToOneMegabyteMoveTheRelocationsSoundly) {
  for (const bool plus : {false, true}) {
    const std::string image = MakeImage(Options(plus));
    for (const std::size_t size : {std::size_t{1}, std::size_t{4096}, std::size_t{1} << 20}) {
      SCOPED_TRACE(std::to_string(size) + (plus ? " PE32+" : " PE32"));
      std::string script(size, '\0');
      for (std::size_t i = 0; i < size; ++i) script[i] = static_cast<char>(i * 131 + 7);
      PackReport report;
      const std::string packed = Pack(image, script, &report);
      ExpectSoundLayout(packed);
      std::string readBack, error;
      ASSERT_TRUE(ReadScriptResource(packed, readBack, error)) << error;
      EXPECT_EQ(readBack, script);
      PeLayout before, after;
      ASSERT_TRUE(ReadPeLayout(image, before, error));
      ASSERT_TRUE(ReadPeLayout(packed, after, error));
      const SectionHeader& resources = after.sections[2];
      const SectionHeader& relocations = after.sections[3];
      // .reloc follows the resources directly, in the file and in memory.
      EXPECT_EQ(relocations.virtualAddress,
                AlignUp(resources.virtualAddress + resources.virtualSize, kSectionAlignment));
      EXPECT_EQ(relocations.pointerToRawData, resources.pointerToRawData + resources.sizeOfRawData);
      EXPECT_EQ(report.movedSections, relocations.virtualAddress == before.sections[3].virtualAddress
                                          ? std::vector<std::string>{}
                                          : std::vector<std::string>{".reloc"});
      EXPECT_EQ(packed.size(), std::size_t{relocations.pointerToRawData} + relocations.sizeOfRawData);
      // The initialised data grows or shrinks with the resources' raw size.
      EXPECT_EQ(
          Read32(packed, after.SizeOfInitializedDataOffset()) - Read32(image, before.SizeOfInitializedDataOffset()),
          resources.sizeOfRawData - before.sections[2].sizeOfRawData);
      EXPECT_EQ(SectionBytes(packed).at(".reloc"), SectionBytes(image).at(".reloc"));
    }
  }
}

TEST(PackResources, PackingTwiceGivesTheSameBytes) {
  for (const bool plus : {false, true}) {
    const std::string image = MakeImage(Options(plus));
    for (const std::size_t size : {std::size_t{1}, std::size_t{70000}}) {
      const std::string once = Pack(image, std::string(size, 'x'));
      EXPECT_EQ(Pack(once, std::string(size, 'x')), once);
      // And a packed program is a template like any other.
      const std::string other = Pack(once, "other");
      EXPECT_EQ(Pack(image, "other"), other);
    }
  }
}

TEST(PackResources, ResourceSectionLastGrowsAlone) {
  ImageOptions options;
  options.relocations = false;
  const std::string image = MakeImage(options);
  const std::string script(300000, 's');
  PackReport report;
  const std::string packed = Pack(image, script, &report);
  ExpectSoundLayout(packed);
  EXPECT_TRUE(report.movedSections.empty());
  std::string readBack, error;
  ASSERT_TRUE(ReadScriptResource(packed, readBack, error));
  EXPECT_EQ(readBack, script);
}

TEST(PackResources, MissingScriptResourceIsAddedInTheLoadersOrder) {
  std::vector<Resource> resources = StandardResources("");
  resources.erase(resources.begin() + 2);  // no RESDATA
  ImageOptions options;
  options.resourceSection = HandWrittenResourceSection(resources, 0x3000);
  const std::string packed = Pack(MakeImage(options), "new");
  const ResourceTable root = ResourcesOf(packed);
  const ResourceEntry* rcdata = nullptr;
  for (const ResourceEntry& entry : root.entries) {
    if (!entry.id.named && entry.id.number == kRcdataType) rcdata = &entry;
  }
  ASSERT_NE(rcdata, nullptr);
  ASSERT_EQ(rcdata->table->entries.size(), 2u);
  EXPECT_EQ(rcdata->table->entries[0].id.name, u"ABOUT");
  EXPECT_EQ(rcdata->table->entries[1].id.name, u"RESDATA");
  EXPECT_EQ(FindResource(root, kRcdataType, u"RESDATA", kKoreanLanguage)->data, "new");
  // Type ids stay ascending with the new leaf in place.
  std::vector<std::uint32_t> types;
  for (const ResourceEntry& entry : root.entries) types.push_back(entry.id.number);
  EXPECT_EQ(types, (std::vector<std::uint32_t>{3, 10, 14, 16, 24}));
}

TEST(PackResources, SignedTemplateLosesItsCertificateTable) {
  for (const bool plus : {false, true}) {
    const std::string image = MakeImage(Options(plus));
    std::string signedImage = image + std::string(0x48, '\x30');
    PeLayout layout;
    std::string error;
    ASSERT_TRUE(ReadPeLayout(signedImage, layout, error));
    Put32(signedImage, layout.DirectoryOffset(kCertificateDirectory), static_cast<std::uint32_t>(image.size()));
    Put32(signedImage, layout.DirectoryOffset(kCertificateDirectory) + 4, 0x48);
    PackReport report;
    const std::string packed = Pack(signedImage, "s", &report);
    EXPECT_TRUE(report.templateWasSigned);
    EXPECT_EQ(packed, Pack(image, "s"));
    EXPECT_EQ(Read32(packed, layout.DirectoryOffset(kCertificateDirectory) + 4), 0u);

    // A certificate table that is not the file's end is not ours to cut.
    Put32(signedImage, layout.DirectoryOffset(kCertificateDirectory) + 4, 0x40);
    EXPECT_EQ(Refusal(signedImage), "the certificate table is not at the end of the file");
  }
}

TEST(PackRefusals, DamagedTemplatesGiveOneReasonAndNoOutput) {
  const std::string image = MakeImage({});
  EXPECT_EQ(Refusal(""), "not a Windows program (no MZ header)");
  EXPECT_EQ(Refusal(std::string(4096, 'A')), "not a Windows program (no MZ header)");
  std::string noPe = image;
  Put32(noPe, 0x3C, 0xFFFFFFF0);
  EXPECT_EQ(Refusal(noPe), "not a PE image (no PE header)");

  // Every truncation refuses, and the sanitizers see no read past the end.
  for (std::size_t length = 0; length < image.size(); length += 7) {
    std::string packed, error;
    PackReport report;
    EXPECT_FALSE(PackScript(image.substr(0, length), "x", packed, report, error)) << length;
    EXPECT_FALSE(error.empty());
  }

  PeLayout layout;
  std::string error;
  ASSERT_TRUE(ReadPeLayout(image, layout, error));
  std::string noResources = image;
  Put32(noResources, layout.DirectoryOffset(kResourceDirectory), 0);
  Put32(noResources, layout.DirectoryOffset(kResourceDirectory) + 4, 0);
  EXPECT_EQ(Refusal(noResources), "the template has no resource section");

  const std::size_t rsrc = layout.sections[2].pointerToRawData;
  std::string outside = image;
  Put32(outside, rsrc + 16 + 4, 0x80000000u | 0x7FFFFF00u);  // the first type's table, far past the section
  EXPECT_EQ(Refusal(outside), "a resource table lies outside the resource section");

  std::string loop = image;
  Put32(loop, rsrc + 16 + 4, 0x80000000u);  // the first type's table is the root again
  EXPECT_EQ(Refusal(loop), "the resource directory loops (a table is reached twice)");

  std::string dataOutside = image;
  const std::size_t firstDataEntry = [&] {
    // The first leaf's data entry: the root's first type, its first name, its first language.
    const std::size_t type = Read32(image, rsrc + 16 + 4) & 0x7FFFFFFF;
    const std::size_t name = Read32(image, rsrc + type + 16 + 4) & 0x7FFFFFFF;
    return static_cast<std::size_t>(Read32(image, rsrc + name + 16 + 4));
  }();
  Put32(dataOutside, rsrc + firstDataEntry + 4, 0x10000000);  // a size no section holds
  EXPECT_EQ(Refusal(dataOutside), "a resource's data lies outside the file");

  std::string countTooLarge = image;
  Put16(countTooLarge, rsrc + 14, 0xFFFF);
  EXPECT_EQ(Refusal(countTooLarge), "a resource table's entries run outside the resource section");
}

TEST(PackRefusals, SectionsThatCannotMoveAreNamed) {
  ImageOptions code;
  code.sectionAfter = kCode;
  EXPECT_EQ(Refusal(MakeImage(code), std::string(70000, 'x')),
            "section .after after the resources holds code and cannot move");
  ImageOptions data;
  data.sectionAfter = kData;
  EXPECT_EQ(Refusal(MakeImage(data), std::string(70000, 'x')),
            "section .after after the resources is loaded data that the program may address, so it cannot move");
  // A script that keeps the section's size in memory moves nothing, so the
  // same templates pack.
  std::string packed, error;
  PackReport report;
  EXPECT_TRUE(PackScript(MakeImage(data), "small", packed, report, error)) << error;
  EXPECT_TRUE(report.movedSections.empty());
}

TEST(PackRefusals, AddressesIntoTheResourcesOrMovingSectionsRefuse) {
  for (const bool plus : {false, true}) {
    const std::string image = MakeImage(Options(plus));
    PeLayout layout;
    std::string error;
    ASSERT_TRUE(ReadPeLayout(image, layout, error));
    const std::size_t pointer = layout.sections[1].pointerToRawData + 0x10;
    const std::uint64_t base = ImageBase(plus);
    auto pointingAt = [&](std::uint32_t rva) {
      std::string changed = image;
      if (plus) {
        Put64(changed, pointer, base + rva);
      } else {
        Put32(changed, pointer, static_cast<std::uint32_t>(base + rva));
      }
      return changed;
    };
    EXPECT_EQ(Refusal(pointingAt(0x3008)),
              "the program refers to its resource section by address; rebuilding it would break that");
    const std::uint32_t relocations = layout.sections[3].virtualAddress;
    EXPECT_EQ(Refusal(pointingAt(relocations), std::string(70000, 'x')),
              "the program refers to section .reloc by address, so it cannot move to make room for the script");
  }
}

TEST(PackChecksum, MatchesTheKnownSumOfASmallFile) {
  // Words 0x0201 and 0x0003 (the last byte alone), the CheckSum field at 4
  // counted as zero, plus the length 10.
  const std::string bytes("\x01\x02\x03\x00\xFF\xFF\xFF\xFF\x03", 9);
  std::string padded = bytes + std::string(1, '\0');
  EXPECT_EQ(PeChecksum(padded, 4), 0x0201u + 0x0003u + 0x0003u + 10u);
  EXPECT_EQ(PeChecksum(bytes, 4), 0x0201u + 0x0003u + 0x0003u + 9u);
  // Carries fold back into the low 16 bits.
  const std::string ones(8, '\xFF');
  EXPECT_EQ(PeChecksum(ones, 100), 0xFFFFu + 8u);
}

TEST(PackSha256, KnownDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first block.
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// The command line, as an author runs it: a scratch folder per test with the
// template, the script and the output in it.
class PackTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "tidemark-pack-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    WriteFile("Tidemark.exe", MakeImage({}));
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }
  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name) const { return testing::ReadWholeFile(PathOf(name)); }

  // The exit code; what the tool printed is in Out() and Err().
  int RunPack(const std::string& arguments) const {
    const std::string command = "cd '" + m_folder.string() + "' && '" TIDEMARK_PACK_TOOL "' " + arguments + " >'" +
                                PathOf("stdout.txt") + "' 2>'" + PathOf("stderr.txt") + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() const { return ReadFile("stdout.txt"); }
  std::string Err() const { return ReadFile("stderr.txt"); }

  // The folder's file names apart from the captured output.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
      const std::string name = entry.path().filename().string();
      if (name != "stdout.txt" && name != "stderr.txt") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path m_folder;
};

TEST_F(PackTool, WritesTheProgramAndReportsSizeDigestAndSignature) {
  const std::string script = testing::DefaultScriptBytes();
  WriteFile("my-script.ini", script);
  ASSERT_EQ(RunPack("--from Tidemark.exe -o remover.exe my-script.ini"), 0) << Err();
  const std::string packed = ReadFile("remover.exe");
  std::string readBack, error;
  ASSERT_TRUE(ReadScriptResource(packed, readBack, error)) << error;
  EXPECT_EQ(readBack, script);
  EXPECT_EQ(Out(), "output: remover.exe\nsize: " + std::to_string(packed.size()) +
                       " bytes\nsha256: " + Sha256Hex(packed) + "\nsigned: no\n");
  EXPECT_EQ(Err(), "");
  EXPECT_EQ(Files(), (std::vector<std::string>{"Tidemark.exe", "my-script.ini", "remover.exe"}));

  // An older file at the output path is replaced whole.
  WriteFile("remover.exe", "older");
  ASSERT_EQ(RunPack("--from Tidemark.exe -o remover.exe my-script.ini"), 0) << Err();
  EXPECT_EQ(ReadFile("remover.exe"), packed);
}

TEST_F(PackTool, CheckerErrorsRefuseAndWarningsAreShown) {
  WriteFile("remover.exe", "older");
  ASSERT_EQ(std::system(("cp '" TIDEMARK_LINT_SCRIPTS "/errors.ini' '" TIDEMARK_LINT_SCRIPTS "/korean.ini' '" +
                         m_folder.string() + "'")
                            .c_str()),
            0);
  EXPECT_EQ(RunPack("--from Tidemark.exe -o remover.exe errors.ini"), 1);
  EXPECT_NE(Err().find("errors.ini:6: error: entry name 'ITEM1' repeats"), std::string::npos) << Err();
  EXPECT_NE(Err().find("tidemark-pack: errors.ini has errors (above); nothing was written\n"), std::string::npos);
  EXPECT_EQ(ReadFile("remover.exe"), "older");
  EXPECT_EQ(Files(), (std::vector<std::string>{"Tidemark.exe", "errors.ini", "korean.ini", "remover.exe"}));

  EXPECT_EQ(RunPack("--from Tidemark.exe -o remover.exe korean.ini"), 0) << Err();
  EXPECT_NE(Err().find("korean.ini:5: warning: process name"), std::string::npos) << Err();
  std::string readBack, error;
  ASSERT_TRUE(ReadScriptResource(ReadFile("remover.exe"), readBack, error));
  EXPECT_EQ(readBack, ReadFile("korean.ini"));
}

TEST_F(PackTool, DamagedTemplateGivesOneLineAndLeavesTheOldOutput) {
  WriteFile("script.ini", testing::DefaultScriptBytes());
  WriteFile("remover.exe", "older");
  WriteFile("Broken.exe", ReadFile("Tidemark.exe").substr(0, 0x500));
  EXPECT_EQ(RunPack("--from Broken.exe -o remover.exe script.ini"), 1);
  EXPECT_EQ(Err(), "tidemark-pack: Broken.exe: section .text runs past the end of the file\n");
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(ReadFile("remover.exe"), "older");
  EXPECT_EQ(Files(), (std::vector<std::string>{"Broken.exe", "Tidemark.exe", "remover.exe", "script.ini"}));
}

TEST_F(PackTool, WrongCommandLinesAndUnreadableInputsExitWithTwo) {
  WriteFile("script.ini", testing::DefaultScriptBytes());
  for (const std::string arguments :
       {"", "script.ini", "--from Tidemark.exe script.ini", "-o out.exe script.ini",
        "--from Tidemark.exe -o out.exe --timestamp http://example.invalid script.ini",
        "--from Tidemark.exe -o out.exe --sign-password-file pw.txt script.ini",
        "--from Tidemark.exe -o out.exe script.ini script.ini", "--from Tidemark.exe -o out.exe --bogus script.ini"}) {
    EXPECT_EQ(RunPack(arguments), 2) << arguments;
    EXPECT_EQ(Err().rfind("usage: tidemark-pack --from Tidemark.exe -o REMOVER.exe", 0), 0u) << arguments;
  }
  EXPECT_EQ(RunPack("--from Tidemark.exe -o out.exe missing.ini"), 2);
  EXPECT_EQ(Err(), "tidemark-pack: cannot read missing.ini\n");
  EXPECT_EQ(RunPack("--from Missing.exe -o out.exe script.ini"), 2);
  EXPECT_EQ(Err(), "tidemark-pack: cannot read Missing.exe\n");
  EXPECT_EQ(RunPack("--from . -o out.exe script.ini"), 2);
  EXPECT_EQ(RunPack("--from Tidemark.exe -o out.exe --sign missing.pfx script.ini"), 2);
  EXPECT_EQ(Files(), (std::vector<std::string>{"Tidemark.exe", "script.ini"}));
  EXPECT_EQ(RunPack("--help"), 0);
  EXPECT_EQ(Out().rfind("usage: tidemark-pack", 0), 0u);
}

bool HaveCommand(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

// Signing with a throwaway certificate: osslsigncode's own check passes on
// the output and fails once one byte of it is changed.
TEST_F(PackTool, SignedProgramVerifiesUntilOneByteChanges) {
  if (!HaveCommand("osslsigncode") || !HaveCommand("openssl")) {
    GTEST_SKIP() << "osslsigncode or openssl is not installed (scripts/install-deps.sh adds them)";
  }
  const std::string make =
      "cd '" + m_folder.string() +
      "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
      "-subj /CN=Tidemark-Test >/dev/null 2>&1 && printf 'secret\\n' >pw.txt && "
      "openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout file:pw.txt >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0);
  WriteFile("script.ini", testing::DefaultScriptBytes());
  WriteFile("remover.exe", "older");

  // A wrong password fails the signing and leaves everything as it was.
  WriteFile("wrong.txt", "wrong\n");
  EXPECT_EQ(RunPack("--from Tidemark.exe -o remover.exe --sign cert.pfx --sign-password-file wrong.txt script.ini"), 1);
  EXPECT_EQ(Err().rfind("tidemark-pack: osslsigncode could not sign the program (", 0), 0u) << Err();
  EXPECT_EQ(ReadFile("remover.exe"), "older");

  ASSERT_EQ(RunPack("--from Tidemark.exe -o remover.exe --sign cert.pfx --sign-password-file pw.txt script.ini"), 0)
      << Err();
  const std::string packed = ReadFile("remover.exe");
  EXPECT_NE(Out().find("sha256: " + Sha256Hex(packed) + "\nsigned: yes (SHA-256, verified, no time-stamp)\n"),
            std::string::npos)
      << Out();
  const std::string verify = "cd '" + m_folder.string() +
                             "' && osslsigncode verify -CAfile cert.pem -ignore-cdp -in remover.exe >verify.txt 2>&1";
  EXPECT_EQ(std::system(verify.c_str()), 0) << ReadFile("verify.txt");
  // The script's title is the signature's description.
  EXPECT_NE(ReadFile("verify.txt").find("Text description: lumenseek"), std::string::npos) << ReadFile("verify.txt");
  // The script is still what the program loads, and signing a packed
  // program's copy again starts from a clean template.
  std::string readBack, error;
  ASSERT_TRUE(ReadScriptResource(packed, readBack, error)) << error;
  EXPECT_EQ(readBack, testing::DefaultScriptBytes());
  std::string unsignedAgain;
  PackReport report;
  ASSERT_TRUE(PackScript(packed, readBack, unsignedAgain, report, error)) << error;
  EXPECT_TRUE(report.templateWasSigned);
  EXPECT_EQ(unsignedAgain, Pack(MakeImage({}), readBack));

  std::string changed = packed;
  changed[0x410] = static_cast<char>(changed[0x410] ^ 0x01);  // a byte of the code
  WriteFile("remover.exe", changed);
  EXPECT_NE(std::system(verify.c_str()), 0) << ReadFile("verify.txt");
}

}  // namespace
}  // namespace tidemark::pack
