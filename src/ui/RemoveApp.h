// The main window's form class. For now it carries the script's life cycle:
// the folders recorded at creation, the temporary copy of the script, the
// reader over it and the program information shown in the labels.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "engine/PathMacros.h"
#include "script/ScriptFile.h"
#include "script/ScriptIni.h"

namespace tidemark {

class TfRemoveApp {
 public:
  explicit TfRemoveApp(const FolderLookup& folders, HMODULE resourceModule = GetModuleHandleA(nullptr),
                       std::string resourceName = kScriptResourceName);
  ~TfRemoveApp();

  TfRemoveApp(const TfRemoveApp&) = delete;
  TfRemoveApp& operator=(const TfRemoveApp&) = delete;

  // Creation handler: InitFolders and nothing else. Errors escape to the
  // window's creation handling, which reports them and goes on.
  void FormCreate();
  // Records the folders, writes the script out, opens the reader over it and
  // shows the program information. An error leaves it at that point.
  void InitFolders();
  // Writes the embedded script to TempDir + "win.dat"; raises on failure.
  bool ExtractScript();
  // Sets the label texts from the script's [APPTYPE] section.
  void ShowProgramInfo();
  // Close handler: releases the reader and deletes the temporary script.
  void FormClose();

  // The reader, or nullptr before provisioning succeeded and after close.
  const ScriptIni* ScriptReader() const { return m_scriptIni.get(); }
  const FolderLookup& Folders() const { return m_folders; }
  std::string ScriptFilePath() const { return TempDir + kScriptFileName; }

  // Each ends with a backslash, or is empty when its folder was not found.
  std::string ExeDir;
  std::string LocalAppDataDir;
  std::string AppDataDir;
  std::string TempDir;

  // The texts of lblCategory and lblName, with their design-time captions.
  std::string lblCategory;
  std::string lblName;

 private:
  std::string FolderOfMacro(const char* macro) const;

  const FolderLookup& m_folders;
  HMODULE m_resourceModule;
  std::string m_resourceName;
  std::string m_writtenScript;  // the exact bytes written to win.dat
  std::unique_ptr<ScriptIni> m_scriptIni;
};

}  // namespace tidemark
