// What a removal step needs from the window that runs it: the script, the
// folders for macro expansion, the status list and the application's pause.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/PathMacros.h"
#include "script/ScriptIni.h"

namespace tidemark {

// Raised by a step that needs the script when start-up could not provide it;
// the run's catch-all ends the sequence on it.
class NoScriptError : public std::runtime_error {
 public:
  NoScriptError() : std::runtime_error("The removal script is not available") {}
};

class StepContext {
 public:
  virtual ~StepContext() = default;
  // The script reader; raises NoScriptError when there is none.
  virtual const ScriptIni& Script() const = 0;
  virtual const FolderLookup& Folders() const = 0;
  // Appends one line to the status list.
  virtual void AddStatus(const std::string& line) = 0;
  // Pauses while the application's messages keep being handled.
  virtual void Delay(int milliseconds) = 0;
};

}  // namespace tidemark
