// Trimming and line breaks over ANSI text. Both act on ASCII control and
// blank characters only, which are never the trail byte of a code page 949
// double-byte character (trail bytes are 0x41 and above), so they work byte
// by byte without splitting a Korean character.
#pragma once

#include <cstddef>
#include <string_view>

namespace tidemark {

// The text without the listed characters at its start.
std::string_view TrimLeadingCharacters(std::string_view text, std::string_view characters);

// The text without the listed characters at either end.
std::string_view TrimCharacters(std::string_view text, std::string_view characters);

struct LineEnd {
  std::size_t end = 0;   // where the line's text ends: its break, or the text's end
  std::size_t next = 0;  // where the next line starts: past the break, or the text's end
};

// The end of the line that starts at `start`. A line ends at CR LF (one
// break), at a CR alone or at an LF alone; without a break it runs to the
// end of the text.
LineEnd FindLineEnd(std::string_view text, std::size_t start);

}  // namespace tidemark
