// Program entry. For now it provisions the script, shows the program
// information, and cleans up; the windows come next.
#include <windows.h>

#include <exception>

#include "system/ShellFolders.h"
#include "ui/ErrorReport.h"
#include "ui/RemoveApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  tidemark::ShellFolderLookup folders;
  tidemark::TfRemoveApp fRemoveApp(folders);
  try {
    fRemoveApp.FormCreate();
  } catch (const std::exception& error) {
    tidemark::ShowErrorReport(error.what());
  }
  const std::string info = fRemoveApp.lblCategory + "\r\n" + fRemoveApp.lblName;
  MessageBoxA(nullptr, info.c_str(), "Tidemark", MB_OK | MB_ICONINFORMATION);
  fRemoveApp.FormClose();
  return 0;
}
