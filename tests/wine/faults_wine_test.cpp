// Faults injected into the real saver: a stand-in d3d9.dll in the system folder forwards to Wine's
// Direct3D and fails on command (see standins/d3d9.cpp). Each case: exit code, reports, whether
// frames come back, and no hang.
#include <gtest/gtest.h>

#include "harness.h"

namespace vizo::winetest {
namespace {

class SaverFault : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\faults\\d3d9.dll", "d3d9.dll", "d3d9_wine.dll"));
  }
  void TearDown() override {
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", nullptr);
    SetEnvironmentVariableA("VIZO_STANDIN_LOG", nullptr);
  }

  // The saver's next start meets this fault.
  void Inject(const char* fault) {
    log_ = ProgramDir() + "\\faults\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("VIZO_D3D9_FAULT", fault);
    SetEnvironmentVariableA("VIZO_STANDIN_LOG", log_.c_str());
  }
  std::string Log() const {
    std::string text = ReadFileBytes(log_).value_or("");
    std::erase(text, '\r');
    return text;
  }
  // Recovery takes a few seconds of frames; a loaded machine may take several times that.
  bool LogShows(const std::string& line) const {
    return PumpUntil([&] { return Log().find(line + "\n") != std::string::npos; }, 4 * DefaultTimeoutMs);
  }

  // For the saver alone: the stand-in in the system folder first, Wine's own behind it.
  ScopedRegistryValue standIn_{"Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", "d3d9", "native,builtin"};
  std::string log_;
};

TEST_F(SaverFault, TheFullScreenSaverGetsPastDeviceFaultsAndDrawsAgain) {
  const struct {
    const char* fault;
    const char* log;  // what the stand-in saw, whole, once frames come again
  } cases[] = {
      // The next creation in the Part's order.
      {"hal-hw", "create hal hw refused\ncreate hal sw done\n"},
      // Not before the device said it could be reset (after 29 status checks of being lost), and once.
      {"lost", "create hal hw done\ndevice lost\nreset done after 30 status checks\n30 presents after the reset\n"},
      // One attempt per tick, each after a status check of its own (the first tick asks twice: once
      // about the failed present, once before resetting).
      {"reset-fails",
       "create hal hw done\ndevice lost\nreset refused after 2 status checks\nreset refused after 3 status "
       "checks\nreset refused after 4 status checks\nreset done after 5 status checks\n30 presents after the "
       "reset\n"},
  };
  for (const auto& c : cases) {
    Inject(c.fault);
    Process saver(SaverPath(), "/s");
    ASSERT_NE(WaitForFullScreenSaver(saver), nullptr) << c.fault;
    // Frames come again once the log has grown to its whole expected length.
    const std::size_t expected = std::string(c.log).size();
    ASSERT_TRUE(PumpUntil([&] { return Log().size() >= expected; }, 4 * DefaultTimeoutMs)) << c.fault << ": " << Log();
    EXPECT_EQ(Log(), c.log) << c.fault;
    EXPECT_TRUE(DrawingShows()) << c.fault;
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u) << c.fault;
  }
}

TEST_F(SaverFault, FailedResourcesAreReportedInOrderAndEndWithOne) {
  const struct {
    const char* fault;
    int painterLine;
  } cases[] = {{"texture", 70}, {"vertex-buffer", 46}};
  for (const auto& c : cases) {
    Inject(c.fault);
    Process saver(SaverPath(), "/s");
    // Raised over the top-most full-screen saver, the report must show above it.
    EXPECT_TRUE(SeenOnScreen(WaitForDialog(saver, "Error"), (std::string("report-over-saver-") + c.fault).c_str()))
        << c.fault;
    EXPECT_TRUE(ReportNames(DismissNextReport(saver), L"hanabiPainter.cpp", c.painterLine)) << c.fault;
    EXPECT_TRUE(ReportNames(DismissNextReport(saver), L"ScreenMain.cpp", 218)) << c.fault;
    EXPECT_TRUE(ReportNames(DismissNextReport(saver), L"Quellar.cpp", 74)) << c.fault;
    EXPECT_EQ(saver.WaitForExit(), 1u) << c.fault;
  }
}

TEST_F(SaverFault, APreviewRecoversFromALostDevice) {
  HWND host = CreatePreviewPane("FaultPreviewHost", 100, 100);
  ASSERT_NE(host, nullptr);
  Inject("lost");
  Process saver(SaverPath(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(host)));
  EXPECT_TRUE(LogShows("30 presents after the reset")) << Log();
  EXPECT_NE(Log().find("reset done after 30 status checks\n"), std::string::npos) << Log();
  DestroyWindow(host);
  EXPECT_EQ(saver.WaitForExit(), 0u);
}

}  // namespace
}  // namespace vizo::winetest
