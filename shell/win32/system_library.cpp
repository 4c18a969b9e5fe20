#include "system_library.h"

#include <commctrl.h>
#include <d3d9.h>

#include <cstring>

namespace vizo::win32 {

namespace {

// GetProcAddress hands out a generic pointer; these are the entries' real types.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
using Direct3DCreate9Fn = IDirect3D9*(WINAPI*)(UINT);
using TimeGetTimeFn = DWORD(WINAPI*)();
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

constexpr DWORD SearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

bool g_searchRestricted = false;
bool g_systemFolderOnly = false;  // every search by name looks in the system folder alone

template <typename Fn>
Fn As(FARPROC entry) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

void RestrictLibrarySearch() {
  if (g_searchRestricted) return;
  g_searchRestricted = true;
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (const auto setDefault = As<SetDefaultDllDirectoriesFn>(GetProcAddress(kernel, "SetDefaultDllDirectories"))) {
    g_systemFolderOnly = setDefault(SearchSystem32) != FALSE;
  }
  if (const auto setDirectory = As<SetDllDirectoryFn>(GetProcAddress(kernel, "SetDllDirectoryA"))) {
    setDirectory("");
  }
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
  const std::size_t length = std::strlen(name);
  if (folder == 0 || folder + 1 + length >= MAX_PATH) return nullptr;
  path[folder] = '\\';
  std::memcpy(path + folder + 1, name, length + 1);
  // A library that is there but can't be loaded fails quietly, as a missing one does. Its own
  // imports come from the system folder: the default search where that is all it holds, else the
  // search that starts in the library's folder.
  const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const HMODULE module = LoadLibraryExA(path, nullptr, g_systemFolderOnly ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
  SetErrorMode(errorMode);
  return module;
}

FARPROC SystemEntry(const char* library, const char* entry) {
  RestrictLibrarySearch();  // before the first library of ours brings in its own
  const HMODULE module = LoadSystemLibrary(library);
  return module ? GetProcAddress(module, entry) : nullptr;
}

IDirect3D9* CreateDirect3D9() {
  const auto create = As<Direct3DCreate9Fn>(SystemEntry("d3d9.dll", "Direct3DCreate9"));
  return create ? create(D3D_SDK_VERSION) : nullptr;
}

DWORD MultimediaMilliseconds() {
  const auto timeGetTime = As<TimeGetTimeFn>(SystemEntry("winmm.dll", "timeGetTime"));
  return timeGetTime ? timeGetTime() : GetTickCount();
}

void InitSystemCommonControls(DWORD classes) {
  const auto init = As<InitCommonControlsExFn>(SystemEntry("comctl32.dll", "InitCommonControlsEx"));
  const INITCOMMONCONTROLSEX controls{sizeof controls, classes};
  if (init) init(&controls);
}

}  // namespace vizo::win32
