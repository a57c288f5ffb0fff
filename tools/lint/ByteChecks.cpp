#include "lint/ByteChecks.h"

#include <cstdio>
#include <string>

#include "system/AsciiText.h"
#include "system/Cp949Text.h"

namespace tidemark::lint {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string Hex(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

// Offset of the first byte that breaks code page 949 text; the same walk as
// IsValidCp949, which decides whether there is one.
std::size_t FirstInvalidByte(std::string_view line) {
  for (std::size_t pos = 0; pos < line.size();) {
    const auto byte = static_cast<unsigned char>(line[pos]);
    if (byte == 0x80 || byte == 0xFF) return pos;
    if (IsCp949LeadByte(byte) && Cp949CharLength(line, pos) != 2) return pos;
    pos += Cp949CharLength(line, pos);
  }
  return line.size();
}

void CheckLineBytes(std::string_view line, std::size_t lineNumber, std::size_t columnOffset,
                    std::vector<Finding>& findings) {
  if (IsValidCp949(line)) return;
  const std::size_t bad = FirstInvalidByte(line);
  std::string bytes = Hex(static_cast<unsigned char>(line[bad]));
  if (bad + 1 < line.size()) bytes += " " + Hex(static_cast<unsigned char>(line[bad + 1]));
  findings.push_back({lineNumber, Severity::Error,
                      "bytes that are not valid code page 949 text at column " +
                          std::to_string(bad + 1 + columnOffset) + " (" + bytes +
                          "); scripts are read byte for byte as code page 949 (is the file saved as UTF-8?)"});
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at the position (no overlong
// forms, no surrogates, nothing beyond U+10FFFF), or 0.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos) {
  const auto at = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  const unsigned char lead = at(pos);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size() || at(pos + 1) < low || at(pos + 1) > high) return 0;
  for (std::size_t index = pos + 2; index < pos + length; ++index) {
    if (!IsContinuation(at(index))) return 0;
  }
  return length;
}

}  // namespace

bool LooksLikeUtf8Text(std::string_view bytes) {
  bool longSequence = false;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, pos);
    if (length == 0) return false;
    if (length >= 3) longSequence = true;
    pos += length;
  }
  return longSequence;
}

bool StartsWithByteOrderMark(std::string_view bytes) {
  return StartsWith(bytes, kUtf8Mark) || StartsWith(bytes, kUtf16LittleMark) || StartsWith(bytes, kUtf16BigMark);
}

void CheckBytes(std::string_view bytes, std::vector<Finding>& findings) {
  std::size_t skip = 0;
  if (StartsWith(bytes, kUtf8Mark)) {
    findings.push_back({1, Severity::Error,
                        "the file starts with a UTF-8 byte-order mark; scripts are code page 949 text "
                        "without one, and the reader takes the mark as part of the first line"});
    skip = kUtf8Mark.size();
  } else if (StartsWith(bytes, kUtf16LittleMark) || StartsWith(bytes, kUtf16BigMark)) {
    // Everything after a UTF-16 mark is noise to a code page 949 reader; one
    // finding says all there is to say.
    findings.push_back(
        {1, Severity::Error, "the file starts with a UTF-16 byte-order mark; scripts are code page 949 text"});
    return;
  }

  // Lines as the reader splits them (CR LF, CR or LF), up to a zero byte.
  const std::size_t zero = bytes.find('\0', skip);
  const std::string_view text = bytes.substr(0, zero);
  std::size_t lineNumber = 1;
  std::size_t start = skip;
  while (start <= text.size()) {
    const LineEnd line = FindLineEnd(text, start);
    CheckLineBytes(text.substr(start, line.end - start), lineNumber, lineNumber == 1 ? skip : 0, findings);
    if (line.end == text.size()) {
      if (zero != std::string_view::npos &&
          bytes.find_first_not_of(std::string_view("\0\r\n", 3), zero) != std::string_view::npos) {
        findings.push_back({lineNumber, Severity::Warning,
                            "a zero byte at column " + std::to_string(zero - start + 1) +
                                " ends the script for the reader: nothing after it is ever read"});
      }
      break;
    }
    start = line.next;
    ++lineNumber;
  }
}

}  // namespace tidemark::lint
