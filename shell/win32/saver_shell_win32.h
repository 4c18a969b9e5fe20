// The Windows face of the shell: the procedures the window class and the program's own saver
// procedure use, over the one process-wide Shell.
#pragma once

#include <windows.h>

#include "shell/saver_shell.h"

namespace vizo::win32 {

shell::Shell& TheShell();

int SaverMain(HINSTANCE instance, const char* tail);

}  // namespace vizo::win32

// Registered with the saver window class: the first procedure of every message.
LRESULT CALLBACK SaverClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The close rules and the platform default; the program's saver procedure ends in it.
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void SetSaverRunning(bool running);

// Supplied by the program: its own saver procedure, between the two above.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Supplied by the program, for the ways out that end the process without the saver window's
// destruction: EndSaverScene ends what that destruction ends (painters, devices, the desktop's
// mode, helper threads), and may run again after it. After a fault, GiveScreenBackAfterFault puts
// the desktop's mode back and takes the saver's windows out of the way, touching no device (the
// fault may have come from one), and WaitForSaverThreads only gives the helper threads a while to
// end.
void EndSaverScene();
void GiveScreenBackAfterFault();
void WaitForSaverThreads();
// Supplied by the program: its frames, and the timer that paces them, stop while the display is
// dark and go on when it lights.
void PauseSaverFrames(HWND window, bool paused);

// Supplied by the settings dialog.
int BeforeSettingsDialog(HINSTANCE instance);
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
inline constexpr int SettingsDialogTemplate = 2003;         // Japanese
inline constexpr int EnglishSettingsDialogTemplate = 2004;  // the same controls, in English
