#include "system/PendingDeletions.h"

#include <windows.h>

#include <vector>

#include "system/AnsiNames.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingOperations[] = L"PendingFileRenameOperations";

// A path as the list holds it and as a caller names it, made comparable: the
// NT prefix "\??\" (and the "!" that may precede it) dropped, no trailing
// separator, upper case as the file system compares names.
std::wstring PendingKey(std::wstring path) {
  if (!path.empty() && path.front() == L'!') path.erase(0, 1);
  if (path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

// The list's strings: pairs of a source and a target, where an empty target
// means deletion.
std::vector<std::wstring> PendingOperations() {
  UniqueHKey key;
  // The key is not redirected for 32-bit programs on 64-bit Windows.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), kPendingOperations, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ || size == 0) {
    return {};
  }
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  DWORD read = size;
  if (RegQueryValueExW(key.get(), kPendingOperations, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read) !=
      ERROR_SUCCESS) {
    return {};
  }
  // Each string ends with a zero, and an empty string is one zero of its
  // own, so the list is split at every zero up to the data's end.
  std::vector<std::wstring> strings;
  const std::size_t count = read / sizeof(wchar_t);
  std::size_t start = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (data[i] != L'\0') continue;
    strings.push_back(std::wstring(data.data() + start, i - start));
    start = i + 1;
  }
  // The list ends with one more zero: an empty string that pairs with none.
  if (strings.size() % 2 == 1 && strings.back().empty()) strings.pop_back();
  return strings;
}

}  // namespace

PendingDeletions::PendingDeletions() {
  const std::vector<std::wstring> operations = PendingOperations();
  for (std::size_t i = 0; i + 1 < operations.size(); i += 2) {
    if (operations[i + 1].empty()) m_paths.insert(PendingKey(operations[i]));
  }
}

bool PendingDeletions::Contains(const std::wstring& path) const { return m_paths.count(PendingKey(path)) > 0; }

bool PendingDeletions::Contains(const std::string& ansiPath) const { return Contains(WideFromAnsi(ansiPath)); }

bool ScheduleDeletionAtRestart(const std::wstring& path) {
  if (path.empty()) return false;
  if (PendingDeletions().Contains(path)) return true;
  return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

}  // namespace tidemark
