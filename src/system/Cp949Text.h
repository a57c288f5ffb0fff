// Byte-level helpers for ANSI text in the Korean code page 949.
//
// Code page 949 is a double-byte code page: a lead byte (0x81-0xFE) starts a
// two-byte character whose trail byte may lie in the ASCII letter range
// (0x41-0x5A, 0x61-0x7A). Anything that folds case or searches byte by byte
// must therefore walk whole characters, or it would change or match half of a
// Korean character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidemark {

constexpr bool IsCp949LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

constexpr bool IsCp949TrailByte(unsigned char byte) {
  return (byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) || (byte >= 0x81 && byte <= 0xFE);
}

// The ASCII letter in the other case; every other byte as it is. Callers
// that fold whole texts must use the Cp949 functions below, which skip the
// trail bytes of double-byte characters.
constexpr char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Length in bytes of the character that starts at `pos` (1 or 2). A lead byte
// at the very end of the text, or followed by a byte that cannot trail, counts
// as a character of its own, as the Windows ANSI functions treat it.
std::size_t Cp949CharLength(std::string_view text, std::size_t pos);

// True when the two texts are equal with the ASCII letters of single-byte
// characters compared without regard to case. Bytes of double-byte characters
// are compared exactly.
bool EqualsIgnoreCaseCp949(std::string_view a, std::string_view b);

// The text with the ASCII letters of single-byte characters made upper case.
std::string ToUpperAsciiCp949(std::string_view text);

// The text with the ASCII letters of single-byte characters made lower case.
std::string ToLowerAsciiCp949(std::string_view text);

// Position of the first occurrence of `needle` in `text` at or after `from`
// that starts on a character boundary, or npos. Case-sensitive.
std::size_t FindOnCharBoundary(std::string_view text, std::string_view needle, std::size_t from = 0);

// True when every byte sequence of the text is a valid code page 949
// character (single bytes 0x00-0x7F and double-byte pairs of a lead byte and a
// trail byte).
bool IsValidCp949(std::string_view text);

}  // namespace tidemark
