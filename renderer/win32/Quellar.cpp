// The program's saver procedure. The scene is not drawn yet, so every message goes on to the
// close rules and the saver is plain black (the class brush).
#include "shell/win32/saver_shell_win32.h"

LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultSaverProc(window, message, wParam, lParam);
}
