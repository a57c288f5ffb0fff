// The snapshot file: a versioned text of one record a line (documented in
// docs/snapshot-format.md). Records are written one at a time, so that a walk
// of tens of thousands of keys never holds them all; reading checks the
// version and that the file is complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "capture/Snapshot.h"

namespace tidemark::capture {

inline constexpr char kSnapshotMagic[] = "TIDEMARK-SNAPSHOT";
inline constexpr int kSnapshotVersion = 1;

// Each returns one record's line, LF included. Field text is written with
// "%", tab, CR, LF and the other control bytes as "%XX".
std::string HeaderRecord();
std::string MachineRecords(const Snapshot& snapshot);  // machine, taken, output, capture-bits, views
std::string MacroRecord(const MacroFolder& macro);
std::string ProcessRecord(const std::string& imageName);
std::string ServiceRecord(const Service& service);
std::string KeyRecord(const RegistryKey& key);
std::string ValueRecord(const RegistryValue& value);
std::string FolderRecord(const std::string& folder);
std::string FileRecord(const FileEntry& file);
std::string UnreadableRecord(const Unreadable& unreadable);
// The last line: the number of records between the header and it.
std::string EndRecord(std::size_t records);

// The whole file of a snapshot held in memory.
std::string FormatSnapshot(const Snapshot& snapshot);

struct ParsedSnapshot {
  bool ok = false;
  std::string error;  // "line N: ..." when not ok
  Snapshot snapshot;
};

// Reads a snapshot file's bytes. Fails on another format or version, an
// unknown or malformed record, or a file cut short before its end record.
ParsedSnapshot ParseSnapshot(std::string_view text);

// The escaping used in fields, exposed for the tests.
std::string EscapeField(std::string_view text);
bool UnescapeField(std::string_view field, std::string& text);

}  // namespace tidemark::capture
