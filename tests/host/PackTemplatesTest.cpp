// tidemark-pack on the programs our own Windows builds made, when they are
// there (the host build cannot make them): the embedded script and a 1 MB
// one packed into the win32 and the win64 Tidemark.exe. The linker's own
// checksum is the witness for ours, and the mingw resource compiler, when
// installed, reads the packed resources back independently.
#include <gtest/gtest.h>

#include <unistd.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "pack/PeLayout.h"
#include "pack/PePack.h"
#include "pack/ResourceTree.h"
#include "support/SyntheticPe.h"
#include "support/TestFiles.h"

namespace tidemark::pack {
namespace {

using synthetic::SectionBytes;

struct Template {
  const char* path;
  const char* resourceCompiler;  // reads a PE file's resources into a resource script
};

void PrintTo(const Template& built, std::ostream* out) { *out << built.path; }

class PackTemplates : public ::testing::TestWithParam<Template> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(GetParam().path)) {
      GTEST_SKIP() << GetParam().path << " is not built (cmake --preset win32/win64, target Tidemark)";
    }
    m_template = testing::ReadWholeFile(GetParam().path);
  }
  std::string m_template;
};

void Flatten(const ResourceTable& table, const std::string& path, std::map<std::string, std::string>& leaves) {
  for (const ResourceEntry& entry : table.entries) {
    const std::string id =
        entry.id.named ? std::string(entry.id.name.begin(), entry.id.name.end()) : std::to_string(entry.id.number);
    if (entry.table) {
      Flatten(*entry.table, path + "/" + id, leaves);
    } else {
      leaves[path + "/" + id] = entry.data;
    }
  }
}

std::map<std::string, std::string> Leaves(const std::string& image) {
  PeLayout layout;
  std::string error;
  EXPECT_TRUE(ReadPeLayout(image, layout, error)) << error;
  const int index = layout.SectionOfRva(layout.Directory(kResourceDirectory).address);
  ResourceTable root;
  EXPECT_GE(index, 0);
  if (index >= 0) {
    EXPECT_TRUE(ReadResourceTree(image, layout, layout.sections[index], root, error)) << error;
  }
  std::map<std::string, std::string> leaves;
  Flatten(root, "", leaves);
  return leaves;
}

TEST_P(PackTemplates, ChecksumAgreesWithTheLinkers) {
  PeLayout layout;
  std::string error;
  ASSERT_TRUE(ReadPeLayout(m_template, layout, error)) << error;
  const std::uint32_t written = Read32(m_template, layout.CheckSumOffset());
  if (written == 0) GTEST_SKIP() << "the linker wrote no checksum into this build";
  EXPECT_EQ(PeChecksum(m_template, layout.CheckSumOffset()), written);
}

TEST_P(PackTemplates, ScriptsGoInAndEverythingElseStays) {
  const std::string embedded = testing::DefaultScriptBytes();
  std::string large(1 << 20, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = "[APPTYPE]\r\ntitle=x\r\n"[i % 20];
  for (const std::string& script : {embedded, large, std::string("x")}) {
    SCOPED_TRACE(script.size());
    std::string packed, error;
    PackReport report;
    ASSERT_TRUE(PackScript(m_template, script, packed, report, error)) << error;

    std::string readBack;
    ASSERT_TRUE(ReadScriptResource(packed, readBack, error)) << error;
    EXPECT_EQ(readBack, script);
    std::map<std::string, std::string> before = Leaves(m_template), after = Leaves(packed);
    EXPECT_EQ(after.erase("/10/RESDATA/1042"), 1u);
    EXPECT_EQ(before.erase("/10/RESDATA/1042"), 1u);
    EXPECT_EQ(after, before);
    EXPECT_GE(before.size(), 5u);  // icon, group icon, picture, version, manifest

    std::map<std::string, std::string> sectionsBefore = SectionBytes(m_template), sectionsAfter = SectionBytes(packed);
    EXPECT_EQ(sectionsAfter.erase(".rsrc"), 1u);
    EXPECT_EQ(sectionsBefore.erase(".rsrc"), 1u);
    EXPECT_EQ(sectionsAfter, sectionsBefore);

    PeLayout layout;
    ASSERT_TRUE(ReadPeLayout(packed, layout, error));
    EXPECT_EQ(Read32(packed, layout.CheckSumOffset()), PeChecksum(packed, layout.CheckSumOffset()));
    std::string twice;
    ASSERT_TRUE(PackScript(packed, script, twice, report, error)) << error;
    EXPECT_EQ(twice, packed);
  }
}

// The resource compiler's own reading of the packed program equals its
// reading of the template, once the template carries the same script.
TEST_P(PackTemplates, ResourceCompilerReadsTheSameResources) {
  const std::string compiler = GetParam().resourceCompiler;
  if (std::system(("command -v " + compiler + " >/dev/null 2>&1").c_str()) != 0) {
    GTEST_SKIP() << compiler << " is not installed";
  }
  std::string packed, error;
  PackReport report;
  const std::string script = "[APPTYPE]\r\ntitle=another\r\n";
  ASSERT_TRUE(PackScript(m_template, script, packed, report, error)) << error;
  std::string folder = ::testing::TempDir() + "tidemark-pack-rc-XXXXXX";
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  std::ofstream(folder + "/packed.exe", std::ios::binary) << packed;
  const std::string dump = compiler + " -i '" + folder + "/packed.exe' -O rc -o '" + folder + "/packed.rc' && " +
                           compiler + " -i '" + GetParam().path + "' -O rc -o '" + folder + "/template.rc'";
  ASSERT_EQ(std::system(dump.c_str()), 0);
  std::string packedRc = testing::ReadWholeFile(folder + "/packed.rc");
  std::string templateRc = testing::ReadWholeFile(folder + "/template.rc");
  std::filesystem::remove_all(folder);
  // The scripts differ; everything from the next resource on must not.
  const auto withoutScript = [](const std::string& rc) {
    const std::size_t at = rc.find("\"RESDATA\" RCDATA");
    const std::size_t end = rc.find("\nEND\n", at);
    return at == std::string::npos || end == std::string::npos ? std::string() : rc.substr(0, at) + rc.substr(end);
  };
  EXPECT_NE(packedRc, templateRc);
  EXPECT_FALSE(withoutScript(packedRc).empty());
  EXPECT_EQ(withoutScript(packedRc), withoutScript(templateRc));
}

INSTANTIATE_TEST_SUITE_P(Built, PackTemplates,
                         ::testing::Values(Template{TIDEMARK_WIN32_TEMPLATE, "i686-w64-mingw32-windres"},
                                           Template{TIDEMARK_WIN64_TEMPLATE, "x86_64-w64-mingw32-windres"}),
                         [](const ::testing::TestParamInfo<Template>& param) {
                           return param.index == 0 ? std::string("win32") : std::string("win64");
                         });

}  // namespace
}  // namespace tidemark::pack
