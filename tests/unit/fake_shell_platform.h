// A ShellPlatform that answers from fields the test sets and writes every call into a log.
#pragma once

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shell/saver_shell.h"

namespace vizo::shell::testing {

inline std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

class FakeShellPlatform final : public ShellPlatform {
 public:
  // The Shell under test, for messages that come back into it (sent to the window, passed on by
  // the program's procedure).
  Shell* shell = nullptr;

  std::vector<std::string> calls;

  std::set<WindowHandle> windows;
  WindowHandle foreground = 0;
  WindowHandle parentWindow = 0;
  int beforeSettingsAnswer = 1;
  int settingsAnswer = 1015;
  WindowHandle runningSaver = 0;
  ScreenRect clientRect{0, 0, 152, 112};
  ScreenRect virtualScreen{0, 0, 1024, 768};
  ScreenRect clipBox{0, 0, 800, 600};
  bool classRegisters = true;
  WindowHandle newWindow = 0x5000;
  SaverWindowLayout createdLayout;
  std::optional<int> loopQuitCode = 7;  // nothing: the queue broke
  std::optional<int> reportedQuitCode;   // an error report asked to quit
  MessageId autoPlayId = 0xC0DE;
  ScreenPoint cursor;
  std::uint32_t tick = 0;
  std::optional<std::uint8_t> acLine = 1;
  std::map<std::string, ModuleHandle> loadableModules;  // LoadLibraryA succeeds for these
  std::map<std::string, ModuleHandle> loadedModules;    // GetModuleHandleA finds these
  std::map<std::string, ProcAddress> procs;
  std::optional<std::uint32_t> usePassword;
  InputContext previousInputContext = 0;
  NoticeRegistration displayRegistration = 0x90;  // 0: the system gives none
  // The password prompt; by default it lets the user leave.
  std::function<std::int32_t(WindowHandle)> prompt = [](WindowHandle) { return 1; };
  // The program's saver procedure; by default it hands everything to DefaultSaverProc.
  std::function<LResult(WindowHandle, MessageId, WParam, LParam)> saverWindowProc;

  static constexpr LResult DefaultProcAnswer = 0x77;

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call ? 1 : 0;
    return n;
  }

  bool IsWindow(WindowHandle window) override {
    calls.push_back("IsWindow " + std::to_string(window));
    return windows.count(window) != 0;
  }
  WindowHandle ForegroundWindow() override { return foreground; }
  void SetForegroundWindow(WindowHandle window) override {
    calls.push_back("SetForegroundWindow " + std::to_string(window));
  }
  WindowHandle Parent(WindowHandle) override { return parentWindow; }
  int BeforeSettingsDialog() override {
    calls.push_back("BeforeSettingsDialog");
    return beforeSettingsAnswer;
  }
  int SettingsDialog(WindowHandle owner) override {
    calls.push_back("SettingsDialog " + std::to_string(owner));
    return settingsAnswer;
  }

  WindowHandle FindFullScreenSaver() override { return runningSaver; }
  ScreenRect ClientRect(WindowHandle) override { return clientRect; }
  ScreenRect VirtualScreen() override { return virtualScreen; }
  ScreenRect ScreenClipBox() override { return clipBox; }
  bool RegisterSaverClass() override {
    calls.push_back("RegisterSaverClass");
    return classRegisters;
  }
  WindowHandle CreateSaverWindow(const SaverWindowLayout& layout) override {
    createdLayout = layout;
    calls.push_back("CreateSaverWindow " + std::to_string(layout.parent));
    return newWindow;
  }
  std::optional<int> RunMessageLoop() override {
    calls.push_back("RunMessageLoop");
    return loopQuitCode;
  }
  void DestroySaverWindow(WindowHandle window) override {
    calls.push_back("DestroySaverWindow " + std::to_string(window));
  }
  std::optional<int> ReportedQuitCode() override { return reportedQuitCode; }
  MessageId RegisterAutoPlayMessage() override { return autoPlayId; }

