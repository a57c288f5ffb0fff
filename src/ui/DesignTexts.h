// Texts that the windows show as designed, before anything replaces them.
#pragma once

namespace tidemark::design {

inline constexpr char kCategoryCaption[] = "검색도우미, 애드웨어 ";
inline constexpr char kNameCaption[] = "lumenseek";

// Window classes; the end-to-end driver finds the windows by them.
inline constexpr char kApplicationClass[] = "TApplication";
inline constexpr char kMainWindowClass[] = "TfRemoveApp";
inline constexpr char kAboutWindowClass[] = "TfrmAbout";
inline constexpr char kPanelClass[] = "TPanel";

// Main window.
inline constexpr char kMainCaption[] = "Tidemark";
inline constexpr char kProgramLabel[] = "프로그램 : ";
inline constexpr char kPurposeLabel[] = "애드웨어, 악성코드 제거";
inline constexpr char kCategoryLabel[] = "분 류 : ";
inline constexpr char kStartButton[] = "시작";
inline constexpr char kProgressGroup[] = "진행상황";
inline constexpr char kAboutButton[] = "About";
inline constexpr char kHomeButton[] = "홈페이지";
inline constexpr char kCloseButton[] = "종료";

// About window.
inline constexpr char kAboutCaption[] = "About";
inline constexpr char kAboutTitle[] = "Orvane Kestrelkit";
inline constexpr char kAboutBitmap[] = "ABOUTBITMAP";

// The maker's home page, opened by the Home page button and the About link.
// A fictional address under a top-level domain reserved for examples.
inline constexpr char kHomePageUrl[] = "http://orvane.example/";

}  // namespace tidemark::design
