#include "ui/RemoveApp.h"

#include "script/ScriptLines.h"
#include "script/ScriptSections.h"
#include "system/ApplicationTitle.h"
#include "system/Waits.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"

namespace tidemark {

namespace {

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const std::size_t last = path.find_last_of("\\:");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace

TfRemoveApp::TfRemoveApp(const FolderLookup& folders, HMODULE resourceModule, std::string resourceName)
    : lblCategory(design::kCategoryCaption),
      lblName(design::kNameCaption),
      m_folders(folders),
      m_resourceModule(resourceModule),
      m_resourceName(std::move(resourceName)) {}

TfRemoveApp::~TfRemoveApp() { DestroyOwnWindow(); }

void TfRemoveApp::FormCreate() { InitFolders(); }

std::string TfRemoveApp::FolderOfMacro(const char* macro) const {
  std::string folder;
  if (!ExpandPathMacros(macro, folder, m_folders)) return {};
  return folder + "\\";
}

void TfRemoveApp::InitFolders() {
  ExeDir = ExecutableFolder();
  LocalAppDataDir = FolderOfMacro("%LOCAL_APPDATA%");
  AppDataDir = FolderOfMacro("%APPDATA%");
  TempDir = FolderOfMacro("%TEMP%");
  ExtractScript();
  m_scriptIni = std::make_unique<ScriptIni>(m_writtenScript);
  ShowProgramInfo();
}

bool TfRemoveApp::ExtractScript() {
  // Without a temporary folder there is nowhere safe to write: a bare
  // "win.dat" would land in whatever the current folder is.
  if (TempDir.empty()) {
    throw ScriptFileError(CannotCreateFileMessage(kScriptFileName, ERROR_PATH_NOT_FOUND));
  }
  const std::string resource = LoadScriptResource(m_resourceModule, m_resourceName.c_str());
  const std::string text = JoinLinesWithCrLf(SplitScriptLines(resource));
  WriteScriptFile(ScriptFilePath(), text, m_scriptFile);
  m_writtenScript = text;
  return true;
}

void TfRemoveApp::ShowProgramInfo() {
  EntryList list;
  Script().ReadSectionEntries(sections::kAppType, list);
  lblCategory.Set(EntryValueOf(list, sections::kAppTypeCategory));
  lblName.Set(EntryValueOf(list, sections::kAppTypeTitle));
}

void TfRemoveApp::FormClose() {
  m_closed = true;
  m_scriptIni.reset();
  m_writtenScript.clear();
  DeleteScriptFile(m_scriptFile);
}

void TfRemoveApp::btnStartClick() { RunRemoval(kStartButtonSwitches); }

void TfRemoveApp::RunRemoval(const StepSwitches& switches) { tidemark::RunRemoval(*this, switches); }

const ScriptIni& TfRemoveApp::Script() const {
  if (!m_scriptIni) throw NoScriptError();
  return *m_scriptIni;
}

void TfRemoveApp::AddStatus(const std::string& line) {
  StatusLog.push_back(line);
  if (mmStatus == nullptr) return;
  const int length = GetWindowTextLengthA(mmStatus);
  std::string current(static_cast<std::size_t>(length) + 1, '\0');
  current.resize(static_cast<std::size_t>(GetWindowTextA(mmStatus, current.data(), length + 1)));
  const std::string inserted = MemoAppendText(current, line);
  // Put the caret at the very end, then insert there.
  SendMessageA(mmStatus, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageA(mmStatus, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
}

void TfRemoveApp::ClearStatus() {
  StatusLog.clear();
  if (mmStatus != nullptr) SetWindowTextA(mmStatus, "");
}

void TfRemoveApp::Delay(int milliseconds) { tidemark::Delay(nullptr, milliseconds); }

}  // namespace tidemark
