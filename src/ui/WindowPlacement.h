// Where the About window goes at its first showing: centred on the main
// window by their outer sizes. Pure logic, no <windows.h>.
#pragma once

namespace tidemark {

struct ScreenPoint {
  int left;
  int top;
};

struct OuterBounds {
  int left;
  int top;
  int width;
  int height;
};

// left = owner's left + (owner's width - own width) / 2, top likewise with
// the heights; each halving rounds towards zero, and a negative result
// becomes 0.
ScreenPoint CentredOn(const OuterBounds& owner, int ownWidth, int ownHeight);

}  // namespace tidemark
