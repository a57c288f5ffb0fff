// The texts the user sees, written out here as the tests expect them (UTF-8
// source, code page 949 in the binaries), never taken from the program's own
// constants: a slip in a program text must fail a test.
#pragma once

namespace tidemark::expected {

// The status list.
inline constexpr char kRunStarted[] = "프로그램 제거를 시작합니다.";
inline constexpr char kRunCompleted[] = "프로그램 제거가 완료되었습니다.";
inline constexpr char kRunNotCompleted[] = "프로그램 제거를 완료하지 못했습니다.";
inline constexpr char kRunCompletesAtRestart[] = "컴퓨터를 다시 시작하면 프로그램 제거가 완료됩니다.";
inline constexpr char kRemovedAtRestart[] = "다시 시작할 때 제거됩니다: ";
inline constexpr char kNotRemoved[] = "제거하지 못했습니다: ";
inline constexpr char kKillProcesses[] = "실행중인 프로세스를 종료합니다.";
inline constexpr char kRemoveServices[] = "윈도우즈 서비스를 제거합니다.";
inline constexpr char kServiceStopFailed[] = "서비스 중지에 실패하였습니다.";
inline constexpr char kRemoveBhos[] = "BHO 등록정보를 제거합니다.";
inline constexpr char kRemoveStartupEntries[] = "시작 프로그램 정보를 제거합니다.";
inline constexpr char kRemoveUninstallEntries[] = "제어판 프로그램 추가/삭제에서 설치정보를 제거합니다.";
inline constexpr char kRemoveRegistryKeys[] = "레지스트리 정보를 제거합니다.";
inline constexpr char kRemoveFiles[] = "파일을 제거합니다.";
inline constexpr char kRestoreRegistry[] = "레지스트리 정보를 복구합니다.";

// The registry keys of the start-up and Uninstall entries, below either root.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The service step's pause between stopping and deleting a service.
inline constexpr int kServiceStopPauseMs = 2000;

// The main window.
inline constexpr char kMainCaption[] = "Tidemark";
inline constexpr char kProgramLabel[] = "프로그램 : ";
inline constexpr char kPurposeLabel[] = "애드웨어, 악성코드 제거";
inline constexpr char kCategoryLabel[] = "분 류 : ";
inline constexpr char kCategoryCaption[] = "검색도우미, 애드웨어 ";
inline constexpr char kNameCaption[] = "lumenseek";
inline constexpr char kStartButton[] = "시작";
inline constexpr char kAboutButton[] = "About";
inline constexpr char kHomeButton[] = "홈페이지";
inline constexpr char kCloseButton[] = "종료";
inline constexpr char kProgressGroup[] = "진행상황";

// The About window and the credit box.
inline constexpr char kAboutCaption[] = "About";
inline constexpr char kAboutTitle[] = "Orvane Kestrelkit";
inline constexpr char kHomePageUrl[] = "http://orvane.example/";
inline constexpr char kCreditMessage[] = "개발자 : Nelvo";
inline constexpr char kCreditButton[] = "OK";

}  // namespace tidemark::expected
