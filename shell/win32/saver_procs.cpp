// The shell's window procedures and the process-wide Shell they share.
#include <windows.h>

#include "fault_guard.h"
#include "saver_shell_win32.h"
#include "win32_shell_platform.h"

namespace vizo::win32 {

shell::Shell& TheShell() {
  struct Instance {
    Win32ShellPlatform platform;
    shell::Shell shell{platform};
  };
  static Instance instance;
  return instance.shell;
}

}  // namespace vizo::win32

namespace {

vizo::shell::WindowHandle ToHandle(HWND window) { return reinterpret_cast<vizo::shell::WindowHandle>(window); }

}  // namespace

LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vizo::win32::CallbackBody(
      [&] { return vizo::win32::TheShell().SaverClassProc(ToHandle(window), message, wParam, lParam); });
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vizo::win32::TheShell().DefaultSaverProc(ToHandle(window), message, wParam, lParam);
}

void SetSaverRunning(bool running) { vizo::win32::TheShell().SetSaverRunning(running); }
