#include "system/Cp949Text.h"

namespace tidemark {

namespace {

// Each single-byte character of the text through `fold`; double-byte
// characters stay whole.
std::string FoldSingleBytes(std::string_view text, char (*fold)(char)) {
  std::string folded(text);
  for (std::size_t pos = 0; pos < folded.size();) {
    const std::size_t length = Cp949CharLength(folded, pos);
    if (length == 1) folded[pos] = fold(folded[pos]);
    pos += length;
  }
  return folded;
}

}  // namespace

std::size_t Cp949CharLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (IsCp949LeadByte(lead) && pos + 1 < text.size() && IsCp949TrailByte(static_cast<unsigned char>(text[pos + 1]))) {
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
    } else if (ToUpperAscii(a[pos]) != ToUpperAscii(b[pos])) {
      return false;
    }
    pos += length;
  }
  return true;
}

std::string ToUpperAsciiCp949(std::string_view text) { return FoldSingleBytes(text, ToUpperAscii); }

std::string ToLowerAsciiCp949(std::string_view text) { return FoldSingleBytes(text, ToLowerAscii); }

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
