// The Windows 95/98/Me family paths of the real saver. Wine reports that platform to the saver
// alone (its per-program Windows version), and stand-ins in the system folder play the system's
// password components, writing down how they were called.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace vizo::winetest {
namespace {

class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const std::string& value) : name_(name) {
    char old[1024] = {};
    if (GetEnvironmentVariableA(name, old, sizeof old)) old_ = old;
    SetEnvironmentVariableA(name, value.c_str());
  }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;
  ~EnvironmentValue() { SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class Win9xSaver : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\PASSWORD.CPL", "PASSWORD.CPL"));
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\mpr.dll", "mpr.dll"));
  }

  void SetUp() override {
    logPath_ =
        ProgramDir() + "\\win9x\\standin-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    DeleteFileA(logPath_.c_str());
    log_.emplace("VIZO_STANDIN_LOG", logPath_);
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(logPath_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  bool WaitForLogLines(size_t count) {
    return PumpUntil([&] { return LogLines().size() >= count; });
  }

  ScopedRegistryValue version_{"Software\\Wine\\AppDefaults\\vizovizo.scr", "Version", "win98"};
  std::string logPath_;
  std::optional<EnvironmentValue> log_;
};

// The tick at which a prompt logged by the password stand-in ended.
DWORD PromptEnded(const std::string& line) {
  const auto at = line.find(" ended ");
  return at == std::string::npos ? 0 : static_cast<DWORD>(std::stoul(line.substr(at + 7)));
}

TEST_F(Win9xSaver, RefusedPromptKeepsTheSaverAndAnAcceptedOneEndsIt) {
  ScopedRegistryValue usePassword("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
  EnvironmentValue answers("VIZO_PROMPT_ANSWERS", "01");
  Process saver(SaverPath(), "/s");
  HWND window = WaitForFullScreenSaver(saver);
  ASSERT_NE(window, nullptr);

  PressKey(VK_SPACE);
  ASSERT_TRUE(WaitForLogLines(1));
  // The prompt left a close queued behind it; the saver refuses it without asking again.
  ASSERT_TRUE(Drain(window));
  EXPECT_TRUE(saver.Running());
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("prompt 1 window " + std::to_string(reinterpret_cast<UINT_PTR>(window))), std::string::npos);
  EXPECT_NE(lines[0].find("answer 0 survived-nested-close 1"), std::string::npos) << lines[0];

  // Once 200 ms have passed since the prompt ended, a close asks again. The saver starts the 200 ms
  // a little after the prompt logged its end, so a press that still comes too early is repeated.
  const DWORD ended = PromptEnded(lines[0]);
  DWORD lastPress = 0;
  ASSERT_TRUE(PumpUntil([&] {
    if (LogLines().size() >= 2 || !saver.Running()) return true;
    const DWORD now = GetTickCount();
    if (now - ended >= 200 && (lastPress == 0 || now - lastPress >= 100)) {
      PressKey(VK_SPACE);
      lastPress = now;
    }
    return false;
  }));
  EXPECT_EQ(saver.WaitForExit(), 0u);
  lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[1].find("prompt 2"), std::string::npos);
  EXPECT_NE(lines[1].find("answer 1 survived-nested-close 1"), std::string::npos) << lines[1];
}

TEST_F(Win9xSaver, AutoPlayQueryIsCancelledOnlyUnderPasswordAndClosesEither) {
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  for (const bool password : {false, true}) {
    std::optional<ScopedRegistryValue> usePassword;
    if (password) usePassword.emplace("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    EnvironmentValue answers("VIZO_PROMPT_ANSWERS", "1");
    DeleteFileA(logPath_.c_str());
    Process saver(SaverPath(), "/s");
    HWND window = WaitForFullScreenSaver(saver);
    ASSERT_NE(window, nullptr);

    DWORD_PTR cancel = 99;
    ASSERT_TRUE(SendMessageTimeoutA(window, autoPlay, 0, 0, SMTO_NORMAL, DefaultTimeoutMs, &cancel));
    EXPECT_EQ(cancel, password ? 1u : 0u);
    EXPECT_EQ(saver.WaitForExit(), 0u);
    EXPECT_EQ(LogLines().size(), password ? 1u : 0u);  // with a password the close asked first
  }
}

TEST_F(Win9xSaver, PasswordChangeCallsTheProviderWithTheParentWindow) {
  // Wine would load its own MPR.DLL; make it take the stand-in in the system folder.
  ScopedRegistryValue nativeMpr("Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", "mpr", "native");
  HWND parent = CreateWindowExA(0, "STATIC", "Display Properties", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  const auto handle = std::to_string(reinterpret_cast<UINT_PTR>(parent));

  Process change(SaverPath(), "/a " + handle);
  EXPECT_EQ(change.WaitForExit(), 0u);
  DestroyWindow(parent);
  EXPECT_EQ(LogLines(), std::vector<std::string>{"PwdChangePasswordA SCRSAVE " + handle + " 0 0"});
}

}  // namespace
}  // namespace vizo::winetest
