// Process entry: the command-line tail, the platform family, and the mode under the fault guard.
#include <windows.h>

#include <commctrl.h>

#include "fault_guard.h"
#include "saver_shell_win32.h"
#include "system_library.h"
#include "timer_resolution.h"

namespace vizo::win32 {

namespace {

// The platform family and what the system tells of its display; neither when the version can't be read.
void ReadWindowsVersion(shell::ShellState& state) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  if (!GetVersionExA(&version)) return;
  state.win9xFamily = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    state.displayNotices = shell::DisplayNoticesFor(version.dwMajorVersion, version.dwMinorVersion);
  }
}

}  // namespace

int SaverMain(HINSTANCE instance, const char* tail) {
  // The settings dialog's slider is a trackbar, which is registered with the bar classes.
  InitSystemCommonControls(ICC_TAB_CLASSES | ICC_BAR_CLASSES);

  shell::Shell& shell = TheShell();
  shell.state.instance = reinterpret_cast<shell::ModuleHandle>(instance);
  ReadWindowsVersion(shell.state);

  return RunGuarded([tail] { return TheShell().RunMode(tail); },
                    {.giveScreenBack =
                         [] {
                           GiveScreenBackAfterFault();
                           RestoreTimerResolution();
                           TheShell().SetSaverRunning(false);
                         },
                     .finish = WaitForSaverThreads});
}

}  // namespace vizo::win32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* tail =
      vizo::shell::CommandLineTail(GetCommandLineA(), [](const char* p) -> const char* { return CharNextA(p); });
  // Ending here skips the runtime's exit processing, static destructors included.
  ExitProcess(static_cast<UINT>(vizo::win32::SaverMain(GetModuleHandleA(nullptr), tail)));
}
