// The registry object against the real registry of the test prefix. Every
// test works below its own scratch key, wiped before and after the case:
// HKEY_CURRENT_USER\Software\TidemarkTests\<case>.
//
// Registry views: the win64 build sees the 64-bit view, the shipped 32-bit
// build the 32-bit view. Windows shares HKCU\Software between the views, while
// this Wine keeps them apart for a 32-bit program; the scratch-key tests work
// in the view of the program that runs them and hold either way. The one test
// under HKLM\Software names the view it works in.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "system/Registry.h"
#include "win/RegistryLinks.h"
#include "win/ScratchKey.h"

namespace tidemark {
namespace {

using Value = std::pair<DWORD, std::string>;  // type and raw bytes

class Registry : public ::testing::Test {
 protected:
  Registry() { Create(""); }

  std::string Full(const std::string& sub) const { return sub.empty() ? scratch : scratch + "\\" + sub; }
  std::string Absolute(const std::string& sub) const { return "\\" + Full(sub); }

  void Create(const std::string& sub, DWORD options = REG_OPTION_NON_VOLATILE) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << sub;
    RegCloseKey(key);
  }
  void Put(const std::string& sub, const std::string& name, const std::string& data) const {
    Create(sub);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, Full(sub).c_str(), name.c_str(), REG_SZ, data.c_str(),
                              static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
  }
  bool Exists(const std::string& sub) const {
    UniqueHKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
  }
  std::optional<Value> Read(const std::string& sub, const std::string& name) const {
    UniqueHKey key;
    DWORD type = 0;
    char data[512];
    DWORD size = sizeof data;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS) {
      return std::nullopt;
    }
    return Value(type, std::string(data, size));
  }

  // Makes `sub` (ASCII) and below it the key with the wide name `leaf`, as
  // the adware would plant it: RegCreateKeyExW takes the name as it is.
  void CreateWide(const std::string& sub, const std::wstring& leaf) const {
    const std::string parent = Full(sub);
    const std::wstring path = std::wstring(parent.begin(), parent.end()) + L"\\" + leaf;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"planted"), 16);
    RegCloseKey(key);
  }

  // Makes `sub` a link to the scratch key `target`, and checks that the link
  // leads there.
  void Link(const std::string& sub, const std::string& target) {
    ASSERT_TRUE(testing::CreateRegistryLink(HKEY_CURRENT_USER, Full(sub), Full(target))) << sub;
    ASSERT_EQ(Read(sub, "v"), Read(target, "v")) << sub << " does not lead to " << target;
    ASSERT_TRUE(Read(sub, "v").has_value());
  }
  bool LinkExists(const std::string& sub) const { return testing::RegistryLinkExists(HKEY_CURRENT_USER, Full(sub)); }

  // Links in it go as links when it is wiped, their targets untouched.
  const testing::ScratchKey scratchKey;
  const std::string scratch = scratchKey.Path();  // below HKEY_CURRENT_USER, no leading backslash
};

// Whether the handle still names an open key.
bool IsOpen(HKEY key) {
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryException& error) {
    return error.what();
  }
  return "no ERegistryException";
}

// --- Construction, roots and the current key ---

