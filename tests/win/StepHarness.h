// Runs a removal step over a script of the test's own, with the real
// pauses, and keeps the lines the step posts.
#pragma once

#include <string>
#include <vector>

#include "engine/ShellFolderLookup.h"
#include "engine/StepContext.h"
#include "system/Waits.h"

namespace tidemark::testing {

class StepHarness : public StepContext {
 public:
  explicit StepHarness(const std::string& scriptText, const FolderLookup* folders = nullptr)
      : m_script(scriptText), m_folders(folders ? folders : &m_shellFolders) {}

  const ScriptIni& Script() const override { return m_script; }
  const FolderLookup& Folders() const override { return *m_folders; }
  void AddStatus(const std::string& line) override { lines.push_back(line); }
  void Delay(int milliseconds) override {
    delays.push_back(milliseconds);
    tidemark::Delay(nullptr, milliseconds);
  }

  std::vector<std::string> lines;
  std::vector<int> delays;

 private:
  ScriptIni m_script;
  ShellFolderLookup m_shellFolders;
  const FolderLookup* m_folders;
};

}  // namespace tidemark::testing
