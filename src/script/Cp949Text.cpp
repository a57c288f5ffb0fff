#include "script/Cp949Text.h"

namespace tidemark {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::size_t Cp949CharLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (IsCp949LeadByte(lead) && pos + 1 < text.size() &&
      IsCp949TrailByte(static_cast<unsigned char>(text[pos + 1]))) {
    return 2;
  }
  return 1;
}

bool EqualsIgnoreCaseCp949(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t pos = 0;
  while (pos < a.size()) {
    const std::size_t length = Cp949CharLength(a, pos);
    if (length == 2) {
      if (a.compare(pos, 2, b, pos, 2) != 0) return false;
    } else if (UpperAscii(a[pos]) != UpperAscii(b[pos])) {
      return false;
    }
    pos += length;
  }
  return true;
}

std::string ToUpperAsciiCp949(std::string_view text) {
  std::string upper(text);
  for (std::size_t pos = 0; pos < upper.size();) {
    const std::size_t length = Cp949CharLength(upper, pos);
    if (length == 1) upper[pos] = UpperAscii(upper[pos]);
    pos += length;
  }
  return upper;
}

std::size_t FindOnCharBoundary(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (pos >= from && text.compare(pos, needle.size(), needle) == 0) return pos;
    pos += Cp949CharLength(text, pos);
  }
  return std::string_view::npos;
}

bool IsValidCp949(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte == 0x80 || byte == 0xFF) return false;
    if (IsCp949LeadByte(byte) && Cp949CharLength(text, pos) != 2) return false;
    pos += Cp949CharLength(text, pos);
  }
  return true;
}

}  // namespace tidemark
