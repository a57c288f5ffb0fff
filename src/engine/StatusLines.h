// The lines that the removal run and its steps post to the status list,
// exactly as the user sees them.
#pragma once

namespace tidemark::status {

inline constexpr char kRunStarted[] = "프로그램 제거를 시작합니다.";
inline constexpr char kRunCompleted[] = "프로그램 제거가 완료되었습니다.";
// In place of the completion line when a step failed, there was no script,
// or something the run meant to remove is still there and nothing will
// remove it.
inline constexpr char kRunNotCompleted[] = "프로그램 제거를 완료하지 못했습니다.";
// In place of the completion line when everything still there is scheduled
// for deletion at the next restart.
inline constexpr char kRunCompletesAtRestart[] = "컴퓨터를 다시 시작하면 프로그램 제거가 완료됩니다.";
// Before the last line, one line for each thing still there, with its name.
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

}  // namespace tidemark::status
