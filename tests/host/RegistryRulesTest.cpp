#include <gtest/gtest.h>

#include "engine/RegistryRules.h"

namespace tidemark {
namespace {

using Pieces = std::vector<std::string>;

Pieces Split(const std::string& text) {
  Pieces pieces{"stale"};
  SplitByDelimiter(pieces, text, kRecoveryDelimiter);
  return pieces;
}

TEST(SplitByDelimiter, PiecesBetweenDelimitersEmptyOnesIncluded) {
  EXPECT_EQ(Split("HKEY_LOCAL_MACHINE|=|Software\\Vendor|=|Mode|=|1"),
            (Pieces{"HKEY_LOCAL_MACHINE", "Software\\Vendor", "Mode", "1"}));
  EXPECT_EQ(Split("A|=|B"), (Pieces{"A", "B"}));
  EXPECT_EQ(Split("A|=|B|=|"), (Pieces{"A", "B", ""}));
  EXPECT_EQ(Split("A|=||=|B"), (Pieces{"A", "", "B"}));
  EXPECT_EQ(Split("no delimiter"), (Pieces{"no delimiter"}));
  EXPECT_EQ(Split(""), (Pieces{""}));
  EXPECT_EQ(Split("|=|"), (Pieces{"", ""}));
}

TEST(SplitByDelimiter, TextEndingWithPartOfTheDelimiter) {
  // The appended delimiter overlaps the text's own "|=".
  EXPECT_EQ(Split("A|="), (Pieces{"A", ""}));
  EXPECT_EQ(Split("A|"), (Pieces{"A|"}));
  EXPECT_EQ(Split("A|=|B|="), (Pieces{"A", "B", ""}));
}

TEST(RegistryParentPath, CutsOnlyAWholeLastComponent) {
  EXPECT_EQ(RegistryParentPath("SOFTWARE", "lumenseek"), "SOFTWARE");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\Vendor", "Vendor"), "SOFTWARE\\");
  EXPECT_EQ(RegistryParentPath("Vendor", "Vendor"), "");
  // The value in the middle of the name, or as part of a component: unchanged.
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\Vendor\\Sub", "Vendor"), "SOFTWARE\\Vendor\\Sub");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\MyVendor", "Vendor"), "SOFTWARE\\MyVendor");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\MYVENDOR", "vendor"), "SOFTWARE\\MYVENDOR");
  EXPECT_EQ(RegistryParentPath("\xB0\xCB\\\xBB\xF6", "\xBB\xF6"), "\xB0\xCB\\");
}

TEST(RegistryParentPath, LastComponentMatchesWithoutRegardToCase) {
  // The registry compares key names without case: these name the same key.
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\VENDOR", "Vendor"), "SOFTWARE\\");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\vendor", "Vendor"), "SOFTWARE\\");
  EXPECT_EQ(RegistryParentPath("vendor", "VENDOR"), "");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\Vendor\\SUB", "Vendor"), "SOFTWARE\\Vendor\\SUB");
  // Only ASCII letters of single-byte characters fold: "\xB0s" and "\xB0S"
  // are two different Hangul-range characters whose trail bytes are letters.
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\\xB0S", "\xB0s"), "SOFTWARE\\\xB0S");
  EXPECT_EQ(RegistryParentPath("SOFTWARE\\\xB0S", "\xB0S"), "SOFTWARE\\");
}

TEST(RecoveryRoot, ExactNamesOnlyOtherwiseCurrentUser) {
  EXPECT_EQ(RecoveryRoot("HKEY_CLASSES_ROOT"), RegistryRoot::ClassesRoot);
  EXPECT_EQ(RecoveryRoot("HKEY_LOCAL_MACHINE"), RegistryRoot::LocalMachine);
  EXPECT_EQ(RecoveryRoot("HKEY_CURRENT_USER"), RegistryRoot::CurrentUser);
  EXPECT_EQ(RecoveryRoot("hkey_local_machine"), RegistryRoot::CurrentUser);
  EXPECT_EQ(RecoveryRoot("HKLM"), RegistryRoot::CurrentUser);
  EXPECT_FALSE(IsKnownRecoveryRoot("HKLM"));
  EXPECT_TRUE(IsKnownRecoveryRoot("HKEY_CURRENT_USER"));
}

}  // namespace
}  // namespace tidemark
