#include "ui/WindowPlacement.h"

#include <algorithm>

namespace tidemark {

ScreenPoint CentredOn(const OuterBounds& owner, int ownWidth, int ownHeight) {
  // C++ integer division truncates towards zero, as the placement asks.
  const int left = owner.left + (owner.width - ownWidth) / 2;
  const int top = owner.top + (owner.height - ownHeight) / 2;
  return {std::max(left, 0), std::max(top, 0)};
}

}  // namespace tidemark
