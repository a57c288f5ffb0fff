// Reading and writing whole files (Windows), for the authoring tools.
#pragma once

#include <string>

#include "capture/Snapshot.h"

namespace tidemark::capture {

// False, with GetLastError telling why, when the file cannot be read whole.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Creates or replaces the file with the bytes.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Reads a snapshot file; false with `error` naming the file and the fault.
bool LoadSnapshot(const std::string& path, Snapshot& snapshot, std::string& error);

}  // namespace tidemark::capture
