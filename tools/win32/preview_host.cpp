// Plays the display settings' preview pane: a window with a 152 x 112 client area that runs
//   preview_host SAVER [SECONDS]
// as "SAVER /p <window>" inside it, until the window is closed or SECONDS have passed.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int PaneWidth = 152;
constexpr int PaneHeight = 112;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const DWORD limitMs = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) * 1000u : INFINITE;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "VizoPreviewHost";
  RegisterClassA(&windowClass);
  RECT frame{0, 0, PaneWidth, PaneHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  AdjustWindowRect(&frame, style, FALSE);
  HWND host = CreateWindowExA(0, "VizoPreviewHost", "Preview", style, 40, 40, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!host) return 1;

  std::string commandLine = std::string("\"") + argv[1] + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(host));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver{};
  if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &saver)) {
    return 1;
  }

  // The saver's window is our child, so keep our messages flowing while it runs.
  const DWORD start = GetTickCount();
  bool hosting = true;
  while (hosting) {
    MSG message;
    while (hosting && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      hosting = message.message != WM_QUIT;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (limitMs != INFINITE && GetTickCount() - start >= limitMs) hosting = false;
    if (MsgWaitForMultipleObjects(1, &saver.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) hosting = false;
  }
  if (IsWindow(host)) DestroyWindow(host);  // the preview ends with its host
  WaitForSingleObject(saver.hProcess, 5000);
  DWORD exitCode = 0;
  GetExitCodeProcess(saver.hProcess, &exitCode);
  CloseHandle(saver.hThread);
  CloseHandle(saver.hProcess);
  return static_cast<int>(exitCode);
}
