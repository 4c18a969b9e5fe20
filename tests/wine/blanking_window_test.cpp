// A blanking window, from the saver's own code: what reaches it goes to the saver window, which
// decides (the close rules, and whether the cursor shows).
#include <gtest/gtest.h>

#include <windows.h>

#include "renderer/win32/blanking_window.h"

namespace vizo::winetest {
namespace {

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
Received g_received;

// Stands in for the saver window: notes what it is sent and answers with a value of its own.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
      message == WM_MBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_SETCURSOR) {
    g_received = {message, wParam, lParam};
    return 0x1000 + static_cast<LRESULT>(message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(BlankingWindow, PassesInputAndTheCursorToTheSaverWindowAndHidesItWithout) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "RecordingSaver";
  RegisterClassA(&windowClass);
  HWND saver = CreateWindowExA(0, "RecordingSaver", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance,
                               nullptr);
  ASSERT_NE(saver, nullptr);
  HWND blanking = renderer::win32::CreateBlankingWindow({0, 0, 640, 480}, saver);
  ASSERT_NE(blanking, nullptr);
  // Shown at once, above every ordinary window, never activated: a click on it closes the saver, but
  // must not take the activation from the full-screen device's window.
  EXPECT_TRUE(IsWindowVisible(blanking));
  EXPECT_NE(GetWindowLongA(blanking, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(SendMessageA(blanking, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(blanking), MAKELPARAM(HTCLIENT, WM_XBUTTONDOWN)),
            MA_NOACTIVATE);

  const auto overBlanking = reinterpret_cast<WPARAM>(blanking);
  const LPARAM hitClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  constexpr UINT Passed[] = {WM_KEYDOWN,     WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                             WM_MBUTTONDOWN, WM_MOUSEMOVE,  WM_SETCURSOR};
  for (const UINT message : Passed) {
    g_received = {};
    EXPECT_EQ(SendMessageA(blanking, message, overBlanking, hitClient), 0x1000 + static_cast<LRESULT>(message))
        << message;
    EXPECT_EQ(g_received.message, message);
    EXPECT_EQ(g_received.wParam, overBlanking) << message;
    EXPECT_EQ(g_received.lParam, hitClient) << message;
  }

  // Once the saver window is gone, the cursor over a blanking window stays hidden.
  DestroyWindow(saver);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(SendMessageA(blanking, WM_SETCURSOR, overBlanking, hitClient), TRUE);
  EXPECT_EQ(GetCursor(), nullptr);
  DestroyWindow(blanking);
}

}  // namespace
}  // namespace vizo::winetest
