// One sample of a running program's resources, as Windows reports them, on one line:
//   soak_probe.exe PROGRAM.EXE
// prints "working_set_kb private_kb windows handles gdi_objects user_objects" for the first
// process of that name, or exits with 1 when there is none. (Wine 8 answers 0 for the last three.)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <utility>

namespace {

DWORD FindProcess(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM context) {
  auto& count = *reinterpret_cast<std::pair<DWORD, int>*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == count.first) ++count.second;
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: soak_probe PROGRAM.EXE\n");
    return 2;
  }
  const DWORD id = FindProcess(argv[1]);
  HANDLE process = id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : nullptr;
  if (!process) return 1;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  std::pair<DWORD, int> windows{id, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  std::printf("%lu %lu %d %lu %lu %lu\n", static_cast<unsigned long>(memory.WorkingSetSize / 1024),
              static_cast<unsigned long>(memory.PrivateUsage / 1024), windows.second,
              static_cast<unsigned long>(handles), static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)),
              static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)));
  CloseHandle(process);
  return 0;
}