TEST_F(Registry, NewObjectAndSelectRoot) {
  TRegistry custom(KEY_READ | KEY_WOW64_64KEY);
  EXPECT_EQ(custom.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(custom.Access(), 0x20119u);
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(reg.Access(), 0xF003Fu);
  EXPECT_TRUE(reg.LazyWrite());
  EXPECT_EQ(reg.CurrentKey(), nullptr);

  ASSERT_TRUE(reg.OpenPath(scratch, false));
  const HKEY key = reg.CurrentKey();
  reg.SelectRoot(HKEY_CURRENT_USER);  // the same root: the key stays open
  EXPECT_EQ(reg.CurrentKey(), key);
  EXPECT_EQ(reg.CurrentPath(), scratch);
  reg.SelectRoot(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_FALSE(IsOpen(key));

  reg.SelectRoot(HKEY_CURRENT_USER);
  reg.SetLazyWrite(false);  // flushes, then closes
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  const HKEY flushed = reg.CurrentKey();
  reg.ClosePath();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_FALSE(IsOpen(flushed));
}

TEST_F(Registry, PathsResolveAgainstTheOpenKeyOrTheRoot) {
  Create("a\\b");
  Create("c");
  TRegistry reg;
  // The empty path opens the root itself: for a predefined root Windows hands
  // back the root's own handle, which closing the path must leave alone.
  ASSERT_TRUE(reg.OpenPath("", false));
  EXPECT_EQ(reg.CurrentKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentPath(), "");

  ASSERT_TRUE(reg.OpenPath(Absolute("a"), false));  // absolute while a key is open
  EXPECT_EQ(reg.CurrentPath(), Full("a"));
  const HKEY parent = reg.CurrentKey();
  ASSERT_TRUE(reg.OpenPath("b", false));  // relative: below the open key
  EXPECT_EQ(reg.CurrentPath(), Full("a\\b"));
  EXPECT_FALSE(IsOpen(parent));
  ASSERT_TRUE(reg.OpenPath(Absolute("c"), false));
  EXPECT_EQ(reg.CurrentPath(), Full("c"));
  EXPECT_FALSE(reg.OpenPath("a", false)) << "a lies beside c, not below it";

  TRegistry fresh;
  ASSERT_TRUE(fresh.OpenPath(Full("a"), false));  // relative with no key open: from the root
  EXPECT_EQ(fresh.CurrentPath(), Full("a"));
}

TEST_F(Registry, FailedOpenKeepsTheOpenKeyCurrent) {
  Put("", "v", "1");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  const HKEY key = reg.CurrentKey();
  EXPECT_FALSE(reg.OpenPath("missing", false));
  EXPECT_FALSE(reg.OpenPath(Absolute("missing\\deeper"), false));
  EXPECT_FALSE(Exists("missing"));
  EXPECT_EQ(reg.CurrentKey(), key);
  EXPECT_EQ(reg.CurrentPath(), scratch);
  EXPECT_TRUE(reg.HasValue("v"));
}

TEST_F(Registry, OpenWithCreationMakesEveryLevel) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(Absolute("x\\y\\z"), true));
  EXPECT_TRUE(Exists("x\\y\\z"));
  EXPECT_EQ(reg.CurrentPath(), Full("x\\y\\z"));
  ASSERT_TRUE(reg.OpenPath("한글\\키", true));  // Korean names, CP949 bytes in the registry
  EXPECT_TRUE(Exists("x\\y\\z\\한글\\키"));
  EXPECT_EQ(reg.CurrentPath(), Full("x\\y\\z\\한글\\키"));
}

TEST_F(Registry, TrailingBackslashStaysInThePathAndStillOpens) {
  Put("t\\u", "v", "1");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(Absolute("t\\"), false));
  EXPECT_EQ(reg.CurrentPath(), Full("t\\"));
  EXPECT_TRUE(reg.PathExists("u"));
  EXPECT_TRUE(reg.MakePath("w\\"));
  EXPECT_TRUE(Exists("t\\w"));
  EXPECT_TRUE(reg.DeletePath("u"));
  EXPECT_FALSE(Exists("t\\u"));
}

// --- Key creation and probing ---

TEST_F(Registry, MakePathCreatesWithoutOpening) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  const HKEY key = reg.CurrentKey();
  EXPECT_TRUE(reg.MakePath("m\\n\\o"));
  EXPECT_TRUE(reg.MakePath("m\\n\\o"));  // already there
  EXPECT_TRUE(reg.MakePath(Absolute("p")));
  EXPECT_TRUE(Exists("m\\n\\o"));
  EXPECT_TRUE(Exists("p"));
  EXPECT_EQ(reg.CurrentKey(), key);
  EXPECT_EQ(reg.CurrentPath(), scratch);
}

