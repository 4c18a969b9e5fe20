#include "saver_shell.h"

namespace vizo::shell {

int Shell::RunSaverWindow(WindowHandle parent) {
  SaverWindowLayout layout;
  if (parent != 0) {
    const ScreenRect client = os.ClientRect(parent);
    layout = {.title = PreviewTitle,
              .style = style::Preview,
              .width = client.right,
              .height = client.bottom,
              .parent = parent};
    state.previewMode = true;
  } else {
    const WindowHandle running = os.FindFullScreenSaver();
    if (running != 0 && os.IsWindow(running)) {
      os.SetForegroundWindow(running);
      return 0;
    }
    ScreenRect screen = os.VirtualScreen();
    if (screen.right == 0 || screen.bottom == 0) {
      const ScreenRect clip = os.ScreenClipBox();
      screen = {clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top};
    }
    layout = {.exStyle = style::FullScreenEx,
              .title = FullScreenTitle,
              .style = style::FullScreen,
              .x = screen.left,
              .y = screen.top,
              .width = screen.right,
              .height = screen.bottom};
    state.acLineStatus = os.AcLineStatus().value_or(AcLineUnknown);
    LoadPasswordVerifier();
  }
  state.autoPlayMessage = state.win9xFamily ? os.RegisterAutoPlayMessage() : 0;

  if (os.RegisterSaverClass()) state.saverWindow = os.CreateSaverWindow(layout);

  int quitCode = 0;
  if (state.saverWindow != 0) {
    if (!state.previewMode) os.SetForegroundWindow(state.saverWindow);
    // A broken queue must not look like a normal close.
    quitCode = os.RunMessageLoop().value_or(BrokenLoopExitCode);
    // A report, or a broken queue, ends the loop with the window still there: it goes as a close
    // takes it, and its scene with it (devices, the desktop's mode, helper threads).
    if (os.IsWindow(state.saverWindow)) os.DestroySaverWindow(state.saverWindow);
  } else {
    // Never made, or gone while its failed start was being reported (input closed it under the
    // box): a failure either way, the report's code if one asked.
    quitCode = os.ReportedQuitCode().value_or(NoWindowExitCode);
  }
  UnloadPasswordVerifier();
  return quitCode;
}

void Shell::LoadPasswordVerifier() {
  if (!state.win9xFamily) return;
  if (state.verifierModule != 0) UnloadPasswordVerifier();
  const std::optional<std::uint32_t> usePassword = os.ReadScreenSaveUsePassword();
  if (!usePassword || *usePassword == 0) return;
  state.verifierModule = os.LoadModule("PASSWORD.CPL");
  if (state.verifierModule == 0) return;
  state.verifyPassword = os.FindProc(state.verifierModule, "VerifyScreenSavePwd");
  if (state.verifyPassword != 0) {
    SetSaverRunning(true);
  } else {
    UnloadPasswordVerifier();
  }
}

void Shell::UnloadPasswordVerifier() {
  if (!state.win9xFamily || state.verifierModule == 0) return;
  os.UnloadModule(state.verifierModule);
  state.verifierModule = 0;
  if (state.verifyPassword != 0) {
    state.verifyPassword = 0;
    SetSaverRunning(false);
  }
}

void Shell::SetSaverRunning(bool running) {
  if (state.win9xFamily) os.NotifyScreenSaverRunning(running);
}

}  // namespace vizo::shell
