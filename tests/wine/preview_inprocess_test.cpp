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

TEST(PreviewInProcess, RendersWindowedAtThePanesSize) {
  g_check.pane = CreatePreviewPane("InProcessPane", 200, 150);
  ASSERT_NE(g_check.pane, nullptr);
  g_check.firstStep = renderer::OrbitStep();
  SetTimer(nullptr, 0, 50, LookAtPreview);

  // The saver's preview mode, as its entry runs it.
  win32::TheShell().state.instance = reinterpret_cast<shell::ModuleHandle>(GetModuleHandleA(nullptr));
  const std::string tail = "/p " + std::to_string(reinterpret_cast<UINT_PTR>(g_check.pane));
  EXPECT_EQ(win32::TheShell().RunMode(tail.c_str()), 0);

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

// A pane destroyed right after the reports of a failed start: the window's quit request (0) comes
// after the report's (1), before the loop takes either. (Last in this file: the report stays made.)
TEST(ReportInProcess, TheReportsQuitCodeStandsAfterTheWindowsOwn) {
  SetTimer(nullptr, 0, 50, AnswerTheReport);
  win32::ReportError("ScreenMain.cpp", 106);
  PostQuitMessage(0);
  EXPECT_EQ(win32::Win32ShellPlatform().RunMessageLoop(), 1);
}

}  // namespace
}  // namespace vizo::winetest
