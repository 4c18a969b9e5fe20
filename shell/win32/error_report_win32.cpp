#include "error_report_win32.h"

#include <windows.h>

#include <string>

#include "shell/error_report.h"
#include "shell/win32/timer_resolution.h"

namespace vizo::win32 {

namespace {

HHOOK g_raiseHook = nullptr;
HHOOK g_previewHook = nullptr;
bool g_raised = false;
HWND g_pane = nullptr;  // a preview's pane; null in every other mode
void (*g_endScene)() = nullptr;  // what the preview window's destruction would end
bool g_askedToQuit = false;
UINT_PTR g_quitTimer = 0;  // a report's quit request, not posted yet

constexpr UINT PaneCheckMs = 100;

BOOL CALLBACK FindOwnWindow(HWND child, LPARAM found) {
  if (GetWindowThreadProcessId(child, nullptr) != GetCurrentThreadId()) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

// The pane is gone, or going: destroying it destroys its child, the saver window, first.
bool PaneGone() {
  if (!IsWindow(g_pane)) return true;
  bool holdsOurs = false;
  EnumChildWindows(g_pane, FindOwnWindow, reinterpret_cast<LPARAM>(&holdsOurs));
  return !holdsOurs;
}

// Ends the process with the scene ended as the window's destruction ends it, but its windows, the
// box among them, go with the process rather than being taken down one by one (hiding a top-level
// window can wait on the desktop, up to 2 s under Wine).
[[noreturn]] void EndNow() {
  if (g_endScene) g_endScene();
  RestoreTimerResolution();
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(ReportQuitCode));
  ExitProcess(static_cast<UINT>(ReportQuitCode));  // not reached
}

void EndIfPaneGone() {
  if (g_pane && PaneGone()) EndNow();
}

// Ticks of the box's own message loop: the pane may also go without a word to its child (its
// process killed).
void CALLBACK CheckPane(HWND, UINT, UINT_PTR, DWORD) { EndIfPaneGone(); }

// A report's quit request, posted once a message loop runs again after the last report of a chain
// (the saver's own loop ends on ReportAskedToQuit before that): posted at once, it would close the
// next report's box the moment that opened. (Taking a posted request back before each box, by
// peeking for WM_QUIT alone, could spin for ever inside Wine 10 right after the box before it had
// gone.)
void CALLBACK PostReportQuit(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, g_quitTimer);
  g_quitTimer = 0;
  PostQuitMessage(ReportQuitCode);
}

// The report box, on its first activation, joins the top-most windows: the full-screen saver window
// is one of them, and a box below it would be hidden while the saver seems frozen. (MB_TOPMOST asks
// the same of Windows; Wine ignores it.)
LRESULT CALLBACK RaiseReportBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && !g_raised) {
    g_raised = true;
    SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return CallNextHookEx(g_raiseHook, code, wParam, lParam);
}

// A preview's window destroyed while a box is up: its pane is going. The process ends there, before
// the window's quit request takes the box down and the next report of the chain comes up.
LRESULT CALLBACK WatchPreviewWindow(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_DESTROY && GetParent(call->hwnd) == g_pane) EndNow();
  return CallNextHookEx(g_previewHook, code, wParam, lParam);
}

}  // namespace

shell::Language UserLanguage() { return shell::LanguageOf(GetUserDefaultUILanguage()); }

void EndReportsWithPane(HWND pane, void (*endScene)()) {
  g_pane = pane;
  g_endScene = endScene;
}

bool ReportAskedToQuit() { return g_askedToQuit; }

void ReportError(const char* sourceFile, int line) {
  // Shown through the wide call, the Japanese text reads the same whatever the system's ANSI code
  // page is.
  const std::string utf8 = shell::ErrorReportText(sourceFile, line, UserLanguage());
  std::wstring text(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), static_cast<int>(text.size()));

  // An earlier report's quit request waits until after this box, so that every report is seen.
  // Quitting is requested from now on: the saver window's own request (0, should input close it
  // under the box) gives way to it.
  if (g_quitTimer) KillTimer(nullptr, g_quitTimer);
  g_quitTimer = 0;
  g_askedToQuit = true;
  // The messages sent to this thread first (a pane being destroyed takes the saver window with it),
  // and only those: posted ones wait for the box's own loop.
  MSG sent{};
  PeekMessageW(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  EndIfPaneGone();
  // Above the top-most saver, still without an owner; a preview's, gone with its pane.
  g_raised = false;
  g_raiseHook = SetWindowsHookExW(WH_CBT, RaiseReportBox, nullptr, GetCurrentThreadId());
  UINT_PTR paneCheck = 0;
  if (g_pane) {
    g_previewHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchPreviewWindow, nullptr, GetCurrentThreadId());
    paneCheck = SetTimer(nullptr, 0, PaneCheckMs, CheckPane);
  }
  MessageBoxW(nullptr, text.c_str(), L"Error", MB_ICONWARNING | MB_TOPMOST);
  if (paneCheck) KillTimer(nullptr, paneCheck);
  for (HHOOK* hook : {&g_raiseHook, &g_previewHook}) {
    if (*hook) UnhookWindowsHookEx(*hook);
    *hook = nullptr;
  }
  // The pane's going also destroys the saver window, whose quit request can end the box early.
  EndIfPaneGone();
  g_quitTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, PostReportQuit);
  if (!g_quitTimer) PostQuitMessage(ReportQuitCode);  // no timer to be had: at once
}

}  // namespace vizo::win32
