#include <cstdlib>

#include "saver_shell.h"

namespace vizo::shell {

LResult Shell::SaverClassProc(WindowHandle window, MessageId message, WParam wParam, LParam lParam) {
  switch (message) {
    case msg::Create: {
      // Detach the input method so that key presses reach the close rules instead of an IME
      // window; only if the process already has it loaded.
      state.imeModule = os.LoadedModule("IMM32.DLL");
      if (state.imeModule != 0) {
        state.associateContext = os.FindProc(state.imeModule, "ImmAssociateContext");
        if (state.associateContext != 0) {
          state.savedInputContext = os.CallImmAssociateContext(state.associateContext, window, 0);
        }
      }
      state.anchorCursor = os.CursorPos();
      if (!state.previewMode) {
        os.HideCursor();
        // Only a full-screen saver stops drawing with the display: a preview is seen on a lit one.
        if (state.displayNotices != DisplayNotices::None) {
          state.displayRegistration = os.RegisterDisplayNotices(window, state.displayNotices);
        }
      }
      break;
    }
    case msg::Destroy:
      if (state.imeModule != 0 && state.associateContext != 0 && state.savedInputContext != 0) {
        os.CallImmAssociateContext(state.associateContext, window, state.savedInputContext);
      }
      if (state.displayRegistration != 0) {
        os.UnregisterDisplayNotices(state.displayRegistration);
        state.displayRegistration = 0;
      }
      // A report's request stands: a 0 in the queue would also end the report boxes still to come.
      if (!os.ReportedQuitCode()) os.PostQuit(0);
      break;
    case msg::SetText:
      return 0;  // the title never changes
    case msg::Paint:
      if (state.closeGranted) return os.PlatformDefaultProc(window, message, wParam, lParam);
      if (!state.previewMode) os.HideCursor();
      break;
    case msg::Help:
    case msg::ContextMenu:
      if (state.previewMode) {
        // The preview's help belongs to the display settings that host it.
        const WindowHandle parent = os.Parent(window);
        if (parent != 0 && os.IsWindow(parent)) os.PostToWindow(parent, message, parent, lParam);
        return 1;
      }
      break;
    case msg::KeyDown:
    case msg::SysKeyDown:
    case msg::MouseMove:
    case msg::LButtonDown:
    case msg::RButtonDown:
    case msg::MButtonDown:
      if (state.closeGranted) return os.PlatformDefaultProc(window, message, wParam, lParam);
      break;
    case msg::SysCommand:
      if (state.previewMode) break;
      switch (wParam) {
        case syscmd::NextWindow:
        case syscmd::PrevWindow:
        case syscmd::ScreenSave:
          return 0;
        case syscmd::MonitorPower:
          PostClose(window);
          break;
        default:
          break;
      }
      break;
    case msg::PowerBroadcast:
      if (wParam == pbt::PowerSettingChange && !state.previewMode) FollowDisplay(window, lParam);
      break;
    case msg::Timer:
      // No more frames once closing, nor while the display is dark (a tick may still be queued).
      if (state.closeGranted || state.displayDark) return 0;
      os.YieldTimeSlice();
      break;
    default:
      break;
  }
  return os.PassToSaverWindowProc(window, message, wParam, lParam);
}

LResult Shell::DefaultSaverProc(WindowHandle window, MessageId message, WParam wParam, LParam lParam) {
  // A preview never closes on its own: its parent destroys it.
  if (state.previewMode || state.closeGranted) return DefaultTail(window, message, wParam, lParam);

  if (message == msg::Close) {
    if (state.win9xFamily && !VerifyClose(window)) {
      state.anchorCursor = os.CursorPos();  // the travel that asked to close does not count again
      return 0;
    }
    return DefaultTail(window, message, wParam, lParam);
  }
  if (message == msg::VerifyRequest && state.win9xFamily) {
    return state.verifyPassword != 0 ? os.CallVerifyScreenSavePwd(state.verifyPassword, window) : 1;
  }
  if (state.verifying) return DefaultTail(window, message, wParam, lParam);

  switch (message) {
    case msg::KeyDown:
    case msg::SysKeyDown:
    case msg::LButtonDown:
    case msg::RButtonDown:
    case msg::MButtonDown:
      PostClose(window);
      break;
    case msg::ShowWindow:
      if (wParam != 0) os.HideCursor();
      break;
    case msg::ActivateApp:
      if (wParam == 0) PostClose(window);
      break;
    case msg::SetCursor:
      os.HideCursor();
      return 1;
    case msg::Power:
      if (wParam == PowerCriticalResume) PostClose(window);
      break;
    case msg::MouseMove:
      if (MouseTravelCloses()) PostClose(window);
      break;
    case msg::PowerBroadcast:
      if (PowerBroadcastCloses(wParam, lParam)) PostClose(window);
      break;
    default:
      break;
  }
  return DefaultTail(window, message, wParam, lParam);
}

bool Shell::MouseTravelCloses() {
  // Measured from the anchor, not from the previous message, so slow drift adds up.
  const ScreenPoint now = os.CursorPos();
  const auto dx = static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(now.x) - state.anchorCursor.x));
  const auto dy = static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(now.y) - state.anchorCursor.y));
  if (dx + dy <= MouseMoveThreshold) return false;
  state.anchorCursor = now;
  return true;
}

