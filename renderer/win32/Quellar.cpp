// The program's saver procedure: the scene starts with the window, a frame is drawn on every tick
// of a 33 ms timer, the other monitors' covers follow the desktop's layout, and the first ten mouse
// moves are swallowed (a window appearing under the cursor produces a few that the user never made).
#include <windows.h>

#include "renderer/win32/ScreenMain.h"
#include "shell/win32/error_report_win32.h"
#include "shell/win32/fault_guard.h"
#include "shell/win32/saver_shell_win32.h"
#include "shell/win32/timer_resolution.h"

// The numbers of the procedure's error reports.
namespace vizo::reports::Quellar {
inline constexpr int NoScene = 73, NoFireworks = 74;
}  // namespace vizo::reports::Quellar

namespace {

constexpr UINT_PTR FrameTimer = 1;
constexpr UINT FrameIntervalMs = 33;

bool g_ready = false;       // guards a frame against a tick from a nested message loop
int g_mouseCountdown = 10;  // never re-armed

// The frame timer runs while the display is lit. A full-screen saver raises the system's tick, at
// which alone the timer keeps its 33 ms; not the preview: before Windows 10 2004 the tick is the
// whole machine's, and the display settings keep the preview running as long as they are open.
void StartFrameTimer(HWND window) {
  if (vizo::win32::TheShell().state.displayDark) return;
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) vizo::win32::RaiseTimerResolution();
  SetTimer(window, FrameTimer, FrameIntervalMs, nullptr);
}

void StopFrameTimer(HWND window) {
  KillTimer(window, FrameTimer);
  vizo::win32::RestoreTimerResolution();
}

void StartScene(HWND window) {
  // Inside the window's creation, which the system calls: a fault making the devices (a driver's
  // crash) would be swallowed there and leave a black screen that nothing ends.
  const vizo::win32::FaultFrame frame;
  auto& owner = vizo::renderer::win32::TheScreenMain();
  if (!owner.InitDevice(window)) {
    vizo::win32::ReportError(__FILE__, vizo::reports::Quellar::NoScene);
  } else if (!owner.InitPainter()) {
    vizo::win32::ReportError(__FILE__, vizo::reports::Quellar::NoFireworks);
  }
  g_ready = true;
}

}  // namespace

void EndSaverScene() { vizo::renderer::win32::TheScreenMain().End(); }

void GiveScreenBackAfterFault() { vizo::renderer::win32::TheScreenMain().graphics.GiveScreenBack(); }

// A dark display wakes nothing: the timer goes, and the system's tick is given back, until it lights.
// The animation goes on from the frame where it stopped.
void PauseSaverFrames(HWND window, bool paused) {
  if (paused) {
    StopFrameTimer(window);
  } else {
    StartFrameTimer(window);
  }
}

void WaitForSaverThreads() {
  // Long enough for the images of the slowest machine; a thread stuck behind the fault is left.
  constexpr DWORD ImagesMs = 2000;
  vizo::renderer::win32::TheScreenMain().painter.WaitForImages(ImagesMs);
}

LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // Before the scene: a close under a report box of its start, or a dark display meanwhile,
      // then stops it as it stops a running one.
      StartFrameTimer(window);
      StartScene(window);
      // The first frame as soon as the message loop runs, not a whole interval after it.
      PostMessageA(window, WM_TIMER, FrameTimer, 0);
      break;
    case WM_DESTROY:
      StopFrameTimer(window);
      vizo::renderer::win32::TheScreenMain().End();  // the devices and the other monitors go with the saver
      break;
    case WM_DISPLAYCHANGE:
      vizo::renderer::win32::TheScreenMain().FollowLayout();
      break;
    case WM_TIMER:
      if (g_ready) {
        g_ready = false;
        vizo::renderer::win32::TheScreenMain().RenderFrame();
        g_ready = true;
      }
      break;
    case WM_MOUSEMOVE:
      if (g_mouseCountdown != 0) {
        --g_mouseCountdown;
        return 0;
      }
      break;
    default:
      break;
  }
  return DefaultSaverProc(window, message, wParam, lParam);
}
