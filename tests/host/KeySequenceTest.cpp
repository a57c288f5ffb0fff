#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "ui/KeySequence.h"

namespace tidemark {
namespace {

// Virtual-key codes of keys that are not letters.
constexpr std::uint16_t kVkShift = 0x10;
constexpr std::uint16_t kVkControl = 0x11;
constexpr std::uint16_t kVkMenu = 0x12;  // Alt
constexpr std::uint16_t kVkEscape = 0x1B;
constexpr std::uint16_t kVkF5 = 0x74;  // the code of a lower-case "t"

struct Modifiers {
  bool shift;
  bool ctrl;
  bool alt;
};
constexpr Modifiers kCtrlAlt{false, true, true};

// Types the letters in one state; returns how many key-downs asked for the
// credit message.
int Type(HiddenKeySequence& sequence, std::string_view letters, Modifiers state = kCtrlAlt) {
  int shown = 0;
  for (const char letter : letters) {
    if (sequence.KeyDown(static_cast<std::uint16_t>(letter), state.shift, state.ctrl, state.alt)) ++shown;
  }
  return shown;
}

TEST(KeySequence, StartsAtTheFirstLetterOfTrqnp) {
  const HiddenKeySequence sequence;
  EXPECT_EQ(sequence.KeySequence(), "TRQNP");
  EXPECT_EQ(sequence.KeyPos(), 1);
  EXPECT_STREQ(kCreditMessage, "\xB0\xB3\xB9\xDF\xC0\xDA : Nelvo");  // "개발자" in code page 949
}

TEST(KeySequence, FiveLettersUnderCtrlAltShowTheMessageEveryTime) {
  HiddenKeySequence sequence;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 4; ++i) {
      EXPECT_FALSE(sequence.KeyDown(static_cast<std::uint16_t>("TRQN"[i]), false, true, true));
      EXPECT_EQ(sequence.KeyPos(), i + 2);
    }
    EXPECT_TRUE(sequence.KeyDown('P', false, true, true));
    // While the message box is open the position stays on the last letter.
    EXPECT_EQ(sequence.KeyPos(), 5);
    sequence.CreditShown();
    EXPECT_EQ(sequence.KeyPos(), 1);
  }
}

TEST(KeySequence, AnyOtherModifierStateChangesNothing) {
  const Modifiers others[] = {
      {false, false, false}, {true, false, false}, {false, true, false}, {false, false, true},
      {true, true, false},   {true, false, true},  {true, true, true},
  };
  HiddenKeySequence sequence;
  ASSERT_EQ(Type(sequence, "TR"), 0);
  for (const Modifiers& state : others) {
    // Neither progress on the expected letter nor a reset on a wrong one.
    EXPECT_EQ(Type(sequence, "QX", state), 0);
    EXPECT_EQ(sequence.KeyPos(), 3) << state.shift << state.ctrl << state.alt;
  }
  EXPECT_EQ(Type(sequence, "QNP"), 1);
}

TEST(KeySequence, MismatchResetsWithoutTakingTheKeyAsANewStart) {
  HiddenKeySequence sequence;
  EXPECT_EQ(Type(sequence, "TRX"), 0);
  EXPECT_EQ(sequence.KeyPos(), 1);

  // The second "T" breaks the sequence at "R" and is not compared again with
  // the first letter, so the rest of it no longer fits.
  EXPECT_EQ(Type(sequence, "TTRQNP"), 0);
  EXPECT_EQ(sequence.KeyPos(), 1);

  // A plain comparison of the 16-bit codes: no case folding, no truncation.
  for (const std::uint16_t key : {kVkF5, std::uint16_t{0x0154}}) {
    sequence.KeyDown('T', false, true, true);
    ASSERT_EQ(sequence.KeyPos(), 2);
    sequence.KeyDown(key, false, true, true);
    EXPECT_EQ(sequence.KeyPos(), 1) << key;
    EXPECT_EQ(Type(sequence, "RQNP"), 0);
  }
}

TEST(KeySequence, PressingCtrlOrAltAgainPartWayStartsOver) {
  // The key-down of one modifier while the other is held reports the state
  // Ctrl and Alt, and matches no letter.
  for (const std::uint16_t modifierKey : {kVkControl, kVkMenu}) {
    HiddenKeySequence sequence;
    EXPECT_EQ(Type(sequence, "TRQ"), 0);
    EXPECT_FALSE(sequence.KeyDown(modifierKey, false, true, true));
    EXPECT_EQ(sequence.KeyPos(), 1);
    EXPECT_EQ(Type(sequence, "NP"), 0);
  }

  // Holding Ctrl, then Alt, then typing within that one hold succeeds; the
  // Alt key-down reset a position that was already 1. Shift's own key-down
  // reports Shift and is ignored.
  HiddenKeySequence sequence;
  EXPECT_FALSE(sequence.KeyDown(kVkControl, false, true, false));
  EXPECT_FALSE(sequence.KeyDown(kVkMenu, false, true, true));
  EXPECT_EQ(Type(sequence, "TR"), 0);
  EXPECT_FALSE(sequence.KeyDown(kVkShift, true, true, true));
  EXPECT_EQ(Type(sequence, "QNP"), 1);
}

TEST(KeySequence, PositionIsKeptAcrossShowingsOfTheWindow) {
  HiddenKeySequence sequence;
  EXPECT_EQ(Type(sequence, "TRQ"), 0);
  // The window is closed and shown again: the keys that reach it meanwhile
  // without the two modifiers leave the position alone.
  EXPECT_FALSE(sequence.KeyDown(kVkEscape, false, false, false));
  EXPECT_FALSE(sequence.KeyDown('\r', false, false, false));
  EXPECT_EQ(sequence.KeyPos(), 4);
  EXPECT_EQ(Type(sequence, "NP"), 1);
}

}  // namespace
}  // namespace tidemark
