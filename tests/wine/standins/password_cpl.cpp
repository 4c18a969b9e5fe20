// Stands in for the Windows 9x password component. VerifyScreenSavePwd answers in turn with the
// digits of VIZO_PROMPT_ANSWERS ("01": refuse, then accept). Like the real prompt it runs a modal
// loop that dispatches the saver's messages; a close request is posted into it to show that the
// saver refuses closes while it asks. On a refusal a second close is left queued behind the prompt.
#include "standin_log.h"

namespace {

int g_prompts = 0;

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
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
  DispatchPending();
  const BOOL stillThere = IsWindow(saver);
  if (!answer) PostMessageA(saver, WM_CLOSE, 0, 0);

  StandinLog("prompt %d window %lu started %lu ended %lu answer %d survived-nested-close %d", index + 1,
             static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(saver)), start, GetTickCount(), answer, stillThere);
  return answer;
}
