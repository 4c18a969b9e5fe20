// The system libraries the saver uses beyond those Windows protects (its known DLLs): Direct3D 9,
// the multimedia timer, the common controls and the Windows 9x password components. Each is loaded
// from the system folder by its full path, never found by name, so that a same-named file beside
// the saver (a Downloads folder) or in the current folder is never run.
#pragma once

#include <windows.h>

struct IDirect3D9;

namespace vizo::win32 {

// The named library from the system folder, or nullptr when it isn't there (no loader box).
// Its own imports are searched for in the system folder first.
HMODULE LoadSystemLibrary(const char* name);

// An entry of a system library, which stays loaded for the process; nullptr when either is missing.
// The first call (during start-up, for the desktop's size) also takes the saver's folder and the
// current folder out of every later search by name, where the system can: the system folder alone
// (Windows 8, or Vista and 7 with the loader update), else without the current folder (XP SP1 on).
FARPROC SystemEntry(const char* library, const char* entry);

// Direct3DCreate9 of the system's d3d9.dll; nullptr when there is none.
IDirect3D9* CreateDirect3D9();

// timeGetTime of the system's winmm.dll; GetTickCount when that is missing.
DWORD MultimediaMilliseconds();

// InitCommonControlsEx of the system's comctl32.dll, for the given classes; nothing when missing.
void InitSystemCommonControls(DWORD classes);

}  // namespace vizo::win32
