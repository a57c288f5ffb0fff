#include "system/AsciiText.h"

namespace tidemark {

std::string_view TrimLeadingCharacters(std::string_view text, std::string_view characters) {
  const std::size_t first = text.find_first_not_of(characters);
  return first == std::string_view::npos ? text.substr(text.size()) : text.substr(first);
}

std::string_view TrimCharacters(std::string_view text, std::string_view characters) {
  text = TrimLeadingCharacters(text, characters);
  const std::size_t last = text.find_last_not_of(characters);
  return last == std::string_view::npos ? text.substr(text.size()) : text.substr(0, last + 1);
}

LineEnd FindLineEnd(std::string_view text, std::size_t start) {
  const std::size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) return {text.size(), text.size()};
  const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  return {end, end + (crLf ? 2 : 1)};
}

}  // namespace tidemark
