// The settings dialog. Its template and controls are not built yet: DialogBoxParamA fails without
// template 2003, and the settings mode ends with that failure value.
#include "shell/win32/saver_shell_win32.h"

int BeforeSettingsDialog(HINSTANCE) { return 1; }

INT_PTR CALLBACK SettingsDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