  LResult PassToSaverWindowProc(WindowHandle w, MessageId m, WParam wp, LParam lp) override {
    calls.push_back("SaverWindowProc " + Hex(m));
    if (saverWindowProc) return saverWindowProc(w, m, wp, lp);
    return shell->DefaultSaverProc(w, m, wp, lp);
  }
  LResult PlatformDefaultProc(WindowHandle, MessageId m, WParam, LParam) override {
    calls.push_back("DefWindowProc " + Hex(m));
    return DefaultProcAnswer;
  }
  void PostToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) override {
    calls.push_back("Post " + std::to_string(w) + " " + Hex(m) + " " + std::to_string(wp) + " " + std::to_string(lp));
  }
  LResult SendToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) override {
    calls.push_back("Send " + Hex(m));
    return shell->SaverClassProc(w, m, wp, lp);
  }
  void RemoveOnePendingTimer(WindowHandle) override { calls.push_back("RemoveOnePendingTimer"); }
  void PostQuit(int code) override { calls.push_back("PostQuit " + std::to_string(code)); }
  void YieldTimeSlice() override { calls.push_back("Sleep0"); }

  void HideCursor() override { calls.push_back("HideCursor"); }
  ScreenPoint CursorPos() override { return cursor; }
  std::uint32_t TickCount() override { return tick; }
  std::optional<std::uint8_t> AcLineStatus() override { return acLine; }
  NoticeRegistration RegisterDisplayNotices(WindowHandle, DisplayNotices notices) override {
    calls.push_back("RegisterDisplayNotices " + std::to_string(static_cast<int>(notices)));
    return displayRegistration;
  }
  void UnregisterDisplayNotices(NoticeRegistration registration) override {
    calls.push_back("UnregisterDisplayNotices " + std::to_string(registration));
  }
  void PauseFrames(WindowHandle, bool paused) override { calls.push_back(paused ? "PauseFrames 1" : "PauseFrames 0"); }

  ModuleHandle LoadModule(const char* name) override {
    calls.push_back(std::string("LoadModule ") + name);
    const auto found = loadableModules.find(name);
    return found == loadableModules.end() ? 0 : found->second;
  }
  ModuleHandle LoadedModule(const char* name) override {
    const auto found = loadedModules.find(name);
    return found == loadedModules.end() ? 0 : found->second;
  }
  ProcAddress FindProc(ModuleHandle, const char* name) override {
    const auto found = procs.find(name);
    return found == procs.end() ? 0 : found->second;
  }
  void UnloadModule(ModuleHandle module) override { calls.push_back("UnloadModule " + std::to_string(module)); }
  std::int32_t CallVerifyScreenSavePwd(ProcAddress, WindowHandle window) override {
    calls.push_back("VerifyScreenSavePwd");
    return prompt(window);
  }
  void CallPwdChangePassword(ProcAddress, const char* provider, WindowHandle parent) override {
    calls.push_back(std::string("PwdChangePasswordA ") + provider + " " + std::to_string(parent));
  }
  InputContext CallImmAssociateContext(ProcAddress, WindowHandle, InputContext context) override {
    calls.push_back("ImmAssociateContext " + std::to_string(context));
    return previousInputContext;
  }

  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override { return usePassword; }
  void NotifyScreenSaverRunning(bool running) override {
    calls.push_back(running ? "SaverRunning 1" : "SaverRunning 0");
  }
};

// A POWERBROADCAST_SETTING as Windows lays it out, for a display notice's lParam.
inline std::array<unsigned char, 24> DisplayNotice(const SettingGuid& guid, std::uint32_t length, std::uint32_t value) {
  std::array<unsigned char, 24> bytes{};
  std::memcpy(bytes.data(), &guid.data1, 4);
  std::memcpy(bytes.data() + 4, &guid.data2, 2);
  std::memcpy(bytes.data() + 6, &guid.data3, 2);
  std::memcpy(bytes.data() + 8, guid.data4.data(), 8);
  std::memcpy(bytes.data() + NoticeLengthOffset, &length, 4);
  std::memcpy(bytes.data() + NoticeDataOffset, &value, 4);
  return bytes;
}

// A Shell wired to a fake, the way the Windows layer wires the real one.
struct ShellWithFake {
  FakeShellPlatform os;
  Shell shell{os};
  ShellWithFake() { os.shell = &shell; }
};

}  // namespace vizo::shell::testing