TEST_F(Registry, MakePathFailureRaisesWithThePathAsPassed) {
  Create("volatile", REG_OPTION_VOLATILE);  // lasting keys cannot be made below a volatile one
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  EXPECT_EQ(MessageOf([&] { reg.MakePath(Absolute("volatile\\child")); }),
            "Failed to create key " + Absolute("volatile\\child"));
  EXPECT_EQ(MessageOf([&] { reg.MakePath("volatile\\child"); }), "Failed to create key volatile\\child");
  EXPECT_EQ(reg.CurrentPath(), scratch);
  EXPECT_TRUE(IsOpen(reg.CurrentKey()));
  EXPECT_FALSE(Exists("volatile\\child"));
}

TEST_F(Registry, PathExistsKeepsTheAccessMask) {
  Create("e");
  TRegistry reg;
  EXPECT_TRUE(reg.PathExists(Full("e")));
  EXPECT_FALSE(reg.PathExists(Full("missing")));
  EXPECT_EQ(reg.Access(), 0xF003Fu);
  TRegistry custom(KEY_WRITE);  // cannot read, yet PathExists reads
  EXPECT_TRUE(custom.PathExists(Absolute("e")));
  EXPECT_EQ(custom.Access(), static_cast<DWORD>(KEY_WRITE));
  EXPECT_EQ(custom.CurrentKey(), nullptr);
}

// --- Deletion ---

TEST_F(Registry, DeletePathRemovesADeepTreeWithValues) {
  // Three levels below the deleted key, three siblings on each, a value in
  // every key, Korean names among them.
  const std::vector<std::string> names = {"k0", "k1", "가나다라마바사아자차"};
  std::vector<std::string> keys = {"tree"};
  std::vector<std::string> level = keys;
  for (int depth = 0; depth < 3; ++depth) {
    std::vector<std::string> next;
    for (const std::string& key : level) {
      for (const std::string& name : names) next.push_back(key + "\\" + name);
    }
    keys.insert(keys.end(), next.begin(), next.end());
    level = std::move(next);
  }
  for (const std::string& key : keys) Put(key, "값", key);
  Put("keep", "v", "1");
  ASSERT_TRUE(Exists("tree\\가나다라마바사아자차\\k1\\가나다라마바사아자차"));

  TRegistry writeOnly(KEY_SET_VALUE);  // the opens inside use the object's mask
  EXPECT_FALSE(writeOnly.DeletePath(Absolute("tree")));
  EXPECT_TRUE(Exists("tree\\k1\\k1\\k1"));

  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  EXPECT_TRUE(reg.DeletePath("tree"));
  EXPECT_FALSE(Exists("tree"));
  EXPECT_TRUE(Exists("keep"));
  EXPECT_EQ(reg.CurrentPath(), scratch);
  EXPECT_TRUE(IsOpen(reg.CurrentKey()));

  EXPECT_FALSE(reg.DeletePath("tree"));  // missing
  EXPECT_FALSE(reg.DeletePath(Absolute("nothing\\here")));
  EXPECT_EQ(Read("keep", "v"), Value(REG_SZ, std::string("1", 2)));
}

TEST_F(Registry, DeletePathMakesRoomForDoubleByteNames) {
  // RegQueryInfoKeyA gives the longest subkey name in characters; in code page
  // 949 each Hangul syllable takes two bytes of the name that RegEnumKeyExA returns.
  CPINFO codePage;
  if (!GetCPInfo(CP_ACP, &codePage) || codePage.MaxCharSize < 2) {
    GTEST_SKIP() << "ANSI code page " << GetACP() << " is single-byte (under Wine set LC_ALL=ko_KR.UTF-8)";
  }
  Create("dbcs\\가나다라마바사아자차\\하위");
  Create("dbcs\\ab");
  TRegistry reg;
  EXPECT_TRUE(reg.DeletePath(Absolute("dbcs")));
  EXPECT_FALSE(Exists("dbcs"));
}

