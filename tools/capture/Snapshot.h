// A snapshot of what a program installation can add to a machine: running
// processes, registry keys and values of both views, services, files and
// folders. Two snapshots, taken before and after an installation, give the
// draft of a removal script. Pure logic: the Windows walk that fills one is
// in SnapshotTaker.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidemark::capture {

// Registry roots and views as they are written in a snapshot.
inline constexpr char kRootCurrentUser[] = "HKCU";
inline constexpr char kRootLocalMachine[] = "HKLM";
inline constexpr char kView32[] = "32";
// Tidemark.exe is a 32-bit program: the registry it reads and deletes is the
// 32-bit view, also on 64-bit Windows.
inline constexpr const char* kProgramView = kView32;
inline constexpr char kView64[] = "64";

struct RegistryKey {
  std::string view;  // kView32 or kView64
  std::string root;  // kRootCurrentUser or kRootLocalMachine
  std::string path;  // below the root, without a leading or trailing backslash
};

struct RegistryValue {
  RegistryKey key;
  std::string name;  // empty for the key's default value
  std::uint32_t type = 0;
  std::uint64_t hash = 0;  // of the type and the data
  // The text of string values where a draft needs it (see KeepsValueText);
  // empty otherwise.
  std::string text;
};

struct FileEntry {
  std::string path;  // full path
  std::uint64_t size = 0;
};

struct Service {
  std::string name;
  std::string imagePath;
};

// Something the walk could not read; it is recorded and passed over.
struct Unreadable {
  std::string kind;   // "key" or "folder"
  std::string where;  // the key as "VIEW\ROOT\PATH", or the folder's path
  std::uint32_t error = 0;
};

struct MacroFolder {
  std::string macro;   // "%PROGRAM_FILES%"
  std::string folder;  // as the capture found it, without a trailing backslash
};

struct Snapshot {
  std::string machine;             // the computer's name
  std::string takenAt;             // local time, "YYYY-MM-DD hh:mm:ss"
  std::string outputPath;          // the snapshot file itself, which a later snapshot finds as a new file
  int captureBits = 32;            // the capture program's own bitness: the macros' folders depend on it
  std::vector<std::string> views;  // the registry views walked: "32" and, on 64-bit Windows, "64"
  std::vector<MacroFolder> macros;
  std::vector<std::string> processes;  // image names, one per running process
  std::vector<Service> services;
  std::vector<RegistryKey> keys;
  std::vector<RegistryValue> values;
  std::vector<std::string> folders;
  std::vector<FileEntry> files;
  std::vector<Unreadable> unreadable;
};

// True for the keys whose string values a snapshot keeps the text of: the Run
// keys (a draft names the command) and the Uninstall entries (a draft takes
// the program's name and publisher from them).
bool KeepsValueText(const std::string& keyPath);

// A key path or a file path split at its last backslash: the part before it
// (empty when there is none) and the part after it (the whole path then).
std::string ParentOf(const std::string& path);
std::string LastComponent(const std::string& path);

// FNV-1a, 64 bits, over the type (4 bytes, little endian) and the data.
std::uint64_t HashValueData(std::uint32_t type, const unsigned char* data, std::size_t size);

}  // namespace tidemark::capture
