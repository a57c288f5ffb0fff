// Program entry: the register and unregister switches end it at once (it has
// no COM classes and no type library); otherwise the application runs its
// two windows until the main window closes.
#include <windows.h>

#include "engine/ShellFolderLookup.h"
#include "ui/Application.h"
#include "ui/CommandLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (tidemark::HasRegistrationSwitch(tidemark::CommandLineParameters())) return 0;
  tidemark::ShellFolderLookup folders;
  tidemark::TApplication application(folders);
  return application.Run();
}
