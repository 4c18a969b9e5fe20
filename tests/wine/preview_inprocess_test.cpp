// The preview, run from the saver's own code inside this test program: a timer of the test's
// fires inside the saver's message loop, between frames, and looks at the preview's device there.
// (Wine does not put what Direct3D draws into a child window on the screen, so a frame is read
// back from the device instead.)
#include <gtest/gtest.h>

#include "harness.h"

#include <d3d9.h>

#include <string>

#include "device_helpers.h"
#include "renderer/orbit_camera.h"
#include "renderer/win32/ScreenMain.h"
#include "renderer/win32/cameraObject.h"
#include "shell/win32/error_report_win32.h"
#include "shell/win32/saver_shell_win32.h"
#include "shell/win32/win32_shell_platform.h"

namespace vizo::winetest {
namespace {

struct PreviewCheck {
  HWND pane = nullptr;
  bool frameQueuedAtCreation = false;
  std::int32_t firstStep = 0;
  bool checked = false;
  D3DPRESENT_PARAMETERS parameters{};
  int lit = 0;
  int ticks = 0;
};
PreviewCheck g_check;

// Runs on the saver's thread, inside its message loop.
void CALLBACK LookAtPreview(HWND, UINT, UINT_PTR timer, DWORD) {
  ++g_check.ticks;
  IDirect3DDevice9* device = renderer::win32::TheScreenMain().graphics.Device();
  // Wait for a few frames, or give up after a while and let the assertions say why.
  if (device && renderer::OrbitStep() - g_check.firstStep < 10 && g_check.ticks < 200) return;
  KillTimer(nullptr, timer);
  if (device) {
    IDirect3DSwapChain9* chain = nullptr;
    if (SUCCEEDED(device->GetSwapChain(0, &chain))) {
      chain->GetPresentParameters(&g_check.parameters);
      chain->Release();
    }
    // What a frame leaves in the back buffer is gone after the present, so draw one more the way
    // the saver does, on its device, and read it before presenting.
    auto& owner = renderer::win32::TheScreenMain();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    owner.scene.camera.Update();
    renderer::win32::ApplyCamera(device, owner.scene.camera);
    owner.painter.Begin(owner.scene.camera);
    for (int i = 0; i < 1000; ++i) owner.painter.Draw(device, owner.scene.settings.spacing, i);
    owner.painter.End();
    device->EndScene();
    const gfx::Image frame = ReadBackFrame(device, 152, 112);
    SaveArtifact({frame.width, frame.height, frame.pixels}, "preview-frame");
    for (const auto p : frame.pixels) g_check.lit += p != 0 ? 1 : 0;
  }
  g_check.checked = true;
  DestroyWindow(g_check.pane);  // the preview ends with its pane
}

// As the saver window's creation returns: its first frame is already queued, not a whole timer
// interval away.
LRESULT CALLBACK AfterCreation(int code, WPARAM wParam, LPARAM lParam) {
  const auto& returned = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  char className[64] = {};
  if (code == HC_ACTION && returned.message == WM_CREATE && GetClassNameA(returned.hwnd, className, sizeof className) &&
      lstrcmpA(className, "WindowsScreenSaverClass") == 0) {
    MSG queued{};
    g_check.frameQueuedAtCreation =
        PeekMessageA(&queued, returned.hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE | PM_NOYIELD) && queued.wParam == 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(PreviewInProcess, RendersWindowedAtThePanesSize) {
  g_check.pane = CreatePreviewPane("InProcessPane", 200, 150);
  ASSERT_NE(g_check.pane, nullptr);
  g_check.firstStep = renderer::OrbitStep();
  SetTimer(nullptr, 0, 50, LookAtPreview);
  HHOOK creation = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterCreation, nullptr, GetCurrentThreadId());

  // The saver's preview mode, as its entry runs it.
  win32::TheShell().state.instance = reinterpret_cast<shell::ModuleHandle>(GetModuleHandleA(nullptr));
  const std::string tail = "/p " + std::to_string(reinterpret_cast<UINT_PTR>(g_check.pane));
  EXPECT_EQ(win32::TheShell().RunMode(tail.c_str()), 0);
  UnhookWindowsHookEx(creation);

  EXPECT_TRUE(g_check.frameQueuedAtCreation);
  ASSERT_TRUE(g_check.checked);
  EXPECT_GE(renderer::OrbitStep() - g_check.firstStep, 10) << "frames drawn";
  EXPECT_TRUE(g_check.parameters.Windowed);
  EXPECT_EQ(g_check.parameters.BackBufferWidth, 152u);
  EXPECT_EQ(g_check.parameters.BackBufferHeight, 112u);
  EXPECT_GT(g_check.lit, 20) << "no fireworks in the preview's frame";
}

void CALLBACK AnswerTheReport(HWND, UINT, UINT_PTR timer, DWORD) {
  for (HWND box : ProcessWindows(GetCurrentProcessId(), "#32770", "Error")) {
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
}

int g_dispatchedAfterTheReport = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++g_dispatchedAfterTheReport;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Once a report has been answered, the loop ends with its 1 and dispatches nothing more: not the
// window's own quit request (a pane destroyed right after the reports of a failed start posts its 0
// after the report's 1), nor what was queued under the box (frame ticks, input).
// (Last in this file: the report stays made.)
TEST(ReportInProcess, TheReportsQuitCodeStandsAndNothingMoreIsDispatched) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QueuedUnderTheBox";
  RegisterClassA(&windowClass);
  HWND queued = CreateWindowExA(0, "QueuedUnderTheBox", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(queued, nullptr);
  for (const bool windowsOwnQuit : {true, false}) {
    SCOPED_TRACE(windowsOwnQuit ? "the window's quit request" : "a message queued after the box");
    g_dispatchedAfterTheReport = 0;
    const UINT_PTR answering = SetTimer(nullptr, 0, 50, AnswerTheReport);
    win32::ReportError("ScreenMain.cpp", 106);
    KillTimer(nullptr, answering);
    if (windowsOwnQuit) {
      PostQuitMessage(0);
    } else {
      PostMessageA(queued, WM_APP, 0, 0);
    }
    EXPECT_EQ(win32::Win32ShellPlatform().RunMessageLoop(), 1);
    EXPECT_EQ(g_dispatchedAfterTheReport, 0);
  }
  DestroyWindow(queued);
}

}  // namespace
}  // namespace vizo::winetest
