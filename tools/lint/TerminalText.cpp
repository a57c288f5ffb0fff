#include "lint/TerminalText.h"

#include <cstdio>

#include "system/Cp949Text.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tidemark::lint {

namespace {

bool ContainsIgnoreCase(std::string_view text, std::string_view part) {
  const std::string upperText = ToUpperAsciiCp949(text);
  const std::string upperPart = ToUpperAsciiCp949(part);
  return upperText.find(upperPart) != std::string::npos;
}

void AppendEscaped(std::string& out, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  out += text;
}

#ifdef _WIN32

constexpr UINT kKoreanCodePage = 949;

// One double-byte character; false when the code page leaves it unassigned.
class PairConverter {
 public:
  bool Append(const char pair[2], std::string& out) const {
    wchar_t wide[2];
    const int wideLength = MultiByteToWideChar(kKoreanCodePage, MB_ERR_INVALID_CHARS, pair, 2, wide, 2);
    if (wideLength <= 0) return false;
    char utf8[8];
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, utf8, sizeof utf8, nullptr, nullptr);
    if (length <= 0) return false;
    out.append(utf8, static_cast<std::size_t>(length));
    return true;
  }
};

#else

// glibc's converter, opened once for the whole text. Without one (a C
// library that lacks the code page) every double-byte character is escaped.
class PairConverter {
 public:
  PairConverter() : m_handle(iconv_open("UTF-8", "CP949")) {}
  ~PairConverter() {
    if (m_handle != Invalid()) iconv_close(m_handle);
  }
  PairConverter(const PairConverter&) = delete;
  PairConverter& operator=(const PairConverter&) = delete;

  bool Append(const char pair[2], std::string& out) const {
    if (m_handle == Invalid()) return false;
    char input[2] = {pair[0], pair[1]};
    char output[8];
    char* in = input;
    char* to = output;
    std::size_t inLeft = 2, outLeft = sizeof output;
    if (iconv(m_handle, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
      iconv(m_handle, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
      return false;
    }
    out.append(output, sizeof output - outLeft);
    return true;
  }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t m_handle;
};

#endif

}  // namespace

OutputEncoding LocaleEncoding(const char* lcAll, const char* lcCtype, const char* lang) {
  for (const char* value : {lcAll, lcCtype, lang}) {
    if (value == nullptr || *value == '\0') continue;
    return ContainsIgnoreCase(value, "UTF-8") || ContainsIgnoreCase(value, "utf8") ? OutputEncoding::Utf8
                                                                                   : OutputEncoding::Cp949;
  }
  return OutputEncoding::Cp949;
}

bool ParseEncodingOption(std::string_view value, std::optional<OutputEncoding>& encoding) {
  if (value == "utf-8") {
    encoding = OutputEncoding::Utf8;
  } else if (value == "cp949") {
    encoding = OutputEncoding::Cp949;
  } else if (value == "auto") {
    encoding.reset();
  } else {
    return false;
  }
  return true;
}

std::string Cp949ToUtf8(std::string_view text) {
  const PairConverter converter;
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out += text[pos++];
      continue;
    }
    if (Cp949CharLength(text, pos) == 2) {
      if (converter.Append(text.data() + pos, out)) {
        pos += 2;
        continue;
      }
      AppendEscaped(out, byte);
      AppendEscaped(out, static_cast<unsigned char>(text[pos + 1]));
      pos += 2;
      continue;
    }
    AppendEscaped(out, byte);
    ++pos;
  }
  return out;
}

std::string ForTerminal(std::string_view cp949Text, OutputEncoding encoding) {
  return encoding == OutputEncoding::Utf8 ? Cp949ToUtf8(cp949Text) : std::string(cp949Text);
}

}  // namespace tidemark::lint
