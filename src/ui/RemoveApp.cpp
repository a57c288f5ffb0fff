#include "ui/RemoveApp.h"

#include "script/ScriptLines.h"
#include "script/ScriptSections.h"
#include "ui/DesignTexts.h"

namespace tidemark {

namespace {

std::string ExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
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

TfRemoveApp::~TfRemoveApp() = default;

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
  WriteScriptFile(ScriptFilePath(), text);
  m_writtenScript = text;
  return true;
}

void TfRemoveApp::ShowProgramInfo() {
  EntryList list;
  m_scriptIni->ReadSectionEntries(sections::kAppType, list);
  lblCategory = EntryValueOf(list, "category");
  lblName = EntryValueOf(list, "title");
}

void TfRemoveApp::FormClose() {
  m_scriptIni.reset();
  m_writtenScript.clear();
  if (!TempDir.empty()) DeleteScriptFile(ScriptFilePath());
}

}  // namespace tidemark
