// The main window's form class. It carries the script's life cycle (the
// folders recorded at creation, the temporary copy of the script, the reader
// over it and the program information shown in the labels) and the removal
// run, whose steps RunStep calls by slot. The window itself is in
// RemoveAppWindow.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/PathMacros.h"
#include "engine/RemovalRun.h"
#include "script/ScriptFile.h"
#include "script/ScriptIni.h"
#include "system/UniqueHandle.h"
#include "ui/BaseWindow.h"
#include "ui/Caption.h"

namespace tidemark {

class TfrmAbout;

class TfRemoveApp final : public RunHost, public BaseWindow<TfRemoveApp> {
 public:
  explicit TfRemoveApp(const FolderLookup& folders, HMODULE resourceModule = GetModuleHandleA(nullptr),
                       std::string resourceName = kScriptResourceName);
  ~TfRemoveApp() override;

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

  // The window: created hidden at its designed place, owned by `owner`;
  // FormCreate runs inside the creation, and an error from it is reported
  // without stopping the creation. False when the window cannot be made.
  bool CreateFormWindow(HWND owner);
  // The About window that btnAboutClick shows.
  void SetAboutWindow(TfrmAbout* about) { m_about = about; }
  // Shows the window with the focus on btnStart.
  void Show();
  // The dialog keys of the window (Tab, Enter, Esc); true when consumed.
  bool RouteDialogKey(MSG& message);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Start button: the run with the slots that the step table marks for it.
  void btnStartClick();
  // Shows the About window modally.
  void btnAboutClick();
  // Opens the maker's home page with the default browser.
  void btnHomeClick();
  // Closes the window, which ends the program.
  void btnCloseClick();
  void RunRemoval(const StepSwitches& switches);

  // The run's view of the window.
  const ScriptIni& Script() const override;
  const FolderLookup& Folders() const override { return m_folders; }
  void AddStatus(const std::string& line) override;
  void ClearStatus() override;
  void Delay(int milliseconds) override;
  bool WindowClosed() const override { return m_closed; }

  // The reader, or nullptr before provisioning succeeded and after close.
  const ScriptIni* ScriptReader() const { return m_scriptIni.get(); }
  std::string ScriptFilePath() const { return TempDir + kScriptFileName; }

  // Each ends with a backslash, or is empty when its folder was not found.
  std::string ExeDir;
  std::string LocalAppDataDir;
  std::string AppDataDir;
  std::string TempDir;

  // The labels lblCategory and lblName, with their design-time captions.
  Caption lblCategory;
  Caption lblName;

  // The lines of the status list, oldest first, as AddStatus posted them
  // (the memo also holds what the user typed).
  std::vector<std::string> StatusLog;

  // The controls (null until the window exists).
  HWND btnStart = nullptr;
  HWND btnAbout = nullptr;
  HWND btnHome = nullptr;
  HWND btnClose = nullptr;
  HWND Panel1 = nullptr;
  HWND GroupBox1 = nullptr;
  HWND mmStatus = nullptr;

 private:
  std::string FolderOfMacro(const char* macro) const;

  void CreateControls();
  void CloseWindow();
  void ShowAsDefault(HWND button);
  static LRESULT CALLBACK MemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UniqueFont m_font;
  WNDPROC m_memoProc = nullptr;
  HWND m_lastFocus = nullptr;
  HWND m_framedButton = nullptr;  // the push button that shows the default frame
  TfrmAbout* m_about = nullptr;

  const FolderLookup& m_folders;
  HMODULE m_resourceModule;
  std::string m_resourceName;
  std::string m_writtenScript;  // the exact bytes written to win.dat
  UniqueFile m_scriptFile;      // win.dat, held open until the window closes
  std::unique_ptr<ScriptIni> m_scriptIni;
  bool m_closed = false;
};

}  // namespace tidemark
