#include "script/Cp949Text.h"
#include "system/ApplicationTitle.h"

namespace tidemark {

std::string ApplicationTitleFromPath(std::string_view executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\/:");
  std::string_view name =
      slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  if (name.empty()) return {};
  // The first character is kept whole: in code page 949 it may be a
  // double-byte character, whose trail byte must not be lower-cased.
  const std::size_t first = Cp949CharLength(name, 0);
  std::string title(name.substr(0, first));
  for (std::size_t pos = first; pos < name.size();) {
    const std::size_t length = Cp949CharLength(name, pos);
    if (length == 1 && name[pos] >= 'A' && name[pos] <= 'Z') {
      title += static_cast<char>(name[pos] - 'A' + 'a');
    } else {
      title.append(name.substr(pos, length));
    }
    pos += length;
  }
  return title;
}

}  // namespace tidemark
