#include <gtest/gtest.h>

#include "ui/WindowPlacement.h"

namespace tidemark {
namespace {

TEST(CentredOn, HalvesTheDifferenceOfTheOuterSizes) {
  const ScreenPoint place = CentredOn({392, 134, 497, 432}, 231, 218);
  EXPECT_EQ(place.left, 392 + 133);
  EXPECT_EQ(place.top, 134 + 107);
}

TEST(CentredOn, OddDifferencesRoundTowardsZero) {
  EXPECT_EQ(CentredOn({100, 100, 301, 201}, 100, 100).left, 200);  // 201 / 2 = 100
  EXPECT_EQ(CentredOn({100, 100, 301, 201}, 100, 100).top, 150);   // 101 / 2 = 50
  // A bigger window than the owner: -3 / 2 is -1, not -2.
  EXPECT_EQ(CentredOn({100, 100, 100, 100}, 103, 103).left, 99);
}

TEST(CentredOn, NegativePositionsBecomeZero) {
  const ScreenPoint place = CentredOn({-50, 10, 100, 50}, 300, 300);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 0);
  EXPECT_EQ(CentredOn({-10, -10, 100, 100}, 60, 60).left, 10);
}

}  // namespace
}  // namespace tidemark
