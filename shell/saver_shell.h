// The screen-saver shell: mode selection, the saver window and its close rules, decided here and
// carried out through ShellPlatform.
#pragma once

#include "shell_platform.h"
#include "shell_state.h"

namespace vizo::shell {

// Steps one character forward, double-byte characters included (CharNextA on Windows).
using CharStepper = const char* (*)(const char*);

// The command line behind the program path and the blanks that follow it; read in place.
const char* CommandLineTail(const char* commandLine, CharStepper next);

// The decimal number at text, wrapping modulo 2^32; 0 when text does not start with a digit.
std::uint32_t ParseWindowHandle(const char* text);

struct Shell {
  ShellState state;
  ShellPlatform& os;

  explicit Shell(ShellPlatform& platform) : os(platform) {}

  // Picks the mode from the first letter of the tail and runs it; the result is the exit code.
  int RunMode(const char* tail);
  int ShowSettingsDialog(WindowHandle owner);
  void ChangeSaverPassword(WindowHandle parent);

  // Creates the saver window (full screen when parent is 0) and pumps messages until it is gone.
  int RunSaverWindow(WindowHandle parent);
  void LoadPasswordVerifier();
  void UnloadPasswordVerifier();
  void SetSaverRunning(bool running);

  // The first and last procedures of every saver-window message; the program's own procedure runs
  // between them.
  LResult SaverClassProc(WindowHandle window, MessageId message, WParam wParam, LParam lParam);
  LResult DefaultSaverProc(WindowHandle window, MessageId message, WParam wParam, LParam lParam);
  bool VerifyClose(WindowHandle window);

 private:
  void PostClose(WindowHandle window) { os.PostToWindow(window, msg::Close, 0, 0); }
  bool MouseTravelCloses();
  void FollowDisplay(WindowHandle window, LParam notice);
  bool PowerBroadcastCloses(WParam event, LParam flags);
  LResult DefaultTail(WindowHandle window, MessageId message, WParam wParam, LParam lParam);
};

}  // namespace vizo::shell
