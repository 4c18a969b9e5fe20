// Process entry: the command-line tail, the platform family, and the mode under the fault guard.
#include <windows.h>

#include <commctrl.h>

#include "fault_guard.h"
#include "saver_shell_win32.h"
#include "system_library.h"
#include "timer_resolution.h"

namespace vizo::win32 {

namespace {

bool IsWindows9xFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

}  // namespace

int SaverMain(HINSTANCE instance, const char* tail) {
  // The settings dialog's slider is a trackbar, which is registered with the bar classes.
  InitSystemCommonControls(ICC_TAB_CLASSES | ICC_BAR_CLASSES);

  shell::Shell& shell = TheShell();
  shell.state.instance = reinterpret_cast<shell::ModuleHandle>(instance);
  shell.state.win9xFamily = IsWindows9xFamily();

  return RunGuarded([tail] { return TheShell().RunMode(tail); }, [] {
    TheShell().SetSaverRunning(false);
    RestoreTimerResolution();
    WaitForSaverThreads();
  });
}

}  // namespace vizo::win32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* tail =
      vizo::shell::CommandLineTail(GetCommandLineA(), [](const char* p) -> const char* { return CharNextA(p); });
  // Ending here skips the runtime's exit processing, static destructors included.
  ExitProcess(static_cast<UINT>(vizo::win32::SaverMain(GetModuleHandleA(nullptr), tail)));
}
