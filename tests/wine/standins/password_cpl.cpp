// Stands in for the Windows 9x password component. VerifyScreenSavePwd answers in turn with the
// digits of VIZO_PROMPT_ANSWERS ("01": refuse, then accept). Like the real prompt it runs a modal
// loop that dispatches the saver's messages; a close request is posted into it to show that the
// saver refuses closes while it asks. On a refusal a second close is left queued behind the prompt.
#include "standin_log.h"

namespace {

int g_prompts = 0;

constexpr UINT PromptMarker = WM_APP + 0x5A5;

// Dispatches the saver's messages up to a marker posted behind what is queued now. Not until the
// queue is empty: while input keeps coming and each frame takes longer than the frame timer (a
// busy machine), it never is, and the prompt would never end.
void DispatchQueued() {
  PostThreadMessageA(GetCurrentThreadId(), PromptMarker, 0, 0);
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // the saver's own loop must see it
    if (got <= 0 || (message.hwnd == nullptr && message.message == PromptMarker)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND saver) {
  char answers[64] = {};
  GetEnvironmentVariableA("VIZO_PROMPT_ANSWERS", answers, sizeof answers);
  const int index = g_prompts++;
  const BOOL answer = answers[index] == '1';
  const DWORD start = GetTickCount();

  PostMessageA(saver, WM_CLOSE, 0, 0);
  DispatchQueued();
  const BOOL stillThere = IsWindow(saver);
  if (!answer) PostMessageA(saver, WM_CLOSE, 0, 0);

  StandinLog("prompt %d window %lu started %lu ended %lu answer %d survived-nested-close %d", index + 1,
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(saver)), start, GetTickCount(), answer, stillThere);
  return answer;
}
