#include "script/ScriptFile.h"

#include "system/ErrorText.h"
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
  const HRSRC info = FindResourceA(module, resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  const HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) {
    throw ScriptFileError(std::string("Resource ") + resourceName + " not found");
  }
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, info));
}

std::string CannotCreateFileMessage(const std::string& path, DWORD error) {
  return "Cannot create file \"" + path + "\". " + SystemErrorText(error);
}

void WriteScriptFile(const std::string& path, const std::string& bytes) {
  // DeleteFileA removes a symbolic link itself, never its target, and
  // CREATE_NEW fails on any name that still exists, link or not.
  if (IsExistingFile(path)) DeleteFileA(path.c_str());
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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

void DeleteScriptFile(const std::string& path) {
  if (IsExistingFile(path)) DeleteFileA(path.c_str());
}

}  // namespace tidemark