TEST_F(Registry, PathNamingTheBaseKeyDeletesNothing) {
  // Mended fault: such a path used to delete every key below the base key,
  // which is the whole root for "\". The root here is the scratch key itself,
  // so that a regression cannot reach the rest of the registry.
  Create("parent\\child1");
  Create("parent\\child2");
  Create("sibling");
  UniqueHKey root;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, KEY_ALL_ACCESS, root.put()), ERROR_SUCCESS);
  TRegistry reg;
  reg.SelectRoot(root.get());
  ASSERT_TRUE(reg.OpenPath("", false));  // a root that is no predefined key: a new handle
  EXPECT_NE(reg.CurrentKey(), root.get());
  reg.ClosePath();
  EXPECT_TRUE(IsOpen(root.get())) << "the root is never closed";
  EXPECT_FALSE(reg.DeletePath("\\"));
  EXPECT_FALSE(reg.DeletePath(""));
  EXPECT_FALSE(reg.DeletePath("\\\\"));
  ASSERT_TRUE(reg.OpenPath("parent", false));
  EXPECT_FALSE(reg.DeletePath(""));
  EXPECT_FALSE(reg.DeletePath("\\\\\\"));
  EXPECT_TRUE(Exists("parent\\child1"));
  EXPECT_TRUE(Exists("parent\\child2"));
  EXPECT_TRUE(Exists("sibling"));
  EXPECT_TRUE(reg.DeletePath("child1"));  // an ordinary relative path still works
  EXPECT_FALSE(Exists("parent\\child1"));
}

TEST_F(Registry, DeletePathDeletesALinkItselfNeverItsTarget) {
  // Mended fault: the walk opened a link inside the deleted key as its
  // target, deleted the target's whole tree (outside the named key), and
  // RegDeleteKeyA then deleted the emptied target instead of the link.
  Put("outside", "v", "tree");
  Put("outside\\child", "v", "kept");
  Put("leaf", "v", "childless");  // a target without subkeys: RegDeleteKeyA alone would take it
  Put("named\\plain", "v", "1");
  Link("named\\link", "outside");
  Link("named\\plain\\deeper", "leaf");
  Link("direct", "leaf");

  TRegistry reg;
  EXPECT_TRUE(reg.DeletePath(Absolute("named")));
  EXPECT_FALSE(Exists("named"));
  EXPECT_FALSE(LinkExists("named\\link"));
  EXPECT_EQ(Read("outside", "v"), Value(REG_SZ, std::string("tree", 5)));
  EXPECT_EQ(Read("outside\\child", "v"), Value(REG_SZ, std::string("kept", 5)));
  EXPECT_EQ(Read("leaf", "v"), Value(REG_SZ, std::string("childless", 10)));

  // A path that names a link: the link goes, its target stays.
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  EXPECT_TRUE(reg.DeletePath("direct"));
  EXPECT_FALSE(LinkExists("direct"));
  EXPECT_EQ(Read("leaf", "v"), Value(REG_SZ, std::string("childless", 10)));
  EXPECT_TRUE(Exists("outside\\child"));
}

