#include "capture/WholeFile.h"

#include <windows.h>

#include "capture/SnapshotFile.h"
#include "system/UniqueHandle.h"

namespace tidemark::capture {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return false;
  if (size.QuadPart > 0x7FFFFFFF) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  return bytes.empty() ||
         (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool LoadSnapshot(const std::string& path, Snapshot& snapshot, std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = "cannot read " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  ParsedSnapshot parsed = ParseSnapshot(bytes);
  if (!parsed.ok) {
    error = path + ": " + parsed.error;
    return false;
  }
  snapshot = std::move(parsed.snapshot);
  return true;
}

}  // namespace tidemark::capture
