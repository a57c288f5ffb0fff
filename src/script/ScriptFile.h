// The embedded script resource and its temporary copy on disk.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "script/ScriptFileName.h"
#include "system/UniqueHandle.h"

namespace tidemark {

// Raised when the script cannot be read from the module or written out; its
// message is what the error report shows.
class ScriptFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kScriptResourceName[] = "ResData";

// The bytes of the RCDATA resource of that name in the module.
// Raises "Resource %s not found".
std::string LoadScriptResource(HMODULE module, const char* resourceName);

// The text of the "Cannot create file" error for this path and Windows error.
std::string CannotCreateFileMessage(const std::string& path, DWORD error);

// Writes the bytes as a new file at the path. Whatever lies at that name is
// removed first and the file is then created exclusively, so that a link
// planted at the name in the user's writable temp folder is never followed by
// this elevated program. `file` receives the open file as soon as it exists
// (also when the write then fails): while it stays open, others may read the
// file, but nobody can write, rename or delete it. Raises "Cannot create file "%s". %s" or "Stream write error"; a
// partly written file stays.
void WriteScriptFile(const std::string& path, const std::string& bytes, UniqueFile& file);

// Deletes the file held open by `file` through that handle, never by name,
// and closes it. Failures are ignored; nothing happens without a file.
void DeleteScriptFile(UniqueFile& file);

}  // namespace tidemark
