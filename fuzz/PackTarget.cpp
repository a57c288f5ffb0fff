// The packer's PE work with the input as the template image. A template it
// takes must give back the packed script, and packing its output again must
// give the same bytes; one it refuses must say why and give nothing. Two
// scripts are packed, a short one and one longer than a file-alignment
// unit, so that both staying in place and moving the later sections happen.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "pack/PePack.h"

namespace {

const std::string& LongScript() {
  static const std::string script = [] {
    std::string text = "[APPTYPE]\r\ntitle=fuzz\r\n[PROCESS]\r\n";
    for (int i = 1; text.size() < 3000; ++i)
      text += "item" + std::to_string(i) + "=lumen" + std::to_string(i) + ".exe\r\n";
    return text;
  }();
  return script;
}

void CheckPack(std::string_view image, std::string_view script) {
  using namespace tidemark::pack;
  std::string packed, error;
  PackReport report;
  if (!PackScript(image, script, packed, report, error)) {
    FUZZ_CHECK(packed.empty());
    FUZZ_CHECK(!error.empty());
    return;
  }
  std::string read;
  FUZZ_CHECK(ReadScriptResource(packed, read, error));
  FUZZ_CHECK(read == script);
  std::string again;
  PackReport secondReport;
  FUZZ_CHECK(PackScript(packed, script, again, secondReport, error));
  FUZZ_CHECK(again == packed);
  FUZZ_CHECK(!secondReport.templateWasSigned);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view image(reinterpret_cast<const char*>(data), size);
  CheckPack(image, "[APPTYPE]\r\ntitle=fuzz\r\n");
  CheckPack(image, LongScript());
  // Whatever the template, reading it never crashes.
  std::string script, error;
  tidemark::pack::ReadScriptResource(image, script, error);
  return 0;
}
