#include <gtest/gtest.h>

#include <string>

#include "engine/ProtectedKeys.h"

namespace tidemark {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

TEST(NormalizeRegistryPath, EmptyComponentsAreDropped) {
  EXPECT_EQ(NormalizeRegistryPath("SOFTWARE\\\\Microsoft\\"), "SOFTWARE\\Microsoft");
  EXPECT_EQ(NormalizeRegistryPath("\\\\SOFTWARE\\lumenseek\\\\\\"), "SOFTWARE\\lumenseek");
  EXPECT_EQ(NormalizeRegistryPath("\\\\\\"), "");
  EXPECT_EQ(NormalizeRegistryPath("Control Panel\\ Desktop "), "Control Panel\\ Desktop ");  // blanks are names
  EXPECT_EQ(NormalizeRegistryPath("\xB0\xCB\\\\\xBB\xF6"), "\xB0\xCB\\\xBB\xF6");
}

TEST(IsProtectedRegistryKey, RootsAndTheStandardKeysBelowThem) {
  EXPECT_TRUE(IsProtectedRegistryKey(kUser, ""));
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "\\"));
  EXPECT_TRUE(IsProtectedRegistryKey(RegistryRoot::ClassesRoot, ""));
  for (const char* key : {"AppEvents", "Console", "Control Panel", "Environment", "EUDC", "Keyboard Layout", "Network",
                          "Printers", "Software", "System", "Volatile Environment"}) {
    EXPECT_TRUE(IsProtectedRegistryKey(kUser, key)) << key;
  }
  for (const char* key : {"BCD00000000", "HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"}) {
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key)) << key;
  }
  // Each root has its own standard keys.
  EXPECT_FALSE(IsProtectedRegistryKey(kUser, "HARDWARE"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "Environment"));
  EXPECT_FALSE(IsProtectedRegistryKey(kUser, "Control Panel\\Desktop\\lumenseek"));
}

TEST(IsProtectedRegistryKey, SharedKeysInBothViewsButNotTheKeysBelowThem) {
  for (RegistryRoot root : {kUser, kMachine}) {
    for (const std::string view : {"SOFTWARE\\", "SOFTWARE\\WOW6432Node\\"}) {
      for (const char* key :
           {"Microsoft", "Classes", "Policies", "Microsoft\\Windows", "Microsoft\\Windows\\CurrentVersion",
            "Microsoft\\Windows\\CurrentVersion\\Policies", "Microsoft\\Windows\\CurrentVersion\\Run",
            "Microsoft\\Windows\\CurrentVersion\\RunOnce", "Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        EXPECT_TRUE(IsProtectedRegistryKey(root, view + key)) << view + key;
      }
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "lumenseek"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek"));
      EXPECT_TRUE(IsProtectedRegistryKey(root, view + "Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache"));
      EXPECT_FALSE(IsProtectedRegistryKey(
          root, view + "Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\lumenseek"));
      EXPECT_TRUE(IsProtectedRegistryKey(root, view + "Classes\\CLSID"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Classes\\CLSID\\{8C1B3A52-0000-4000-8000-00000000BEEF}"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Classes\\lumenseek.document"));
    }
    EXPECT_TRUE(IsProtectedRegistryKey(root, "SOFTWARE\\WOW6432Node"));
    EXPECT_FALSE(IsProtectedRegistryKey(root, "SOFTWARE\\WOW6432Node\\WOW6432Node\\Microsoft"));
  }
}

TEST(IsProtectedRegistryKey, EveryControlSetAndItsServices) {
  for (const char* set : {"CurrentControlSet", "ControlSet001", "ControlSet002", "controlset003"}) {
    const std::string key = std::string("SYSTEM\\") + set;
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key)) << key;
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key + "\\Services")) << key;
    EXPECT_FALSE(IsProtectedRegistryKey(kMachine, key + "\\Services\\lumenseek")) << key;
    EXPECT_FALSE(IsProtectedRegistryKey(kUser, key));
  }
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SYSTEM\\ControlSet01"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SYSTEM\\ControlSet00X"));
}

TEST(IsProtectedRegistryKey, SpellingsThatReachTheSameKey) {
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "software\\MICROSOFT"));
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "\\SOFTWARE\\\\Microsoft\\\\"));
  EXPECT_TRUE(IsProtectedRegistryKey(kUser, "SOFTWARE\\wow6432node\\microsoft\\windows\\currentversion\\run\\"));
  // Only ASCII letters of single-byte characters fold: a double-byte
  // character whose trail byte is a letter never stands for that letter.
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "\x81S\x81O"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SOFTWARE\\Microsoft\xB0"));
}

TEST(RefusesRegistryKeyEntry, ValuesFromTheRootAndProtectedKeys) {
  // The embedded script's entries stay deletable.
  EXPECT_FALSE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "lumenseek"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(
      kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache", "lumenseek"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(kUser, "SOFTWARE\\Vendor", "Vendor"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE", "Microsoft\\lumenseek"));

  // A value that begins with a backslash is a path from the root.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE\\Vendor", "\\Software"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "\\Software\\lumenseek"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "\\"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", ""));
}

TEST(RefusesRegistryKeyEntry, ProtectedKeysReachedFromTheirParents) {
  // A name equal to its value is the key directly below the root.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE", "SOFTWARE"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "software", "SOFTWARE"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\\\", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software\\Microsoft\\", "Windows"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software", "Microsoft\\\\Windows\\"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "Uninstall"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SYSTEM", "CurrentControlSet"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SYSTEM\\ControlSet001", "Services"));
  // The full-path form, with the last component in another case.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\MICROSOFT", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software\\Classes", "Classes"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "", "SOFTWARE"));
}

TEST(RefusesUninstallEntry, OneSubkeyNameWithoutBackslashes) {
  for (RegistryRoot root : {kUser, kMachine}) {
    EXPECT_FALSE(RefusesUninstallEntry(root, "lumenseek"));
    EXPECT_FALSE(RefusesUninstallEntry(root, "{5A0C1D2E-0000-4000-8000-000000000000}"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "\\"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "\\Software"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "lumenseek\\"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "lumenseek\\Nested"));
    EXPECT_TRUE(RefusesUninstallEntry(root, ""));
  }
}

}  // namespace
}  // namespace tidemark
