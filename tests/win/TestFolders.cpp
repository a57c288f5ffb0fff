#include "win/TestFolders.h"

#include <stdexcept>

#include "system/UniqueHandle.h"
#include "win/TestProcess.h"

namespace tidemark::testing {

namespace {

std::optional<std::string> GetVariable(const char* name) {
  char buffer[4096];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  return std::string(buffer, length);
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
  SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    m_path =
        std::string(temp) + "tidemark-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(m_path.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + m_path);
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

TempFolderRedirect::TempFolderRedirect(const std::string& folder)
    : m_oldTmp(GetVariable("TMP")), m_oldTemp(GetVariable("TEMP")) {
  SetVariable("TMP", folder);
  SetVariable("TEMP", folder);
}

TempFolderRedirect::~TempFolderRedirect() {
  SetVariable("TMP", m_oldTmp);
  SetVariable("TEMP", m_oldTemp);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

// Through the ANSI file functions, by which the program names its files, so
// that a code page 949 name means the same file to the test and the program.
std::string ReadFileBytes(const std::string& path) {
  UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read != 0) bytes.append(buffer, read);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// Wine's own export; the name it returns is allocated on the process heap.
std::optional<std::string> UnixPath(const std::string& path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::nullopt;
  std::wstring wide(path.size() + 1, L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  if (length == 0) return std::nullopt;
  char* name = toUnix(wide.c_str());
  if (!name) return std::nullopt;
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Polls for a condition for at most a minute.
template <typename Condition>
bool WaitUntil(Condition condition) {
  for (int attempt = 0; attempt < 6000; ++attempt) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

// Wine starts a Linux program named by its Z: path as a Linux process, but
// the handle it returns cannot be waited on for that process's end, so
// callers wait for the program's effect instead.
bool RunLinuxProgram(const std::string& command) {
  TestProcess program("", command);
  const bool started = program.Started();
  program.Abandon();
  return started;
}

}  // namespace

bool CreateLinuxSymlink(const std::string& link, const std::string& target) {
  const std::optional<std::string> linkName = UnixPath(link), targetName = UnixPath(target);
  if (!linkName || !targetName) return false;
  if (!RunLinuxProgram("Z:\\bin\\ln -s \"" + *targetName + "\" \"" + *linkName + "\"")) return false;
  return WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

void RemoveLinuxSymlink(const std::string& link) {
  const std::optional<std::string> linkName = UnixPath(link);
  if (!linkName || !RunLinuxProgram("Z:\\bin\\rm -f \"" + *linkName + "\"")) return;
  WaitUntil([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace tidemark::testing
