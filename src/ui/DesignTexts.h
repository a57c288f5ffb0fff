// Texts that the windows show as designed, before anything replaces them.
#pragma once

namespace tidemark::design {

inline constexpr char kCategoryCaption[] = "검색도우미, 애드웨어 ";
inline constexpr char kNameCaption[] = "lumenseek";

}  // namespace tidemark::design
