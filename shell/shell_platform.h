// What the shell asks of the operating system. The Windows layer answers with the real calls;
// unit tests answer with a fake that records them.
#pragma once

#include <optional>

#include "display_notice.h"
#include "shell_types.h"

namespace vizo::shell {

struct SaverWindowLayout {
  std::uint32_t exStyle = 0;
  const char* title = "";
  std::uint32_t style = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  WindowHandle parent = 0;
};

class ShellPlatform {
 public:
  virtual ~ShellPlatform() = default;

  // Windows and dialogs.
  virtual bool IsWindow(WindowHandle window) = 0;
  virtual WindowHandle ForegroundWindow() = 0;
  virtual void SetForegroundWindow(WindowHandle window) = 0;
  virtual WindowHandle Parent(WindowHandle window) = 0;
  virtual int BeforeSettingsDialog() = 0;  // the program's hook; 0 cancels the dialog
  virtual int SettingsDialog(WindowHandle owner) = 0;

  // The saver window's creation and message loop.
  virtual WindowHandle FindFullScreenSaver() = 0;
  virtual ScreenRect ClientRect(WindowHandle window) = 0;
  virtual ScreenRect VirtualScreen() = 0;  // left, top, width, height as right and bottom
  virtual ScreenRect ScreenClipBox() = 0;
  virtual bool RegisterSaverClass() = 0;
  virtual WindowHandle CreateSaverWindow(const SaverWindowLayout& layout) = 0;
  // The quit code; nothing when the message queue itself failed.
  virtual std::optional<int> RunMessageLoop() = 0;
  virtual void DestroySaverWindow(WindowHandle window) = 0;
  // The code an error report asked to quit with, from the moment its box opens; nothing before any.
  virtual std::optional<int> ReportedQuitCode() = 0;
  virtual MessageId RegisterAutoPlayMessage() = 0;

  // Messages.
  virtual LResult PassToSaverWindowProc(WindowHandle w, MessageId m, WParam wp, LParam lp) = 0;
  virtual LResult PlatformDefaultProc(WindowHandle w, MessageId m, WParam wp, LParam lp) = 0;
  virtual void PostToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) = 0;
  virtual LResult SendToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) = 0;
  virtual void RemoveOnePendingTimer(WindowHandle window) = 0;
  virtual void PostQuit(int code) = 0;
  virtual void YieldTimeSlice() = 0;

  // Cursor, clock, power.
  virtual void HideCursor() = 0;
  virtual ScreenPoint CursorPos() = 0;
  virtual std::uint32_t TickCount() = 0;
  virtual std::optional<std::uint8_t> AcLineStatus() = 0;  // empty when it can't be read
  // Notices of the display's state for the window; 0 when the system has none to give.
  virtual NoticeRegistration RegisterDisplayNotices(WindowHandle window, DisplayNotices notices) = 0;
  virtual void UnregisterDisplayNotices(NoticeRegistration registration) = 0;
  // The program's frames, and its timer with them, stop while the display is dark and go on when it
  // lights.
  virtual void PauseFrames(WindowHandle window, bool paused) = 0;

  // Optional system components, reached by name.
  virtual ModuleHandle LoadModule(const char* name) = 0;
  virtual ModuleHandle LoadedModule(const char* name) = 0;  // never loads
  virtual ProcAddress FindProc(ModuleHandle module, const char* name) = 0;
  virtual void UnloadModule(ModuleHandle module) = 0;
  virtual std::int32_t CallVerifyScreenSavePwd(ProcAddress proc, WindowHandle window) = 0;
  virtual void CallPwdChangePassword(ProcAddress proc, const char* provider, WindowHandle parent) = 0;
  virtual InputContext CallImmAssociateContext(ProcAddress proc, WindowHandle window, InputContext context) = 0;

  // The password setting and the saver-running notification.
  virtual std::optional<std::uint32_t> ReadScreenSaveUsePassword() = 0;  // empty when the key or value can't be read
  virtual void NotifyScreenSaverRunning(bool running) = 0;
};

}  // namespace vizo::shell
