// A library planted beside a copy of the saver under a system library's name. It does nothing but
// write down that it was loaded, into the file named by VIZO_PLANTED_LOG.
#include <windows.h>

#include <cstdio>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char log[MAX_PATH] = {};
  char file[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("VIZO_PLANTED_LOG", log, MAX_PATH)) return TRUE;
  GetModuleFileNameA(self, file, MAX_PATH);
  if (FILE* out = std::fopen(log, "a")) {
    std::fprintf(out, "loaded %s\n", file);
    std::fclose(out);
  }
  return TRUE;
}
