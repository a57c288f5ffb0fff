// The registry object: one root key, at most one open (current) key and an
// access mask, over the ANSI registry functions of advapi32. Key paths are
// code page 949 text, passed to Windows as they are.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "system/UniqueHandle.h"

namespace tidemark {

// Raised by MakePath ("Failed to create key %s") and WriteStringValue
// ("Failed to set data for '%s'"); no other registry operation raises.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The keys and values of a whole tree: every key below the top one, and the
// values of the top key and of every key below it.
struct KeyTreeSize {
  int subkeys = 0;
  int values = 0;
};

// The access masks of the registry objects: all rights, without a view flag
// (0xF003F); read rights only, to see whether a key exists (0x20009); and
// the recovery's read and write in the 64-bit view (0x2011F).
inline constexpr DWORD kRegistryAllAccess = KEY_ALL_ACCESS;
inline constexpr DWORD kRegistryProbeAccess = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
inline constexpr DWORD kRegistryReadAccess = KEY_READ;
inline constexpr DWORD kRegistryRecoveryAccess = KEY_READ | KEY_WRITE | KEY_WOW64_64KEY;
static_assert(kRegistryAllAccess == 0xF003F && kRegistryProbeAccess == 0x20009 && kRegistryRecoveryAccess == 0x2011F);

// Key paths: one leading backslash makes a path absolute (resolved from the
// root key); any other path, the empty one included, is resolved from the
// current key when one is open, otherwise from the root. Nothing else is
// changed in the text (no trimming; a trailing backslash stays), and the empty
// path names the key it is resolved from.
class TRegistry {
 public:
  TRegistry();  // root HKEY_CURRENT_USER, access KEY_ALL_ACCESS, no key open
  explicit TRegistry(DWORD access);
  ~TRegistry();

  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Changing the root closes the current key; selecting the same root keeps it.
  void SelectRoot(HKEY root);

  // Opens the key (creating every missing level when mayCreate is set and the
  // path is not empty) with the object's access mask and makes it current,
  // closing the previous one. On failure nothing changes and the result is false.
  bool OpenPath(const std::string& path, bool mayCreate);

  // Creates the key with KEY_ALL_ACCESS (never the object's mask, so no view
  // flag applies) and closes it at once; the current key is not changed.
  // Returns true or raises "Failed to create key <path as passed in>".
  bool MakePath(const std::string& path);

  // Whether the key opens with read rights (0x20009, no view flag); the
  // object's own access mask is left as it is.
  bool PathExists(const std::string& path) const;

  // Deletes the key with all its subkeys and values; true when the key itself
  // was deleted. Subkeys that could be deleted are gone even when the result is
  // false. A path that names the key it is resolved from (empty, or only
  // backslashes) deletes nothing and gives false. A symbolic link key met on
  // the way (or named by the path) is deleted itself; its target stays.
  // Subkeys are reached by their exact wide names, never through a link,
  // and a tree deeper than the registry allows (512 levels) stays whole.
  bool DeletePath(const std::string& path);

  // What DeletePath would delete for the path now: the path resolved and
  // opened as DeletePath opens it (with the object's access mask, a link as
  // itself), and the size of its tree. Nothing when the key does not open or
  // the path names the key it is resolved from. Changes nothing.
  std::optional<KeyTreeSize> MeasurePath(const std::string& path) const;

  // True for a path that names the key it is resolved from (empty, or only
  // backslashes after the leading one), which DeletePath refuses.
  static bool NamesItsBase(const std::string& path);

  // Value operations on the current key; with no key open they fail.
  bool HasValue(const std::string& name) const;
  bool RemoveValue(const std::string& name);
  // Writes a REG_SZ with its terminating zero; raises
  // "Failed to set data for '<name>'" on failure.
  void WriteStringValue(const std::string& name, const std::string& text);

  // Closes the current key (flushing it first when lazy write is off).
  void ClosePath();

  HKEY CurrentKey() const { return m_currentKey; }
  const std::string& CurrentPath() const { return m_currentPath; }
  HKEY RootKey() const { return m_rootKey; }
  DWORD Access() const { return m_access; }
  bool LazyWrite() const { return m_lazyWrite; }
  void SetLazyWrite(bool lazyWrite) { m_lazyWrite = lazyWrite; }

 private:
  struct KeyPath {
    std::string text;  // without the one leading backslash
    bool relative;
  };
  static KeyPath Resolve(const std::string& path);
  HKEY BaseKey(const KeyPath& path) const;
  // `level` counts the keys from the one the path names (1) down.
  bool DeleteTree(HKEY base, const std::wstring& path, int level) const;
  bool DeleteKeyItself(HKEY base, const std::wstring& path) const;
  bool MeasureTree(HKEY base, const std::wstring& path, int level, KeyTreeSize& size) const;

  HKEY m_currentKey = nullptr;
  UniqueHKey m_ownedKey;     // m_currentKey, unless that is a predefined root
  HKEY m_rootKey = nullptr;  // never closed
  bool m_lazyWrite = true;
  std::string m_currentPath;  // below the root, without a leading backslash
  DWORD m_access = kRegistryAllAccess;
};

}  // namespace tidemark
