#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "fake_shell_platform.h"

namespace vizo::shell {
namespace {

using testing::ShellWithFake;

void ProtectWithPassword(testing::FakeShellPlatform& os) {
  os.usePassword = 1;
  os.loadableModules["PASSWORD.CPL"] = 0x20;
  os.procs["VerifyScreenSavePwd"] = 0x21;
}

TEST(RunSaverWindow, PreviewFillsTheParentsClientArea) {
  ShellWithFake t;
  t.os.clientRect = {0, 0, 152, 112};
  t.shell.state.win9xFamily = true;
  ProtectWithPassword(t.os);

  EXPECT_EQ(t.shell.RunSaverWindow(1234), 7);

  const SaverWindowLayout& layout = t.os.createdLayout;
  EXPECT_EQ(layout.parent, 1234u);
  EXPECT_STREQ(layout.title, "Preview");
  EXPECT_EQ(layout.style, 0x52000000u);
  EXPECT_EQ(layout.exStyle, 0u);
  EXPECT_EQ(layout.x, 0);
  EXPECT_EQ(layout.y, 0);
  EXPECT_EQ(layout.width, 152);
  EXPECT_EQ(layout.height, 112);
  EXPECT_TRUE(t.shell.state.previewMode);
  // A preview never asks for the password and never takes the foreground.
  EXPECT_EQ(t.os.Count("LoadModule PASSWORD.CPL"), 0);
  EXPECT_EQ(t.os.Count("SetForegroundWindow 20480"), 0);
}

TEST(RunSaverWindow, FullScreenCoversTheVirtualScreen) {
  ShellWithFake t;
  t.os.virtualScreen = {-1280, -200, 2304, 1224};  // x, y, width, height
  t.os.acLine = 0;

  EXPECT_EQ(t.shell.RunSaverWindow(0), 7);

  const SaverWindowLayout& layout = t.os.createdLayout;
  EXPECT_EQ(layout.parent, 0u);
  EXPECT_STREQ(layout.title, "Screen Saver");
  EXPECT_EQ(layout.style, 0x96000000u);
  EXPECT_EQ(layout.exStyle, 0x8u);
  EXPECT_EQ(layout.x, -1280);
  EXPECT_EQ(layout.y, -200);
  EXPECT_EQ(layout.width, 2304);
  EXPECT_EQ(layout.height, 1224);
  EXPECT_FALSE(t.shell.state.previewMode);
  EXPECT_EQ(t.shell.state.acLineStatus, 0);
  EXPECT_EQ(t.shell.state.saverWindow, t.os.newWindow);
  // The window takes the foreground before the loop starts.
  const auto loop = std::find(t.os.calls.begin(), t.os.calls.end(), "RunMessageLoop");
  ASSERT_NE(loop, t.os.calls.begin());
  EXPECT_EQ(*(loop - 1), "SetForegroundWindow 20480");
}

// However the loop ends, the window goes before the exit code is returned: a report or a broken
// queue ends the loop with it still there.
TEST(RunSaverWindow, TheLoopsEndTakesAWindowLeftBehind) {
  const struct {
    std::optional<int> loopQuitCode;  // nothing: the queue broke
    bool windowLeft;
    int exitCode;
  } cases[] = {{0, false, 0}, {1, true, 1}, {std::nullopt, true, -1}, {std::nullopt, false, -1}};
  for (const auto& c : cases) {
    ShellWithFake t;
    t.os.loopQuitCode = c.loopQuitCode;
    if (c.windowLeft) t.os.windows = {t.os.newWindow};
    EXPECT_EQ(t.shell.RunSaverWindow(0), c.exitCode);
    EXPECT_EQ(t.os.Count("DestroySaverWindow 20480"), c.windowLeft ? 1 : 0) << c.exitCode;
    EXPECT_EQ(t.os.calls.back(), c.windowLeft ? "DestroySaverWindow 20480" : "IsWindow 20480");
  }
}

TEST(RunSaverWindow, FallsBackToTheScreenClipBoxWhenTheVirtualScreenIsEmpty) {
  for (const ScreenRect empty : {ScreenRect{0, 0, 0, 768}, ScreenRect{0, 0, 1024, 0}}) {
    ShellWithFake t;
    t.os.virtualScreen = empty;
    t.os.clipBox = {10, 20, 810, 620};
    t.shell.RunSaverWindow(0);
    EXPECT_EQ(t.os.createdLayout.x, 10);
    EXPECT_EQ(t.os.createdLayout.y, 20);
    EXPECT_EQ(t.os.createdLayout.width, 800);
    EXPECT_EQ(t.os.createdLayout.height, 600);
  }
}

TEST(RunSaverWindow, SecondFullScreenStartRaisesTheFirstAndCreatesNothing) {
  ShellWithFake t;
  t.shell.state.win9xFamily = true;
  ProtectWithPassword(t.os);
  t.os.runningSaver = 0x99;
  t.os.windows = {0x99};

  EXPECT_EQ(t.shell.RunSaverWindow(0), 0);
  EXPECT_EQ(t.os.Count("SetForegroundWindow 153"), 1);
  EXPECT_EQ(t.os.Count("RegisterSaverClass"), 0);
  EXPECT_EQ(t.os.Count("LoadModule PASSWORD.CPL"), 0);
}

TEST(RunSaverWindow, StaleSaverHandleDoesNotStopANewSaver) {
  ShellWithFake t;
  t.os.runningSaver = 0x99;  // found, but IsWindow says it is gone
  EXPECT_EQ(t.shell.RunSaverWindow(0), 7);
  EXPECT_EQ(t.os.Count("CreateSaverWindow 0"), 1);
}

// No window, and no loop: a failure, 1, or the report's code when the window went while its failed
// start was reported (input closed it under the box).
TEST(RunSaverWindow, NoWindowMeansNoLoopAndAFailureWithTheVerifierUnloaded) {
  const struct {
    bool classFails;
    std::optional<int> reported;
    int exitCode;
  } cases[] = {{true, std::nullopt, 1}, {false, std::nullopt, 1}, {false, 5, 5}};
  for (const auto& c : cases) {
    ShellWithFake t;
    t.shell.state.win9xFamily = true;
    ProtectWithPassword(t.os);
    t.os.classRegisters = !c.classFails;
    t.os.newWindow = 0;
    t.os.reportedQuitCode = c.reported;

    EXPECT_EQ(t.shell.RunSaverWindow(0), c.exitCode);
    EXPECT_EQ(t.os.Count("CreateSaverWindow 0"), c.classFails ? 0 : 1);
    EXPECT_EQ(t.os.Count("RunMessageLoop"), 0);
    EXPECT_EQ(t.os.Count("UnloadModule 32"), 1);
    EXPECT_EQ(t.os.Count("SaverRunning 0"), 1);
  }
}

TEST(RunSaverWindow, RegistersTheAutoPlayQueryOnlyOnTheWin9xFamily) {
  for (const bool win9x : {true, false}) {
    ShellWithFake t;
    t.shell.state.win9xFamily = win9x;
    t.shell.RunSaverWindow(0);
    EXPECT_EQ(t.shell.state.autoPlayMessage, win9x ? t.os.autoPlayId : 0u);
  }
}

TEST(RunSaverWindow, UnreadablePowerStatusCountsAsUnknown) {
  ShellWithFake t;
  t.os.acLine = std::nullopt;
  t.shell.RunSaverWindow(0);
  EXPECT_EQ(t.shell.state.acLineStatus, 255);
}

TEST(LoadPasswordVerifier, LoadsTheVerifierOnlyWhenEverythingIsThere) {
  const struct {
    const char* name;
    bool win9x;
    std::optional<std::uint32_t> usePassword;
    bool moduleLoads;
    bool entryExists;
    bool protectedAfter;
    std::vector<std::string> calls;
  } cases[] = {
      {"not the 9x family", false, 1, true, true, false, {}},
      {"setting unreadable", true, std::nullopt, true, true, false, {}},
      {"setting off", true, 0, true, true, false, {}},
      {"module missing", true, 1, false, true, false, {"LoadModule PASSWORD.CPL"}},
      {"entry missing", true, 1, true, false, false, {"LoadModule PASSWORD.CPL", "UnloadModule 32"}},
      {"protected", true, 1, true, true, true, {"LoadModule PASSWORD.CPL", "SaverRunning 1"}},
      {"any nonzero value protects", true, 0x100, true, true, true, {"LoadModule PASSWORD.CPL", "SaverRunning 1"}},
  };
  for (const auto& c : cases) {
    ShellWithFake t;
    t.shell.state.win9xFamily = c.win9x;
    t.os.usePassword = c.usePassword;
    if (c.moduleLoads) t.os.loadableModules["PASSWORD.CPL"] = 0x20;
    if (c.entryExists) t.os.procs["VerifyScreenSavePwd"] = 0x21;

    t.shell.LoadPasswordVerifier();

    EXPECT_EQ(t.os.calls, c.calls) << c.name;
    EXPECT_EQ(t.shell.state.verifyPassword != 0, c.protectedAfter) << c.name;
    EXPECT_EQ(t.shell.state.verifierModule != 0, c.protectedAfter) << c.name;
  }
}

TEST(LoadPasswordVerifier, ReloadingUnloadsFirstAndUnloadingTwiceFreesOnce) {
  ShellWithFake t;
  t.shell.state.win9xFamily = true;
  ProtectWithPassword(t.os);
  t.shell.LoadPasswordVerifier();
  t.shell.LoadPasswordVerifier();
  t.shell.UnloadPasswordVerifier();
  t.shell.UnloadPasswordVerifier();
  EXPECT_EQ(t.os.calls, (std::vector<std::string>{"LoadModule PASSWORD.CPL", "SaverRunning 1", "UnloadModule 32",
                                                  "SaverRunning 0", "LoadModule PASSWORD.CPL", "SaverRunning 1",
                                                  "UnloadModule 32", "SaverRunning 0"}));
  EXPECT_EQ(t.shell.state.verifierModule, 0u);
  EXPECT_EQ(t.shell.state.verifyPassword, 0u);
}

TEST(SetSaverRunning, TellsOnlyTheWin9xFamily) {
  for (const bool win9x : {true, false}) {
    ShellWithFake t;
    t.shell.state.win9xFamily = win9x;
    t.shell.SetSaverRunning(false);
    EXPECT_EQ(t.os.Count("SaverRunning 0"), win9x ? 1 : 0);
  }
}

}  // namespace
}  // namespace vizo::shell
