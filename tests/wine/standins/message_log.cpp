// A test-only hook library: the Windows tests hook the saver's thread with it, so that every message
// its windows receive (posted ones as they are taken from the queue, sent ones as they are handed to
// a window procedure) is written to VIZO_STANDIN_LOG, with the cursor position at that moment, which
// is what the close rules read. What was sent to the saver is no evidence of what it received: X and
// Wine merge, drop and add pointer moves.
//
// Line: "msg <how> <class> <window> <message> <wParam> <cursor x> <cursor y>", how = "got" or "sent".
#include <windows.h>

#include "standin_log.h"

namespace {

// What the tests read: creation and destruction, closing, input, activation and power. Not the
// frame ticks and paints, which would make the log grow by thirty lines a second.
bool Logged(UINT message) {
  switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_ACTIVATEAPP:
    case WM_MOUSEACTIVATE:
    case WM_POWERBROADCAST:
    case WM_SYSCOMMAND:
      return true;
    default:
      return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
  }
}

void LogMessage(const char* how, HWND window, UINT message, WPARAM wParam) {
  if (!window || !Logged(message)) return;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  POINT cursor{};
  GetCursorPos(&cursor);
  StandinLog("msg %s %s %p 0x%04x 0x%lx %ld %ld", how, className[0] ? className : "-", static_cast<void*>(window),
             message, static_cast<unsigned long>(wParam), cursor.x, cursor.y);
}

}  // namespace

extern "C" {

__declspec(dllexport) LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM message) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    const auto& got = *reinterpret_cast<const MSG*>(message);
    LogMessage("got", got.hwnd, got.message, got.wParam);
  }
  return CallNextHookEx(nullptr, code, removal, message);
}

__declspec(dllexport) LRESULT CALLBACK SentMessageHook(int code, WPARAM fromThisThread, LPARAM message) {
  if (code == HC_ACTION) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(message);
    LogMessage("sent", sent.hwnd, sent.message, sent.wParam);
  }
  return CallNextHookEx(nullptr, code, fromThisThread, message);
}

}  // extern "C"
