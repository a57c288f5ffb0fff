#include "capture/SnapshotTaker.h"

#include <windows.h>

#include <cstdio>
#include <unordered_set>
#include <vector>

#include "capture/SnapshotFile.h"
#include "engine/PathMacros.h"
#include "engine/ShellFolderLookup.h"
#include "system/AnsiNames.h"
#include "system/Cp949Text.h"
#include "system/FolderEntries.h"
#include "system/Processes.h"
#include "system/UniqueHandle.h"
#include "system/WindowsVersion.h"

namespace tidemark::capture {

namespace {

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseServiceHandle(handle); }
};
using UniqueService = UniqueResource<ServiceHandleTraits>;

// Writes records to the file in large pieces and counts them for the end
// record.
class RecordWriter {
 public:
  explicit RecordWriter(HANDLE file) : m_file(file) {}

  // `records`: how many records the lines hold.
  void Add(const std::string& lines, std::size_t records = 1) {
    m_buffer += lines;
    m_records += records;
    if (m_buffer.size() >= 1 << 16) Flush();
  }
  void AddUncounted(const std::string& lines) { m_buffer += lines; }

  bool Finish() {
    m_buffer += EndRecord(m_records);
    Flush();
    return m_ok;
  }

 private:
  void Flush() {
    DWORD written = 0;
    if (!m_buffer.empty() &&
        (!WriteFile(m_file, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &written, nullptr) ||
         written != m_buffer.size())) {
      m_ok = false;
    }
    m_buffer.clear();
  }

  HANDLE m_file;
  std::string m_buffer;
  std::size_t m_records = 0;
  bool m_ok = true;
};

// One line on the console that the walks overwrite as they go.
class Progress {
 public:
  void Tick(const char* what, std::size_t count) {
    if (count % 2000 != 0) return;
    std::fprintf(stderr, "\r%s: %zu", what, count);
    std::fflush(stderr);
    m_open = true;
  }
  void Done(const char* what, std::size_t count) {
    std::fprintf(stderr, "%s%s: %zu\n", m_open ? "\r" : "", what, count);
    m_open = false;
  }

 private:
  bool m_open = false;
};

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return text;
}

std::vector<MacroFolder> MacroFolders() {
  const ShellFolderLookup lookup;
  std::vector<MacroFolder> macros;
  for (const PathMacro& macro : kPathMacros) {
    std::string folder;
    if (ExpandPathMacros(macro.macro, folder, lookup)) macros.push_back({std::string(macro.macro), folder});
  }
  return macros;
}

void WriteProcesses(RecordWriter& writer) {
  ForEachProcess([&](std::uint32_t, const std::string& image) { writer.Add(ProcessRecord(image)); });
}

std::string ServiceImagePath(SC_HANDLE manager, const char* name) {
  UniqueService service(OpenServiceA(manager, name, SERVICE_QUERY_CONFIG));
  if (!service) return {};
  DWORD needed = 0;
  QueryServiceConfigA(service.get(), nullptr, 0, &needed);
  std::vector<unsigned char> buffer(needed == 0 ? 1 : needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.get(), config, needed, &needed) || config->lpBinaryPathName == nullptr) return {};
  return config->lpBinaryPathName;
}

void WriteServices(RecordWriter& writer) {
  UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return;
  DWORD needed = 0, count = 0, resume = 0;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    const BOOL done =
        EnumServicesStatusExA(manager.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                              buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA) return;
    const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      writer.Add(
          ServiceRecord({services[i].lpServiceName, ServiceImagePath(manager.get(), services[i].lpServiceName)}));
    }
    if (done) return;
    if (needed > buffer.size()) buffer.resize(needed);
  }
}

// The registry walk of one root in one view. Keys are opened without
// following registry links (a link may point back up the tree). Software's
// Wow6432Node is left out: in the 64-bit view it is the 32-bit view's
// Software, walked on its own; in the 32-bit view it is the key itself. (The
// 32-bit view reaches its classes, Software\Classes\Wow6432Node, only
// through a link, so the 64-bit view's walk records them.)
class RegistryWalk {
 public:
  RegistryWalk(RecordWriter& writer, Progress& progress, const char* view, REGSAM viewFlag)
      : m_writer(writer), m_progress(progress), m_view(view), m_viewFlag(viewFlag) {}

