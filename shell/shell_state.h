// The shell's one process-wide record.
#pragma once

#include "display_notice.h"
#include "shell_types.h"

namespace vizo::shell {

inline constexpr std::uint32_t MouseMoveThreshold = 4;
inline constexpr std::uint32_t VerifyRetryInterval = 200;  // milliseconds
inline constexpr std::uint32_t NoVerifyYet = 0xFFFFFFFF;
inline constexpr std::uint8_t AcLineUnknown = 255;
inline constexpr int BrokenLoopExitCode = -1;
inline constexpr int NoWindowExitCode = 1;  // the saver window could not be made

struct ShellState {
  ModuleHandle instance = 0;
  bool win9xFamily = false;
  WindowHandle saverWindow = 0;
  bool previewMode = false;
  bool closeGranted = false;  // never cleared once set
  bool verifying = false;
  ModuleHandle verifierModule = 0;
  ProcAddress verifyPassword = 0;
  MessageId autoPlayMessage = 0;
  ModuleHandle imeModule = 0;
  ProcAddress associateContext = 0;
  InputContext savedInputContext = 0;
  std::uint32_t lastVerifyTime = NoVerifyYet;
  std::uint8_t acLineStatus = AcLineUnknown;
  ScreenPoint anchorCursor;
  DisplayNotices displayNotices = DisplayNotices::None;  // what this Windows tells of its display
  NoticeRegistration displayRegistration = 0;           // the full-screen window's, while it lives
  bool displayDark = false;                              // no frames until it lights again
};

}  // namespace vizo::shell