void Shell::FollowDisplay(WindowHandle window, LParam notice) {
  // lParam points at the notice in this process; whatever it says that names no state changes nothing.
  const std::optional<DisplayState> display = ReadDisplayNotice(reinterpret_cast<const void*>(notice));
  if (!display) return;
  const bool dark = *display == DisplayState::Off;
  if (dark == state.displayDark) return;
  state.displayDark = dark;
  os.PauseFrames(window, dark);
}

bool Shell::PowerBroadcastCloses(WParam event, LParam flags) {
  switch (event) {
    case pbt::PowerSettingChange:
      // Sent only to a window that registered, one at once with the display's state and one at each
      // change: the display going dark pauses the frames rather than ending the saver.
      return false;
    case pbt::ResumeCritical:
    case pbt::ResumeSuspend:
    case pbt::ResumeStandby:
    case pbt::ResumeAutomatic:
      return (flags & pbt::ResumeFromFailure) == 0;
    case pbt::PowerStatusChange: {
      const std::uint8_t status = os.AcLineStatus().value_or(AcLineUnknown);
      const bool changed = status != state.acLineStatus;
      state.acLineStatus = status;
      return changed;
    }
    default:
      return true;  // every query, suspend and unknown event ends the saver
  }
}

LResult Shell::DefaultTail(WindowHandle window, MessageId message, WParam wParam, LParam lParam) {
  if (state.autoPlayMessage != 0 && message == state.autoPlayMessage) {
    PostClose(window);
    // Cancel AutoPlay only while the saver is password-protected.
    return state.verifyPassword != 0 ? 1 : 0;
  }
  return os.PlatformDefaultProc(window, message, wParam, lParam);
}

bool Shell::VerifyClose(WindowHandle window) {
  if (state.verifying || state.closeGranted) return false;
  if (state.verifyPassword == 0) {
    state.closeGranted = true;
    return true;
  }
  const std::uint32_t now = os.TickCount();
  if (state.lastVerifyTime != NoVerifyYet && now - state.lastVerifyTime < VerifyRetryInterval) return false;

  state.verifying = true;
  os.RemoveOnePendingTimer(window);
  os.RemoveOnePendingTimer(window);
  const LResult answer = os.SendToWindow(window, msg::VerifyRequest, 0, 0);
  state.closeGranted = answer != 0;
  state.verifying = false;
  if (!state.closeGranted) os.HideCursor();
  state.lastVerifyTime = os.TickCount();
  return state.closeGranted;
}

}  // namespace vizo::shell
