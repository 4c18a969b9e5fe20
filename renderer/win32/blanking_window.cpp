#include "blanking_window.h"

#include "shell/win32/fault_guard.h"

namespace vizo::renderer::win32 {

namespace {

constexpr char BlankingClassName[] = "vizovizoBlanking";
constexpr LONG_PTR SaverWindowSlot = 0;

LRESULT CALLBACK BlankingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return vizo::win32::CallbackBody([&]() -> LRESULT {
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_MOUSEMOVE:
      case WM_SETCURSOR: {
        // The close rules measure mouse travel from the cursor position, not from lParam, so the
        // message needs no translation into the saver window's coordinates. The saver window also
        // decides the cursor: hidden, but shown while a password prompt is up.
        const auto saver = reinterpret_cast<HWND>(GetWindowLongPtrA(window, SaverWindowSlot));
        if (IsWindow(saver)) return SendMessageA(saver, message, wParam, lParam);
        if (message != WM_SETCURSOR) return 0;
        SetCursor(nullptr);
        return TRUE;
      }
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // the click still arrives, and closes
      default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
  });
}

bool RegisterBlankingClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = BlankingWindowProc;
  windowClass.cbWndExtra = sizeof(LONG_PTR);
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = BlankingClassName;
  return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateBlankingWindow(const RECT& r, HWND saverWindow) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterBlankingClass(instance)) return nullptr;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, BlankingClassName, "", WS_POPUP, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  SetWindowLongPtrA(window, SaverWindowSlot, reinterpret_cast<LONG_PTR>(saverWindow));
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

void MoveBlankingWindow(HWND window, const RECT& r) {
  SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

}  // namespace vizo::renderer::win32
