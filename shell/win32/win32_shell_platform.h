// ShellPlatform answered by the real Win32 calls.
#pragma once

#include "shell/shell_platform.h"

namespace vizo::win32 {

class Win32ShellPlatform final : public shell::ShellPlatform {
 public:
  bool IsWindow(shell::WindowHandle window) override;
  shell::WindowHandle ForegroundWindow() override;
  void SetForegroundWindow(shell::WindowHandle window) override;
  shell::WindowHandle Parent(shell::WindowHandle window) override;
  int BeforeSettingsDialog() override;
  int SettingsDialog(shell::WindowHandle owner) override;

  shell::WindowHandle FindFullScreenSaver() override;
  shell::ScreenRect ClientRect(shell::WindowHandle window) override;
  shell::ScreenRect VirtualScreen() override;
  shell::ScreenRect ScreenClipBox() override;
  bool RegisterSaverClass() override;
  shell::WindowHandle CreateSaverWindow(const shell::SaverWindowLayout& layout) override;
  std::optional<int> RunMessageLoop() override;
  void DestroySaverWindow(shell::WindowHandle window) override;
  std::optional<int> ReportedQuitCode() override;
  shell::MessageId RegisterAutoPlayMessage() override;

  shell::LResult PassToSaverWindowProc(shell::WindowHandle w, shell::MessageId m, shell::WParam wp,
                                       shell::LParam lp) override;
  shell::LResult PlatformDefaultProc(shell::WindowHandle w, shell::MessageId m, shell::WParam wp,
                                     shell::LParam lp) override;
  void PostToWindow(shell::WindowHandle w, shell::MessageId m, shell::WParam wp, shell::LParam lp) override;
  shell::LResult SendToWindow(shell::WindowHandle w, shell::MessageId m, shell::WParam wp, shell::LParam lp) override;
  void RemoveOnePendingTimer(shell::WindowHandle window) override;
  void PostQuit(int code) override;
  void YieldTimeSlice() override;

  void HideCursor() override;
  shell::ScreenPoint CursorPos() override;
  std::uint32_t TickCount() override;
  std::optional<std::uint8_t> AcLineStatus() override;
  shell::NoticeRegistration RegisterDisplayNotices(shell::WindowHandle window, shell::DisplayNotices notices) override;
  void UnregisterDisplayNotices(shell::NoticeRegistration registration) override;
  void PauseFrames(shell::WindowHandle window, bool paused) override;

  shell::ModuleHandle LoadModule(const char* name) override;
  shell::ModuleHandle LoadedModule(const char* name) override;
  shell::ProcAddress FindProc(shell::ModuleHandle module, const char* name) override;
  void UnloadModule(shell::ModuleHandle module) override;
  std::int32_t CallVerifyScreenSavePwd(shell::ProcAddress proc, shell::WindowHandle window) override;
  void CallPwdChangePassword(shell::ProcAddress proc, const char* provider, shell::WindowHandle parent) override;
  shell::InputContext CallImmAssociateContext(shell::ProcAddress proc, shell::WindowHandle window,
                                              shell::InputContext context) override;

  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override;
  void NotifyScreenSaverRunning(bool running) override;
};

}  // namespace vizo::win32
