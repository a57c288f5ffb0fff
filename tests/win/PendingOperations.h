// The session manager's list of file operations for the next restart
// (PendingFileRenameOperations), for tests that make the program schedule
// deletions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tidemark::testing {

// The session manager's list of operations for the next restart, as
// strings; the ones below `prefix` are taken out again when the case ends,
// so that no later restart of the test prefix carries them out.
class PendingOperationsOfTheCase {
 public:
  explicit PendingOperationsOfTheCase(std::wstring prefix) : m_prefix(std::move(prefix)) { Remove(); }
  ~PendingOperationsOfTheCase() { Remove(); }

  static std::vector<std::wstring> Read() {
    std::vector<std::wstring> strings;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return strings;
    DWORD size = 0;
    if (RegQueryValueExW(key, kValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
      std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
      if (RegQueryValueExW(key, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) ==
          ERROR_SUCCESS) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < size / sizeof(wchar_t); ++i) {
          if (data[i] != L'\0') continue;
          strings.emplace_back(data.data() + start, i - start);
          start = i + 1;
        }
      }
    }
    RegCloseKey(key);
    return strings;
  }

 private:
  void Remove() const {
    const std::vector<std::wstring> strings = Read();
    std::wstring kept;
    for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
      if (strings[i].find(m_prefix) != std::wstring::npos) continue;
      kept += strings[i] + L'\0' + strings[i + 1] + L'\0';
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (kept.empty()) {
      RegDeleteValueW(key, kValue);
    } else {
      kept += L'\0';
      RegSetValueExW(key, kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                     static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    }
    RegCloseKey(key);
  }

  static constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  static constexpr wchar_t kValue[] = L"PendingFileRenameOperations";
  std::wstring m_prefix;
};

}  // namespace tidemark::testing