  void Walk(HKEY root, const char* rootName) {
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
      const std::string path = pending.back();
      pending.pop_back();
      UniqueHKey key;
      const LONG opened = RegOpenKeyExA(root, path.empty() ? nullptr : path.c_str(), REG_OPTION_OPEN_LINK,
                                        KEY_READ | m_viewFlag, key.put());
      const RegistryKey record{m_view, rootName, path};
      if (opened != ERROR_SUCCESS) {
        m_writer.Add(UnreadableRecord(
            {"key", m_view + "\\" + std::string(rootName) + "\\" + path, static_cast<std::uint32_t>(opened)}));
        continue;
      }
      if (!path.empty()) m_writer.Add(KeyRecord(record));
      m_progress.Tick("registry keys", ++m_keys);
      WriteValues(key.get(), record);
      for (const std::string& subkey : Subkeys(key.get())) {
        if (EqualsIgnoreCaseCp949(path, "Software") && EqualsIgnoreCaseCp949(subkey, "Wow6432Node")) continue;
        pending.push_back(path.empty() ? subkey : path + "\\" + subkey);
      }
    }
  }

  std::size_t Keys() const { return m_keys; }

 private:
  // Listed by their wide names: a name whose ANSI form is a best-fit
  // look-alike ("a<won>b" as "a\b") would be joined into a path that leads
  // to another key, so it is passed over.
  static std::vector<std::string> Subkeys(HKEY key) {
    std::vector<std::string> names;
    wchar_t name[256];  // a key name has at most 255 characters
    for (DWORD index = 0;; ++index) {
      DWORD size = sizeof name / sizeof name[0];
      const LONG result = RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (result == ERROR_NO_MORE_ITEMS) break;
      if (result == ERROR_SUCCESS) {
        const std::wstring wide(name, size);
        if (IsExactAnsiName(wide)) names.push_back(AnsiFromWide(wide));
      } else if (result != ERROR_MORE_DATA) {
        break;
      }
    }
    return names;
  }

  // A value's name is asked for again in its wide form: RegEnumValueA hands
  // back a best-fit look-alike for a character that code page 949 lacks
  // ("Agent<won>x" as "Agent\x"), and a draft entry of that name would
  // delete another value, or none. Such a value is passed over, as such keys
  // and files are. (A value's name may hold a backslash of its own.) The
  // wide name must be the ANSI one's, in case the key changed in between.
  static bool HasExactAnsiName(HKEY key, DWORD index, const std::string& ansiName) {
    // An exact name has no more wide characters than ANSI bytes; a longer
    // one (ERROR_MORE_DATA) is no exact name.
    std::wstring name(ansiName.size() + 1, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    name.resize(size);
    return ConvertsExactly(name) && AnsiFromWide(name) == ansiName;
  }

  void WriteValues(HKEY key, const RegistryKey& record) {
    DWORD nameLength = 0, dataLength = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameLength, &dataLength,
                         nullptr, nullptr) != ERROR_SUCCESS) {
      return;
    }
    const bool keepText = KeepsValueText(record.path);
    std::vector<char> name(nameLength + 2);
    std::vector<unsigned char> data(dataLength + 2);
    for (DWORD index = 0;; ++index) {
      DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
      const LONG result = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
      if (result == ERROR_NO_MORE_ITEMS) return;
      if (result == ERROR_MORE_DATA) {  // the value grew since the query: ask again with room
        name.resize(name.size() * 2 + 256);
        data.resize(data.size() * 2 + 4096);
        --index;
        continue;
      }
      if (result != ERROR_SUCCESS) return;
      std::string valueName(name.data(), nameSize);
      if (!HasExactAnsiName(key, index, valueName)) continue;
      RegistryValue value{record, std::move(valueName), type, HashValueData(type, data.data(), dataSize), {}};
      if (keepText && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value.text.assign(reinterpret_cast<const char*>(data.data()), dataSize);
        value.text.resize(value.text.find('\0') == std::string::npos ? value.text.size() : value.text.find('\0'));
      }
      m_writer.Add(ValueRecord(value));
    }
  }

  RecordWriter& m_writer;
  Progress& m_progress;
  std::string m_view;
  REGSAM m_viewFlag;
  std::size_t m_keys = 0;
};

