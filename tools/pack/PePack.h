// Putting a removal script into a copy of Tidemark.exe: the Korean RCDATA
// resource "RESDATA" gets the script's bytes, the resource section is built
// anew around it, and the sections after it move to make room. Everything
// else the template holds (code, data, the other resources) keeps its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark::pack {

inline constexpr char16_t kScriptResourceName[] = u"RESDATA";

struct PackReport {
  bool templateWasSigned = false;          // its certificate table was dropped
  std::vector<std::string> movedSections;  // names of the sections placed at new addresses
  std::uint32_t checkSum = 0;
};

// The packed image, or false with a one-line reason (the template is damaged,
// or laid out so that the script cannot be put in soundly). The output is
// never signed; packing its own output again gives the same bytes.
bool PackScript(std::string_view templateImage, std::string_view script, std::string& packed, PackReport& report,
                std::string& error);

// The Korean RCDATA "RESDATA" of an image, for checking what was packed.
bool ReadScriptResource(std::string_view image, std::string& script, std::string& error);

}  // namespace tidemark::pack
