// Takes a snapshot of this machine (Windows): the walk behind
// "tidemark-capture snapshot FILE".
#pragma once

#include <string>
#include <vector>

namespace tidemark::capture {

// Walks processes, services, both registry views and the macro folders and
// writes the records to the file as it goes. Keys and folders that cannot be
// read are recorded as unreadable and passed over. `filesBelow` are further
// folders to walk in full (a trial walks the whole drive). Returns false with
// `error` set when the file cannot be written.
bool TakeSnapshot(const std::string& outputPath, const std::vector<std::string>& filesBelow, std::string& error);

}  // namespace tidemark::capture
