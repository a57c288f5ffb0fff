// The same listing and lookups as ScriptIni::ReadSectionEntries, made with
// the Windows profile functions over a file: the reference that our reader
// is compared with, and timed against.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/ScriptIni.h"

namespace tidemark::testing {

inline EntryList ProfileSectionEntries(const std::string& file, const std::string& section) {
  std::vector<char> names(ScriptIni::kNameListingSize);
  GetPrivateProfileStringA(section.c_str(), nullptr, "", names.data(), static_cast<DWORD>(names.size()), file.c_str());
  EntryList list;
  char value[ScriptIni::kValueBufferSize];
  for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
    GetPrivateProfileStringA(section.c_str(), name, "", value, sizeof value, file.c_str());
    list.push_back(std::string(name) + "=" + value);
  }
  return list;
}

}  // namespace tidemark::testing
