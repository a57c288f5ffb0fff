// The application window and the two forms as the taskbar and Alt+Tab see
// them. Asked in this process: this Wine answers WM_GETICON from another
// process with nothing.
#include <gtest/gtest.h>

#include "engine/ShellFolderLookup.h"
#include "ui/Application.h"
#include "win/EndToEndDriver.h"
#include "win/TestFolders.h"
#include "win/TestThread.h"

namespace tidemark {
namespace {

LRESULT IconOf(HWND window, WPARAM which) { return SendMessageA(window, WM_GETICON, which, 0); }

TEST(ApplicationWindow, CarriesTheProgramIconAndTheFormsSetNoneOfTheirOwn) {
  testing::ScratchFolder temp;
  testing::TempFolderRedirect redirect{temp.Path()};
  ShellFolderLookup folders;
  TApplication application(folders);
  ASSERT_TRUE(application.CreateApplicationWindow());
  EXPECT_NE(IconOf(application.Window(), ICON_BIG), 0);
  EXPECT_NE(IconOf(application.Window(), ICON_SMALL), 0);

  ASSERT_TRUE(application.fRemoveApp.CreateFormWindow(application.Window()));
  ASSERT_TRUE(application.frmAbout.CreateFormWindow(application.fRemoveApp.Window()));
  for (const HWND form : {application.fRemoveApp.Window(), application.frmAbout.Window()}) {
    EXPECT_EQ(IconOf(form, ICON_BIG), 0);
    EXPECT_EQ(IconOf(form, ICON_SMALL), 0);
  }
  application.fRemoveApp.FormClose();
}

// The end-to-end check that the credit box shows no icon must be able to
// fail: it finds the icon of a box that has one, under this Wine too.
TEST(MessageBoxIconCheck, SeesTheIconOfABoxThatHasOneAndNoneOtherwise) {
  for (const UINT type : {static_cast<UINT>(MB_OK | MB_ICONSTOP), static_cast<UINT>(MB_OK)}) {
    const std::string caption = "Tidemark icon check " + std::to_string(type);
    testing::TestThread shower([&] { MessageBoxA(nullptr, "text", caption.c_str(), type); });
    HWND box = nullptr;
    testing::WaitUntil(
        [&] { return (box = FindWindowA("#32770", caption.c_str())) != nullptr && IsWindowVisible(box); }, 10000);
    if (box != nullptr) {
      EXPECT_EQ(testing::MessageBoxShowsIcon(box), (type & MB_ICONSTOP) != 0) << caption;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    shower.Join();
    ASSERT_NE(box, nullptr) << caption;
  }
}

}  // namespace
}  // namespace tidemark
