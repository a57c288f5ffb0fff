#include "system/Registry.h"

#include "system/AnsiNames.h"
#include "system/ModuleParts.h"

#include <functional>
#include <vector>

namespace tidemark {

namespace {

// HKEY_CLASSES_ROOT (0x80000000) and the other predefined roots just above it.
bool IsPredefinedKey(HKEY key) {
  const LONG_PTR first = reinterpret_cast<LONG_PTR>(HKEY_CLASSES_ROOT);
  const LONG_PTR value = reinterpret_cast<LONG_PTR>(key);
  return value >= first && value <= first + 0xFF;
}

// Opening or creating the empty path below a predefined root hands back that
// root's own handle instead of a new one; such a handle is never closed.
UniqueHKey Owned(UniqueHKey key) {
  if (IsPredefinedKey(key.get())) key.release();
  return key;
}

// The view flags of an access mask: a deletion stays in the view the walk
// opened its keys in.
constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

// The registry itself nests keys at most 512 levels deep. A walk deeper than
// that is not a tree the registry made but a path that leads back into
// itself, so the key is passed over and stays.
constexpr int kDeepestKeyLevel = 512;

// Deletes the key that the handle names. RegDeleteKeyA cannot be used for
// this: it opens the subkey by name without REG_OPTION_OPEN_LINK, so for a
// symbolic link it deletes the link's target (when that has no subkeys) and
// leaves the link. NtDeleteKey deletes exactly the key behind the handle,
// which for a handle opened with REG_OPTION_OPEN_LINK is the link itself;
// it needs DELETE access, as RegDeleteKeyA asks for.
bool DeleteOpenKey(HKEY key) {
  using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
  static const NtDeleteKeyFunction ntDeleteKey = NtdllFunction<NtDeleteKeyFunction>("NtDeleteKey");
  return ntDeleteKey && ntDeleteKey(key) >= 0;  // an NTSTATUS: success and information codes are not negative
}

struct KeyCounts {
  DWORD subkeys = 0;
  DWORD values = 0;
};

// Reads the key's own subkey and value counts, then calls `each` with the
// wide name of every subkey, from the highest index down: deleting the
// subkey just named moves only later ones down by one index, so each index
// still to be visited keeps naming the same key. Nothing when the counts
// cannot be read.
//
// The names are the wide ones, opened relative to the key's own handle: a
// key name never holds a backslash, so the name reaches that subkey and no
// other. The ANSI names of RegEnumKeyExA may not: a character that code page
// 949 lacks comes back as a best-fit look-alike, U+20A9 WON SIGN as "", and
// "lnk<won>y" beside a link "lnk" would then lead through the link.
std::optional<KeyCounts> WalkSubkeys(HKEY key, const std::function<void(const std::wstring&)>& each) {
  KeyCounts counts;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &counts.subkeys, &longest, nullptr, &counts.values, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> name(longest + 1);
  for (DWORD index = counts.subkeys; index-- > 0;) {
    DWORD size = longest + 1;
    if (RegEnumKeyExW(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      each(std::wstring(name.data(), size));
    }
  }
  return counts;
}

}  // namespace

TRegistry::TRegistry() { SelectRoot(HKEY_CURRENT_USER); }

TRegistry::TRegistry(DWORD access) : TRegistry() { m_access = access; }

TRegistry::~TRegistry() { ClosePath(); }

TRegistry::KeyPath TRegistry::Resolve(const std::string& path) {
  if (!path.empty() && path.front() == '\\') return {path.substr(1), false};
  return {path, true};
}

HKEY TRegistry::BaseKey(const KeyPath& path) const { return path.relative && m_currentKey ? m_currentKey : m_rootKey; }

void TRegistry::SelectRoot(HKEY root) {
  if (root == m_rootKey) return;
  m_rootKey = root;
  ClosePath();
}

bool TRegistry::OpenPath(const std::string& path, bool mayCreate) {
  const KeyPath target = Resolve(path);
  const HKEY base = BaseKey(target);
  UniqueHKey opened;
  LONG status;
  if (!mayCreate || target.text.empty()) {
    status = RegOpenKeyExA(base, target.text.c_str(), 0, m_access, opened.put());
  } else {
    // Creates every missing level of the path in one call.
    status = RegCreateKeyExA(base, target.text.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, m_access, nullptr,
                             opened.put(), nullptr);
  }
  if (status != ERROR_SUCCESS) return false;

  std::string newPath = target.relative && m_currentKey ? m_currentPath + "\\" + target.text : target.text;
  // The new key was opened through the old one; closing the old handle now
  // leaves the new one valid.
  ClosePath();
  m_currentKey = opened.get();
  m_ownedKey = Owned(std::move(opened));
  m_currentPath = std::move(newPath);
  return true;
}

bool TRegistry::MakePath(const std::string& path) {
  const KeyPath target = Resolve(path);
  UniqueHKey created;
  if (RegCreateKeyExA(BaseKey(target), target.text.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kRegistryAllAccess,
                      nullptr, created.put(), nullptr) != ERROR_SUCCESS) {
    throw ERegistryException("Failed to create key " + path);
  }
  Owned(std::move(created));  // closes it, unless it is a root's own handle
  return true;
}

bool TRegistry::PathExists(const std::string& path) const {
  // Asks for read rights only, whatever the object's own mask (which stays as
  // it is): a key that can be read but not written still exists.
  const KeyPath target = Resolve(path);
  UniqueHKey probe;
  const bool opened =
      RegOpenKeyExA(BaseKey(target), target.text.c_str(), 0, kRegistryProbeAccess, probe.put()) == ERROR_SUCCESS;
  Owned(std::move(probe));  // closes it, unless it is a root's own handle
  return opened;
}

bool TRegistry::NamesItsBase(const std::string& path) {
  // Windows and Wine skip backslashes as separators, so a path made only of
  // them names the key it is resolved from, as the empty path does.
  return Resolve(path).text.find_first_not_of('\\') == std::string::npos;
}

bool TRegistry::DeletePath(const std::string& path) {
  // Deleting "the subtree" of the key a path is resolved from (the root, or
  // the key the caller opened as the parent) would wipe every key below it,
  // for example all of HKEY_CURRENT_USER for a script value "\", so such a
  // path deletes nothing.
  if (NamesItsBase(path)) return false;
  const KeyPath target = Resolve(path);
  return DeleteTree(BaseKey(target), WideFromAnsi(target.text), 1);
}

// The subkeys go first because a key that still has subkeys cannot be
// deleted; a key's values go with the key. Each open carries the object's
// access mask, so a registry-view flag in it is kept down the tree.
//
// Every key of the walk is opened with REG_OPTION_OPEN_LINK. A symbolic link
// key (REG_LINK "SymbolicLinkValue") opened that way is the link itself,
// which has no subkeys of its own, so the walk never descends into the
// link's target, which may lie anywhere in the registry, and the link alone
// is deleted.
bool TRegistry::DeleteTree(HKEY base, const std::wstring& path, int level) const {
  if (level > kDeepestKeyLevel) return false;
  {
    UniqueHKey opened;
    if (RegOpenKeyExW(base, path.c_str(), REG_OPTION_OPEN_LINK, m_access, opened.put()) == ERROR_SUCCESS) {
      const UniqueHKey key = Owned(std::move(opened));
      // A subkey that stays (too deep, say) keeps this key too: a key with
      // subkeys cannot be deleted.
      WalkSubkeys(key.get(), [&](const std::wstring& name) { DeleteTree(key.get(), name, level + 1); });
    }
  }
  return DeleteKeyItself(base, path);
}

// Opened as DeleteTree opens the keys it deletes, so a link is counted as
// itself, never as its target.
bool TRegistry::MeasureTree(HKEY base, const std::wstring& path, int level, KeyTreeSize& size) const {
  if (level > kDeepestKeyLevel) return false;
  UniqueHKey opened;
  if (RegOpenKeyExW(base, path.c_str(), REG_OPTION_OPEN_LINK, m_access, opened.put()) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueHKey key = Owned(std::move(opened));
  const std::optional<KeyCounts> counts =
      WalkSubkeys(key.get(), [&](const std::wstring& name) { MeasureTree(key.get(), name, level + 1, size); });
  if (counts) {
    size.subkeys += static_cast<int>(counts->subkeys);
    size.values += static_cast<int>(counts->values);
  }
  return true;
}

std::optional<KeyTreeSize> TRegistry::MeasurePath(const std::string& path) const {
  if (NamesItsBase(path)) return std::nullopt;
  const KeyPath target = Resolve(path);
  KeyTreeSize size;
  if (!MeasureTree(BaseKey(target), WideFromAnsi(target.text), 1, size)) return std::nullopt;
  return size;
}

// Attempted also when the walk could not open the key with the object's
// mask: DELETE alone may still be granted, as for RegDeleteKeyA.
bool TRegistry::DeleteKeyItself(HKEY base, const std::wstring& path) const {
  UniqueHKey opened;
  if (RegOpenKeyExW(base, path.c_str(), REG_OPTION_OPEN_LINK, DELETE | (m_access & kViewFlags), opened.put()) !=
      ERROR_SUCCESS) {
    return false;
  }
  const UniqueHKey key = Owned(std::move(opened));
  return key && DeleteOpenKey(key.get());
}

bool TRegistry::HasValue(const std::string& name) const {
  if (!m_currentKey) return false;  // Windows would refuse the handle 0 anyway
  DWORD type = 0;
  DWORD size = 0;
  return RegQueryValueExA(m_currentKey, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool TRegistry::RemoveValue(const std::string& name) {
  return m_currentKey && RegDeleteValueA(m_currentKey, name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::WriteStringValue(const std::string& name, const std::string& text) {
  // The data is the text with its terminating zero: the empty text is one byte.
  if (!m_currentKey ||
      RegSetValueExA(m_currentKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

void TRegistry::ClosePath() {
  if (!m_currentKey) return;
  if (!m_lazyWrite) RegFlushKey(m_currentKey);
  m_currentKey = nullptr;
  m_ownedKey.reset();
  m_currentPath.clear();
}

}  // namespace tidemark
