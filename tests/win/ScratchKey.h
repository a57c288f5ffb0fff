// The registry key a test case works below: Software\TidemarkTests\<case>
// under one root and in one registry view. Its name comes from the test
// case alone, so a case that crashed half-way leaves its key behind for the
// same case of the next run, and that run wipes it before the case begins;
// the key is wiped again when the object goes.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "system/UniqueHandle.h"
#include "win/RegistryLinks.h"

namespace tidemark::testing {

inline constexpr char kScratchParent[] = "Software\\TidemarkTests";

// Deletes the key with its whole tree, in the view given (0 for the caller's
// own, or KEY_WOW64_32KEY / KEY_WOW64_64KEY). Every key is opened with
// REG_OPTION_OPEN_LINK, so a symbolic link goes as itself and its target
// stays; RegDeleteTreeA would follow the link and empty the target. Subkeys
// go by their wide names: a best-fit ANSI name ("a<won>b" as "a\b") would
// lead through a link beside it.
inline void DeleteKeyTreeW(HKEY parent, const std::wstring& path, REGSAM view) {
  UniqueHKey key;
  if (RegOpenKeyExW(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE | view, key.put()) != ERROR_SUCCESS) {
    return;
  }
  // Names first, deletions after: deleting while enumerating shifts the indexes.
  std::vector<std::wstring> children;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name / sizeof name[0];
    if (RegEnumKeyExW(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, size);
  }
  for (const std::wstring& child : children) DeleteKeyTreeW(key.get(), child, view);
  DeleteOpenKey(key.get());
}

inline void DeleteKeyTree(HKEY parent, const std::string& path, REGSAM view = 0) {
  DeleteKeyTreeW(parent, std::wstring(path.begin(), path.end()), view);  // the test paths are ASCII
}

// "Suite-Case" of the running test case ("/" of parameterised names made "-").
inline std::string TestCaseKeyName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "-" + info->name() : "NoTestCase";
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '-';
  }
  return name;
}

class ScratchKey {
 public:
  explicit ScratchKey(HKEY root = HKEY_CURRENT_USER, REGSAM view = 0, std::string name = TestCaseKeyName())
      : m_root(root), m_view(view), m_name(std::move(name)), m_path(std::string(kScratchParent) + "\\" + m_name) {
    Wipe();
  }
  ~ScratchKey() {
    Wipe();
    // Goes only once no other case's key is left below it.
    RegDeleteKeyExA(m_root, kScratchParent, m_view, 0);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  // The test case's own name, the key's last component; also a name for the
  // values and keys the case makes elsewhere.
  const std::string& Name() const { return m_name; }
  // Below the root, without a leading backslash.
  const std::string& Path() const { return m_path; }
  std::string operator/(const std::string& sub) const { return m_path + "\\" + sub; }
  HKEY Root() const { return m_root; }
  REGSAM View() const { return m_view; }

  // Makes the key itself (empty), for cases that open it before adding to it.
  bool Create() const {
    UniqueHKey key;
    return RegCreateKeyExA(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
  }
  bool Exists() const {
    UniqueHKey key;
    return RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_READ | m_view, key.put()) == ERROR_SUCCESS;
  }
  void Wipe() const { DeleteKeyTree(m_root, m_path, m_view); }

 private:
  HKEY m_root;
  REGSAM m_view;
  std::string m_name;
  std::string m_path;
};

}  // namespace tidemark::testing