TEST_F(Registry, DeletePathKeepsTheViewOfTheOpenKey) {
  // HKLM\Software has two views on 64-bit Windows. A key opened in the 32-bit
  // view is the parent that the shipped program deletes below; the twin in the
  // 64-bit view stays.
  const testing::ScratchKey twin32(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
  const testing::ScratchKey twin64(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
  const std::string path = twin32.Path();  // the same path in both views
  const auto exists = [&](REGSAM view, const std::string& leaf) {
    UniqueHKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, (path + "\\twin\\" + leaf).c_str(), 0, KEY_READ | view, key.put()) ==
           ERROR_SUCCESS;
  };
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (path + "\\twin\\sub").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
  }
  TRegistry reg(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
  reg.SelectRoot(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenPath(path, false));
  EXPECT_TRUE(reg.DeletePath("twin"));
  EXPECT_FALSE(exists(KEY_WOW64_32KEY, "sub"));
  EXPECT_TRUE(exists(KEY_WOW64_64KEY, "sub")) << "the 32-bit view is not separate here";

  // MakePath never carries the object's view flag: the key lands in the
  // process's own view, the 32-bit one for the shipped build.
  const REGSAM ownView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  const REGSAM otherView = ownView == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  TRegistry other(KEY_ALL_ACCESS | otherView);
  other.SelectRoot(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(other.MakePath("\\" + path + "\\twin\\made"));
  EXPECT_TRUE(exists(ownView, "made"));
  EXPECT_FALSE(exists(otherView, "made"));
}

// --- Values ---

TEST_F(Registry, StringValuesWithTheirTerminatingZero) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  reg.WriteStringValue("empty", "");
  EXPECT_EQ(Read("", "empty"), Value(REG_SZ, std::string(1, '\0')));
  reg.WriteStringValue("이름", "값");
  EXPECT_EQ(Read("", "이름"), Value(REG_SZ, std::string("\xB0\xAA\0", 3)));

  EXPECT_TRUE(reg.HasValue("이름"));
  EXPECT_FALSE(reg.HasValue("none"));
  EXPECT_TRUE(reg.RemoveValue("이름"));
  EXPECT_FALSE(reg.HasValue("이름"));
  EXPECT_FALSE(reg.RemoveValue("이름"));
  EXPECT_EQ(Read("", "이름"), std::nullopt);
  EXPECT_TRUE(reg.HasValue("empty"));
}

TEST_F(Registry, ValueOperationsFailWithoutAWritableKey) {
  Put("", "v", "1");
  TRegistry reg;
  EXPECT_FALSE(reg.HasValue("v"));
  EXPECT_FALSE(reg.RemoveValue("v"));
  EXPECT_EQ(MessageOf([&] { reg.WriteStringValue("name", "x"); }), "Failed to set data for 'name'");

  TRegistry readOnly(KEY_READ);
  ASSERT_TRUE(readOnly.OpenPath(scratch, false));
  EXPECT_EQ(MessageOf([&] { readOnly.WriteStringValue("값", "x"); }), "Failed to set data for '값'");
  EXPECT_FALSE(readOnly.RemoveValue("v"));
  EXPECT_TRUE(readOnly.HasValue("v"));
  EXPECT_EQ(readOnly.CurrentPath(), scratch);
  EXPECT_EQ(Read("", "값"), std::nullopt);
}

// --- Measuring what a deletion would take ---

// The values of the key itself, opened as a link when it is one.
int OwnValues(HKEY root, const std::string& path) {
  UniqueHKey key;
  DWORD values = 0;
  if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, key.put()) != ERROR_SUCCESS ||
      RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return -1;
  }
  return static_cast<int>(values);
}

TEST_F(Registry, MeasurePathCountsTheTreeThatDeletePathWouldDelete) {
  Put("tree", "a", "1");
  Put("tree", "b", "2");
  // The longest name in characters, twice as long in code page 949 bytes.
  Put("tree\\가나다라마바사아자차", "v", "1");
  Put("tree\\가나다라마바사아자차\\deeper", "v", "1");
  Create("tree\\empty");
  Put("outside", "v", "1");
  Put("outside\\child", "v", "1");
  Link("tree\\link", "outside");  // counted as itself: its target lies outside the tree
  const int linkValues = OwnValues(HKEY_CURRENT_USER, Full("tree\\link"));
  ASSERT_GE(linkValues, 0);

  TRegistry reg(KEY_READ);
  const std::optional<KeyTreeSize> absolute = reg.MeasurePath(Absolute("tree"));
  ASSERT_TRUE(absolute.has_value());
  EXPECT_EQ(absolute->subkeys, 4);
  EXPECT_EQ(absolute->values, 4 + linkValues);

  ASSERT_TRUE(reg.OpenPath(scratch, false));
  const std::optional<KeyTreeSize> relative = reg.MeasurePath("tree\\가나다라마바사아자차");
  ASSERT_TRUE(relative.has_value());
  EXPECT_EQ(relative->subkeys, 1);
  EXPECT_EQ(relative->values, 2);
  EXPECT_EQ(reg.CurrentPath(), scratch);
  EXPECT_TRUE(Exists("tree\\가나다라마바사아자차\\deeper"));  // nothing changed
  EXPECT_EQ(Read("outside\\child", "v"), Value(REG_SZ, std::string("1", 2)));
}

