#include "system/AnsiNames.h"

#include <windows.h>

namespace tidemark {

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string AnsiFromWide(const std::wstring& name) {
  if (name.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), ansi.data(), length, nullptr, nullptr);
  return ansi;
}

bool ConvertsExactly(const std::wstring& name) {
  // The round trip catches every lossy conversion: a best-fit look-alike and
  // the default character "?" both come back as another character.
  return WideFromAnsi(AnsiFromWide(name)) == name;
}

bool IsExactAnsiName(const std::wstring& name) {
  if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) return false;
  const std::string ansi = AnsiFromWide(name);
  return !ansi.empty() && ansi.find_first_of("\\/:") == std::string::npos && WideFromAnsi(ansi) == name;
}

}  // namespace tidemark
