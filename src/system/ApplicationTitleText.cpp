#include "system/ApplicationTitle.h"
#include "system/Cp949Text.h"

namespace tidemark {

std::string ApplicationTitleFromPath(std::string_view executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\/:");
  std::string_view name = slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  if (name.empty()) return {};
  // The first character is kept whole: in code page 949 it may be a
  // double-byte character, whose trail byte must not be lower-cased.
  const std::size_t first = Cp949CharLength(name, 0);
  return std::string(name.substr(0, first)) + ToLowerAsciiCp949(name.substr(first));
}

}  // namespace tidemark
