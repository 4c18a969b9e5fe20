// The settings tests run on a Wine virtual desktop of their own, which offers a list of display
// modes. The program starts itself there and passes on its result.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {

constexpr char TestDesktop[] = "vizotest";

bool OnTestDesktop() {
  char name[64] = {};
  DWORD length = 0;
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof name, &length);
  return std::strcmp(name, TestDesktop) == 0;
}

int RunOnTestDesktop() {
  // Wine makes a desktop of this name a virtual desktop of the registered size.
  HKEY desktops = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", &desktops);
  RegSetValueExA(desktops, TestDesktop, 0, REG_SZ, reinterpret_cast<const BYTE*>("1024x768"), 9);
  RegCloseKey(desktops);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = const_cast<char*>(TestDesktop);
  PROCESS_INFORMATION child{};
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (!CreateProcessA(self, GetCommandLineA(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
    return 1;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  if (!OnTestDesktop()) return RunOnTestDesktop();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