TEST_F(Registry, MeasurePathFindsNothingWhereDeletePathDeletesNothing) {
  Create("parent\\child");
  TRegistry reg(KEY_READ);
  ASSERT_TRUE(reg.OpenPath(scratch, false));
  EXPECT_EQ(reg.MeasurePath("missing"), std::nullopt);
  for (const char* base : {"", "\\", "\\\\", "\\\\\\"}) {
    EXPECT_TRUE(TRegistry::NamesItsBase(base)) << base;
    EXPECT_EQ(reg.MeasurePath(base), std::nullopt) << base;
  }
  EXPECT_FALSE(TRegistry::NamesItsBase("parent"));
  EXPECT_FALSE(TRegistry::NamesItsBase("\\parent"));
  ASSERT_TRUE(reg.MeasurePath("parent").has_value());
  EXPECT_EQ(reg.MeasurePath("parent")->subkeys, 1);
}

// U+20A9 WON SIGN, which code page 949 lacks: its ANSI best fit is "\".
constexpr wchar_t kWon = L'\u20A9';

TEST_F(Registry, BestFitNamesBesideALinkNeverLeadThroughIt) {
  // Mended fault: RegEnumKeyExA hands "lnk<won>y" back as "lnk\y", and the
  // walk opened that path, through the link "lnk", so the key "y" below the
  // link's target (anywhere in the registry) was deleted.
  Put("outside", "v", "tree");
  Put("outside\\y", "v", "decoy");
  Put("outside\\y\\deeper", "v", "decoy");
  Put("named", "v", "1");
  Link("named\\lnk", "outside");
  CreateWide("named", std::wstring(L"lnk") + kWon + L"y");
  CreateWide("named", std::wstring(L"..") + kWon + L".." + kWon + L"outside");

  TRegistry reg;
  const std::optional<KeyTreeSize> measured = reg.MeasurePath(Absolute("named"));
  ASSERT_TRUE(measured.has_value());
  EXPECT_EQ(measured->subkeys, 3);  // the link and the two planted keys, nothing behind them
  EXPECT_TRUE(reg.DeletePath(Absolute("named")));
  EXPECT_FALSE(Exists("named"));
  EXPECT_EQ(Read("outside\\y", "v"), Value(REG_SZ, std::string("decoy", 6)));
  EXPECT_TRUE(Exists("outside\\y\\deeper"));
  EXPECT_EQ(Read("outside", "v"), Value(REG_SZ, std::string("tree", 5)));
}

TEST_F(Registry, AKeyThatLeadsBackToItselfIsDeletedWithoutEndlessWalking) {
  // Mended fault: a subkey "a<won>x" beside a link "a" back to the key itself
  // read as "a\x" and led into the key again, without end, until the stack
  // overflowed and the process died in the middle of the run.
  Put("loop", "v", "1");
  Link("loop\\a", "loop");
  CreateWide("loop", std::wstring(L"a") + kWon + L"x");
  Put("sibling", "v", "stays");

  TRegistry reg;
  ASSERT_TRUE(reg.MeasurePath(Absolute("loop")).has_value());
  EXPECT_TRUE(reg.DeletePath(Absolute("loop")));
  EXPECT_FALSE(Exists("loop"));
  EXPECT_EQ(Read("sibling", "v"), Value(REG_SZ, std::string("stays", 6)));
}

TEST_F(Registry, ATreeDeeperThanTheRegistryAllowsStaysWhole) {
  // The registry nests at most 512 levels; a deeper tree is passed over, and
  // no depth makes the walk recurse without a bound.
  Create("deep");
  UniqueHKey level;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Full("deep").c_str(), 0, KEY_ALL_ACCESS, level.put()), ERROR_SUCCESS);
  int depth = 1;
  for (; depth < 520; ++depth) {
    UniqueHKey next;
    if (RegCreateKeyExA(level.get(), "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, next.put(), nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    level = std::move(next);
  }
  if (depth <= 512) GTEST_SKIP() << "this registry stops at " << depth << " levels";
  level.reset();
  Create("shallow\\k\\k");

  TRegistry reg;
  EXPECT_TRUE(reg.MeasurePath(Absolute("deep")).has_value());
  EXPECT_FALSE(reg.DeletePath(Absolute("deep")));
  EXPECT_TRUE(Exists("deep\\k"));
  EXPECT_TRUE(reg.DeletePath(Absolute("shallow")));
}

}  // namespace
}  // namespace tidemark