void WriteRegistry(RecordWriter& writer, Progress& progress, const std::vector<std::string>& views) {
  std::size_t keys = 0;
  for (const std::string& view : views) {
    RegistryWalk walk(writer, progress, view.c_str(), view == kView64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
    walk.Walk(HKEY_CURRENT_USER, kRootCurrentUser);
    walk.Walk(HKEY_LOCAL_MACHINE, kRootLocalMachine);
    keys += walk.Keys();
  }
  progress.Done("registry keys", keys);
}

// The file walk: every macro folder, and below it every folder that is no
// link, except below the Windows and system folders, whose own files and
// folders are recorded but not what lies deeper. Each folder is recorded
// once and listed at most once, however many macros lead to it.
class FileWalk {
 public:
  FileWalk(RecordWriter& writer, Progress& progress, const std::string& outputPath)
      : m_writer(writer), m_progress(progress), m_output(ToUpperAsciiCp949(outputPath)) {}

  void Walk(const std::string& top, bool deep) {
    Record(top);
    // A macro's folder may itself be a link: in a default Wine prefix the
    // desktop and documents lead into the Linux home.
    const DWORD attributes = GetFileAttributesA(top.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return;
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
      const std::string folder = pending.back();
      pending.pop_back();
      if (!m_listed.insert(ToUpperAsciiCp949(folder)).second) continue;
      m_progress.Tick("folders", m_listed.size());
      const unsigned long error = ForEachFolderEntry(folder, "*", [&](const FolderEntry& entry) {
        // A name without an exact ANSI form cannot be written into a script
        // (its best-fit form may climb out of the folder): passed over.
        if (!entry.exactName) return;
        const std::string path = folder + "\\" + entry.name;
        if (!entry.IsFolder()) {
          if (ToUpperAsciiCp949(path) != m_output)
            m_writer.Add(FileRecord({path, entry.size}));  // not the snapshot being written
          return;
        }
        Record(path);
        if (deep && !entry.IsLink()) pending.push_back(path);
      });
      if (error != 0) m_writer.Add(UnreadableRecord({"folder", folder, static_cast<std::uint32_t>(error)}));
    }
  }

  std::size_t Folders() const { return m_listed.size(); }

 private:
  void Record(const std::string& folder) {
    if (m_recorded.insert(ToUpperAsciiCp949(folder)).second) m_writer.Add(FolderRecord(folder));
  }

  RecordWriter& m_writer;
  Progress& m_progress;
  std::string m_output;
  std::unordered_set<std::string> m_recorded;
  std::unordered_set<std::string> m_listed;
};

bool IsShallowMacro(const std::string& macro) {
  return macro == "%WINDOWS%" || macro == "%SYSTEM%" || macro == "%SYSTEMX86%";
}

void WriteFiles(RecordWriter& writer, Progress& progress, const std::vector<MacroFolder>& macros,
                const std::vector<std::string>& filesBelow, const std::string& outputPath) {
  FileWalk walk(writer, progress, outputPath);
  // The shallow folders first, so that a deep walk that reaches one of them
  // finds it listed already and does not descend.
  for (const MacroFolder& macro : macros) {
    if (IsShallowMacro(macro.macro)) walk.Walk(macro.folder, false);
  }
  for (const MacroFolder& macro : macros) {
    if (!IsShallowMacro(macro.macro)) walk.Walk(macro.folder, true);
  }
  for (const std::string& folder : filesBelow) walk.Walk(folder, true);
  progress.Done("folders", walk.Folders());
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

// The walk appends a backslash and a name to a folder: "C:\x\" becomes "C:\x"
// and a drive's root "C:\" becomes "C:", listed as "C:\*".
std::string WithoutTrailingBackslash(std::string folder) {
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace

bool TakeSnapshot(const std::string& outputPath, const std::vector<std::string>& filesBelow, std::string& error) {
  const std::string output = FullPath(outputPath);
  UniqueFile file(
      CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = "cannot write " + output + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  Snapshot header;
  header.machine = ComputerName();
  header.takenAt = LocalTime();
  header.outputPath = output;
  header.captureBits = sizeof(void*) == 8 ? 64 : 32;
  header.views = Is64BitWindows() ? std::vector<std::string>{kView32, kView64} : std::vector<std::string>{kView32};
  header.macros = MacroFolders();

  RecordWriter writer(file.get());
  Progress progress;
  writer.AddUncounted(HeaderRecord());
  writer.Add(MachineRecords(header), 5);
  for (const MacroFolder& macro : header.macros) writer.Add(MacroRecord(macro));
  WriteProcesses(writer);
  WriteServices(writer);
  WriteRegistry(writer, progress, header.views);
  std::vector<std::string> extra;
  for (const std::string& folder : filesBelow) extra.push_back(WithoutTrailingBackslash(FullPath(folder)));
  WriteFiles(writer, progress, header.macros, extra, output);
  if (!writer.Finish()) {
    error = "cannot write " + output + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

}  // namespace tidemark::capture
