#include "script/ScriptFile.h"

#include "system/ErrorText.h"
#include "system/ModuleParts.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

bool IsExistingFile(const std::string& path) {
  WIN32_FIND_DATAA found;
  UniqueFind search(FindFirstFileA(path.c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::string LoadScriptResource(HMODULE module, const char* resourceName) {
  const std::optional<std::string_view> bytes = RcdataResource(module, resourceName);
  if (!bytes) throw ScriptFileError(std::string("Resource ") + resourceName + " not found");
  return std::string(bytes->data(), bytes->size());
}

std::string CannotCreateFileMessage(const std::string& path, DWORD error) {
  return "Cannot create file \"" + path + "\". " + SystemErrorText(error);
}

void WriteScriptFile(const std::string& path, const std::string& bytes, UniqueFile& file) {
  // DeleteFileA removes a symbolic link itself, never its target, and
  // CREATE_NEW fails on any name that still exists, link or not. Others may
  // read the file while it is open (sharing this handle's writing and
  // deletion), but nobody else may write it, and without FILE_SHARE_DELETE
  // nobody can rename or delete it: the name keeps naming this file.
  if (IsExistingFile(path)) DeleteFileA(path.c_str());
  file.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw ScriptFileError(CannotCreateFileMessage(path, GetLastError()));

  std::size_t offset = 0;
  while (offset < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - offset, 1 << 20));
    if (!WriteFile(file.get(), bytes.data() + offset, chunk, &written, nullptr) || written == 0) {
      throw ScriptFileError("Stream write error");
    }
    offset += written;
  }
}

void DeleteScriptFile(UniqueFile& file) {
  if (!file) return;
  // Marked through the handle, the file goes when its last handle closes;
  // no name is looked up again.
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
  file.reset();
}

}  // namespace tidemark
