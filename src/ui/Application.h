// The application: the hidden window that owns the forms and carries the
// application title on the taskbar, the two forms, and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/PathMacros.h"
#include "ui/About.h"
#include "ui/BaseWindow.h"
#include "ui/RemoveApp.h"

namespace tidemark {

class TApplication final : public BaseWindow<TApplication> {
 public:
  explicit TApplication(const FolderLookup& folders);
  ~TApplication();

  // Creates the application window, fRemoveApp and then frmAbout (hidden),
  // shows fRemoveApp and handles messages until the application is told to
  // end. Returns 0, the process's exit code, also when a window could not be
  // made (the program then ends at once, as it would after a close).
  int Run();

  // The hidden window that owns the forms and carries the application title
  // and icon on the taskbar; Run makes it first.
  bool CreateApplicationWindow();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Declared in creation order; destroyed the other way round.
  TfRemoveApp fRemoveApp;
  TfrmAbout frmAbout;

 private:
  // The application's first look at each message: the About window's key
  // preview, then the main window's dialog keys.
  bool Route(MSG& message);
};

// The command line's parameters after the program's own path, in the ANSI
// code page.
std::vector<std::string> CommandLineParameters();

}  // namespace tidemark
