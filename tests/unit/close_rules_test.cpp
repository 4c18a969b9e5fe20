#include <gtest/gtest.h>

#include "fake_shell_platform.h"

namespace vizo::shell {
namespace {

constexpr WindowHandle Saver = 0x5000;
const std::string PostedClose = "Post 20480 0x10 0 0";

// A saver window that has been created: the anchor is taken at (100, 100).
class SaverWindow : public ::testing::Test {
 protected:
  testing::ShellWithFake t;
  ShellState& state = t.shell.state;
  testing::FakeShellPlatform& os = t.os;

  void Create(bool preview = false, bool win9x = false) {
    state = ShellState{};
    state.previewMode = preview;
    state.win9xFamily = win9x;
    state.saverWindow = Saver;
    os.cursor = {100, 100};
    Deliver(msg::Create);
    os.calls.clear();
  }

  void ProtectWithPassword() {
    state.verifierModule = 0x20;
    state.verifyPassword = 0x21;
  }

  LResult Deliver(MessageId message, WParam wParam = 0, LParam lParam = 0) {
    return t.shell.SaverClassProc(Saver, message, wParam, lParam);
  }

  int Closes() const { return os.Count(PostedClose); }

  LResult MoveCursorTo(std::int32_t x, std::int32_t y) {
    os.cursor = {x, y};
    return Deliver(msg::MouseMove, 0, 0x7FFF7FFF);  // the message's own coordinates don't count
  }
};

struct RuleCase {
  const char* name;
  MessageId message;
  WParam wParam;
  LParam lParam;
  bool closes;
};

TEST_F(SaverWindow, CloseRulesOfARunningFullScreenSaver) {
  const RuleCase cases[] = {
      {"key down", msg::KeyDown, 'A', 0, true},
      {"system key down", msg::SysKeyDown, 0x12, 0, true},
      {"left button down", msg::LButtonDown, 0, 0, true},
      {"right button down", msg::RButtonDown, 0, 0, true},
      {"middle button down", msg::MButtonDown, 0, 0, true},
      {"key up", 0x0101, 'A', 0, false},
      {"character", 0x0102, 'a', 0, false},
      {"system key up", 0x0105, 0x12, 0, false},
      {"left button up", 0x0202, 0, 0, false},
      {"left double click", 0x0203, 0, 0, false},
      {"right button up", 0x0205, 0, 0, false},
      {"middle button up", 0x0208, 0, 0, false},
      {"mouse wheel", 0x020A, 0x00780000, 0, false},
      {"another application activated", msg::ActivateApp, 0, 0, true},
      {"this application activated", msg::ActivateApp, 1, 0, false},
      {"critical resume", msg::Power, 3, 0, true},
      {"power suspend request", msg::Power, 1, 0, false},
      {"power suspend", msg::Power, 2, 0, false},
      {"monitor power", msg::SysCommand, syscmd::MonitorPower, 2, true},
      {"monitor power with extra bits", msg::SysCommand, syscmd::MonitorPower + 1, 2, false},
      {"system close command", msg::SysCommand, 0xF060, 0, false},
      {"paint", msg::Paint, 0, 0, false},
      {"timer", msg::Timer, 1, 0, false},
  };
  for (const auto& c : cases) {
    Create();
    Deliver(c.message, c.wParam, c.lParam);
    EXPECT_EQ(Closes(), c.closes ? 1 : 0) << c.name;
  }
}

TEST_F(SaverWindow, PowerBroadcastClosesByEventCode) {
  struct Case {
    WParam event;
    LParam flags;
    bool closes;
  };
  std::vector<Case> cases;
  for (WParam query = 0; query <= 5; ++query) cases.push_back({query, 0, true});
  for (const WParam resume : {6u, 7u, 8u, 18u}) {
    cases.push_back({resume, 0, true});
    cases.push_back({resume, 1, false});  // resumed from a failure
    cases.push_back({resume, 3, false});
  }
  for (const WParam other : {9u, 11u, 12u, 17u, 19u, 0x8012u, 0x8014u}) cases.push_back({other, 0, true});
  // A display-state notice, whatever it says (here: nothing readable), never closes.
  cases.push_back({pbt::PowerSettingChange, 0, false});
  cases.push_back({10, 0, false});  // power status change with the AC status unchanged

  for (const auto& c : cases) {
    Create();
    state.acLineStatus = 1;
    os.acLine = 1;
    Deliver(msg::PowerBroadcast, c.event, c.flags);
    EXPECT_EQ(Closes(), c.closes ? 1 : 0) << "event " << c.event << " flags " << c.flags;
  }
}

// One after another: the frames stop when the display goes dark and go on when it is on or dimmed;
// what names no state of a known setting changes nothing; none closes.
TEST_F(SaverWindow, DisplayNoticesPauseTheFramesWithoutEverClosing) {
  constexpr SettingGuid Other{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xeb}};
  const struct {
    const char* name;
    SettingGuid guid;
    std::uint32_t length, value;
    const char* call;  // what the frames were told, if anything
    bool frames;       // a tick after it draws
  } steps[] = {
      {"on, sent at registration", ConsoleDisplayStateGuid, 4, 1, nullptr, true},
      {"dimmed", ConsoleDisplayStateGuid, 4, 2, nullptr, true},
      {"off", ConsoleDisplayStateGuid, 4, 0, "PauseFrames 1", false},
      {"off again", ConsoleDisplayStateGuid, 4, 0, nullptr, false},
      {"on, of another setting", Other, 4, 1, nullptr, false},
      {"on, its data too short", ConsoleDisplayStateGuid, 3, 1, nullptr, false},
      {"a value that names no state", ConsoleDisplayStateGuid, 4, 3, nullptr, false},
      {"the monitor's power on", MonitorPowerOnGuid, 4, 1, "PauseFrames 0", true},
      {"the monitor's power off, longer data", MonitorPowerOnGuid, 8, 0, "PauseFrames 1", false},
      {"dimmed lights it", ConsoleDisplayStateGuid, 4, 2, "PauseFrames 0", true},
  };
  Create();
  for (const auto& step : steps) {
    os.calls.clear();
    const auto notice = testing::DisplayNotice(step.guid, step.length, step.value);
    Deliver(msg::PowerBroadcast, pbt::PowerSettingChange, reinterpret_cast<LParam>(notice.data()));
    EXPECT_EQ(os.Count("PauseFrames 1") + os.Count("PauseFrames 0"), step.call ? 1 : 0) << step.name;
    if (step.call) {
      EXPECT_EQ(os.Count(step.call), 1) << step.name;
    }
    EXPECT_EQ(os.Count("SaverWindowProc 0x218"), 1) << step.name;  // still the program's to see
    os.calls.clear();
    Deliver(msg::Timer, 1);
    EXPECT_EQ(os.Count("SaverWindowProc 0x113"), step.frames ? 1 : 0) << step.name;
    EXPECT_EQ(Closes(), 0) << step.name;
  }
  // No notice at all behind the message.
  Deliver(msg::PowerBroadcast, pbt::PowerSettingChange, 0);
  EXPECT_EQ(os.Count("PauseFrames 1") + Closes(), 0);
  // A preview is never registered, and a notice there changes nothing.
  Create(/*preview=*/true);
  const auto off = testing::DisplayNotice(ConsoleDisplayStateGuid, 4, 0);
  Deliver(msg::PowerBroadcast, pbt::PowerSettingChange, reinterpret_cast<LParam>(off.data()));
  EXPECT_FALSE(state.displayDark);
}

// The full-screen window registers for the notices this Windows has, and gives them back as it goes.
TEST_F(SaverWindow, TheFullScreenWindowRegistersForDisplayNoticesUntilItsDestruction) {
  const struct {
    bool preview;
    DisplayNotices notices;
    NoticeRegistration answer;
    std::vector<std::string> calls;  // at creation and destruction
  } cases[] = {
      {false, DisplayNotices::ConsoleDisplayState, 0x90, {"RegisterDisplayNotices 2", "UnregisterDisplayNotices 144"}},
      {false, DisplayNotices::MonitorPowerOn, 0x91, {"RegisterDisplayNotices 1", "UnregisterDisplayNotices 145"}},
      {false, DisplayNotices::ConsoleDisplayState, 0, {"RegisterDisplayNotices 2"}},  // refused: nothing to undo
      {false, DisplayNotices::None, 0x90, {}},
      {true, DisplayNotices::ConsoleDisplayState, 0x90, {}},
  };
  for (const auto& c : cases) {
    testing::ShellWithFake fresh;
    fresh.shell.state.previewMode = c.preview;
    fresh.shell.state.displayNotices = c.notices;
    fresh.os.displayRegistration = c.answer;
    fresh.shell.SaverClassProc(Saver, msg::Create, 0, 0);
    fresh.shell.SaverClassProc(Saver, msg::Destroy, 0, 0);
    fresh.shell.SaverClassProc(Saver, msg::Destroy, 0, 0);  // once only, however often it comes
    std::vector<std::string> calls;
    for (const auto& call : fresh.os.calls) {
      if (call.find("DisplayNotices") != std::string::npos) calls.push_back(call);
    }
    EXPECT_EQ(calls, c.calls) << static_cast<int>(c.notices) << (c.preview ? ", preview" : "");
  }
  // Which notices a Windows version has.
  EXPECT_EQ(DisplayNoticesFor(5, 1), DisplayNotices::None);
  EXPECT_EQ(DisplayNoticesFor(6, 1), DisplayNotices::MonitorPowerOn);
  EXPECT_EQ(DisplayNoticesFor(6, 2), DisplayNotices::ConsoleDisplayState);
  EXPECT_EQ(DisplayNoticesFor(10, 0), DisplayNotices::ConsoleDisplayState);
}

TEST_F(SaverWindow, PowerStatusChangeClosesOnlyWhenTheAcLineChanges) {
  Create();
  state.acLineStatus = 1;
  const struct {
    std::optional<std::uint8_t> reading;
    bool closes;
    std::uint8_t stored;
  } steps[] = {
      {1, false, 1},
      {0, true, 0},
      {0, false, 0},
      {std::nullopt, true, 255},  // unreadable counts as 255
      {std::nullopt, false, 255},
      {1, true, 1},
  };
  for (const auto& step : steps) {
    os.calls.clear();
    os.acLine = step.reading;
    Deliver(msg::PowerBroadcast, pbt::PowerStatusChange, 0);
    EXPECT_EQ(Closes(), step.closes ? 1 : 0);
    EXPECT_EQ(state.acLineStatus, step.stored);
  }
}

TEST_F(SaverWindow, MouseTravelAboveFourClosesMeasuredFromTheAnchor) {
  const struct {
    std::int32_t x, y;
    bool closes;
  } singleMoves[] = {
      {102, 102, false}, {104, 100, false}, {100, 96, false}, {98, 102, false},
      {105, 100, true},  {103, 103, true},  {100, 95, true},  {-100000, 100, true},
  };
  for (const auto& m : singleMoves) {
    Create();
    MoveCursorTo(m.x, m.y);
    EXPECT_EQ(Closes(), m.closes ? 1 : 0) << m.x << "," << m.y;
  }

  // Slow drift adds up; after a close the anchor moves to where the cursor was.
  Create();
  const struct {
    std::int32_t x, y;
    int closesSoFar;
  } drift[] = {
      {101, 100, 0}, {102, 100, 0}, {103, 101, 0}, {104, 100, 0},
      {105, 100, 1}, {107, 102, 1}, {103, 100, 1}, {108, 102, 2},
  };
  for (const auto& m : drift) {
    MoveCursorTo(m.x, m.y);
    EXPECT_EQ(Closes(), m.closesSoFar) << m.x << "," << m.y;
  }
}

TEST_F(SaverWindow, CreationDetachesTheInputMethodAndDestructionRestoresIt) {
  os.loadedModules["IMM32.DLL"] = 0x30;
  os.procs["ImmAssociateContext"] = 0x31;
  os.previousInputContext = 0x33;
  state.saverWindow = Saver;
  Deliver(msg::Create);
  EXPECT_EQ(os.calls, (std::vector<std::string>{"ImmAssociateContext 0", "HideCursor", "SaverWindowProc 0x1",
                                                "DefWindowProc 0x1"}));
  EXPECT_EQ(state.savedInputContext, 0x33u);

  os.calls.clear();
  Deliver(msg::Destroy);
  EXPECT_EQ(os.calls, (std::vector<std::string>{"ImmAssociateContext 51", "PostQuit 0", "SaverWindowProc 0x2",
                                                "DefWindowProc 0x2"}));
  // Closed under a report's box: the report's request stands alone.
  os.calls.clear();
  os.reportedQuitCode = 1;
  Deliver(msg::Destroy);
  EXPECT_EQ(os.Count("PostQuit 0"), 0);
}

TEST_F(SaverWindow, InputMethodLeftAloneWhenAbsentOrWhenThereWasNoContext) {
  const struct {
    bool moduleLoaded;
    bool entryExists;
    InputContext before;
    int associateCalls;
  } cases[] = {{false, true, 0x33, 0}, {true, false, 0x33, 0}, {true, true, 0, 1}};
  for (const auto& c : cases) {
    testing::ShellWithFake fresh;
    if (c.moduleLoaded) fresh.os.loadedModules["IMM32.DLL"] = 0x30;
    if (c.entryExists) fresh.os.procs["ImmAssociateContext"] = 0x31;
    fresh.os.previousInputContext = c.before;
    fresh.shell.SaverClassProc(Saver, msg::Create, 0, 0);
    fresh.shell.SaverClassProc(Saver, msg::Destroy, 0, 0);
    int associations = 0;
    for (const auto& call : fresh.os.calls) associations += call.rfind("ImmAssociateContext", 0) == 0 ? 1 : 0;
    EXPECT_EQ(associations, c.associateCalls);
    EXPECT_EQ(fresh.os.Count("PostQuit 0"), 1);
  }
}

TEST_F(SaverWindow, PreviewIgnoresInputAndNeverTouchesTheCursor) {
  Create(/*preview=*/true);
  Deliver(msg::Create);
  for (const MessageId m : {msg::KeyDown, msg::SysKeyDown, msg::LButtonDown, msg::RButtonDown, msg::MButtonDown,
                            msg::ShowWindow, msg::SetCursor, msg::Paint}) {
    Deliver(m, 1, 0);
  }
  Deliver(msg::ActivateApp, 0, 0);
  Deliver(msg::Power, 3, 0);
  Deliver(msg::PowerBroadcast, 0, 0);
  Deliver(msg::SysCommand, syscmd::MonitorPower, 2);
  EXPECT_EQ(MoveCursorTo(500, 500), testing::FakeShellPlatform::DefaultProcAnswer);
  EXPECT_EQ(Closes(), 0);
  EXPECT_EQ(os.Count("HideCursor"), 0);
}

TEST_F(SaverWindow, PreviewForwardsHelpToItsHost) {
  for (const MessageId m : {msg::Help, msg::ContextMenu}) {
    Create(/*preview=*/true);
    os.parentWindow = 0x77;
    os.windows = {0x77};
    EXPECT_EQ(Deliver(m, Saver, 0x12345), 1);
    EXPECT_EQ(os.calls.back(), "Post 119 " + testing::Hex(m) + " 119 74565");
    EXPECT_EQ(os.Count("SaverWindowProc " + testing::Hex(m)), 0);

    os.calls.clear();
    os.windows.clear();  // the host is gone
    EXPECT_EQ(Deliver(m, Saver, 0), 1);
    EXPECT_TRUE(os.calls.empty() || os.calls.back().rfind("Post", 0) != 0);

    Create(/*preview=*/false);
    Deliver(m, Saver, 0);
    EXPECT_EQ(os.Count("SaverWindowProc " + testing::Hex(m)), 1);
  }
}

TEST_F(SaverWindow, ClassProcAnswersSomeMessagesItself) {
  Create();
  EXPECT_EQ(Deliver(msg::SetText, 0, 0), 0);
  for (const WParam command : {syscmd::NextWindow, syscmd::PrevWindow, syscmd::ScreenSave}) {
    EXPECT_EQ(Deliver(msg::SysCommand, command, 0), 0);
  }
  EXPECT_EQ(os.calls, std::vector<std::string>{});  // none of them reached the program

  Deliver(msg::SysCommand, syscmd::MonitorPower, 2);
  EXPECT_EQ(os.Count("DefWindowProc 0x112"), 1);  // the monitor still powers down

  os.calls.clear();
  EXPECT_EQ(Deliver(msg::SetCursor, 0, 0), 1);
  EXPECT_EQ(os.calls, (std::vector<std::string>{"SaverWindowProc 0x20", "HideCursor"}));

  // Shown, the cursor is hidden; hidden, nothing happens.
  for (const auto& [shown, hides] : {std::pair{1, 1}, std::pair{0, 0}}) {
    os.calls.clear();
    Deliver(msg::ShowWindow, static_cast<WParam>(shown), 0);
    EXPECT_EQ(os.Count("HideCursor"), hides) << shown;
  }

  os.calls.clear();
  Deliver(msg::Timer, 1, 0);
  EXPECT_EQ(os.calls.front(), "Sleep0");
  EXPECT_EQ(os.Count("SaverWindowProc 0x113"), 1);
}

TEST_F(SaverWindow, CloseOutsideTheWin9xFamilyDestroysWithoutGranting) {
  Create();
  EXPECT_EQ(Deliver(msg::Close), testing::FakeShellPlatform::DefaultProcAnswer);
  EXPECT_EQ(os.Count("DefWindowProc 0x10"), 1);
  EXPECT_FALSE(state.closeGranted);
  // The verification request means nothing here either.
  Deliver(msg::VerifyRequest);
  EXPECT_EQ(os.Count("DefWindowProc 0x8000"), 1);
}

TEST_F(SaverWindow, GrantedCloseStopsFramesAndTheCloseRules) {
  Create(false, /*win9x=*/true);
  Deliver(msg::Close);
  ASSERT_TRUE(state.closeGranted);
  EXPECT_EQ(os.Count("DefWindowProc 0x10"), 1);

  os.calls.clear();
  EXPECT_EQ(Deliver(msg::Timer, 1, 0), 0);
  EXPECT_EQ(os.calls, std::vector<std::string>{});  // no frame, not even a yield
  for (const MessageId m : {msg::KeyDown, msg::MouseMove, msg::LButtonDown, msg::Paint}) {
    os.cursor = {900, 900};
    Deliver(m, 1, 0);
    EXPECT_EQ(os.Count("SaverWindowProc " + testing::Hex(m)), 0);
    EXPECT_EQ(os.Count("DefWindowProc " + testing::Hex(m)), 1);
  }
  Deliver(msg::ActivateApp, 0, 0);
  Deliver(msg::Close);
  EXPECT_EQ(Closes(), 0);
  EXPECT_EQ(os.Count("VerifyScreenSavePwd"), 0);
}

TEST_F(SaverWindow, RefusedPromptKeepsTheSaverAndBlocksRetriesFor200Ms) {
  Create(false, /*win9x=*/true);
  ProtectWithPassword();
  os.prompt = [this](WindowHandle) {
    os.tick = 1000;  // the prompt ends at 1000
    os.cursor = {300, 300};
    return 0;
  };
  os.tick = 500;
  EXPECT_EQ(Deliver(msg::Close), 0);
  EXPECT_EQ(os.calls,
            (std::vector<std::string>{"SaverWindowProc 0x10", "RemoveOnePendingTimer", "RemoveOnePendingTimer",
                                      "Send 0x8000", "SaverWindowProc 0x8000", "VerifyScreenSavePwd", "HideCursor"}));
  EXPECT_FALSE(state.closeGranted);
  EXPECT_FALSE(state.verifying);
  EXPECT_EQ(state.lastVerifyTime, 1000u);
  EXPECT_EQ(state.anchorCursor.x, 300);  // the travel that led here doesn't count again

  const struct {
    std::uint32_t tick;
    bool prompts;
  } retries[] = {{1000, false}, {1199, false}, {1200, true}};
  for (const auto& retry : retries) {
    os.calls.clear();
    os.tick = retry.tick;
    os.prompt = [this, retry](WindowHandle) {
      os.tick = retry.tick;
      return 0;
    };
    EXPECT_EQ(Deliver(msg::Close), 0);
    EXPECT_EQ(os.Count("VerifyScreenSavePwd"), retry.prompts ? 1 : 0) << retry.tick;
  }
}

TEST_F(SaverWindow, RetryWindowSurvivesTheTickCounterWrap) {
  const struct {
    std::uint32_t promptEnded;
    std::uint32_t now;
    bool prompts;
  } cases[] = {
      {0xFFFFFFC0u, 0x00000024u, false},  // 100 ms later, across the wrap
      {0xFFFFFFC0u, 0x00000088u, true},   // 200 ms later
      {0xFFFFFF00u, 0x00000010u, true},
      {5, 4, true},  // a clock that went backwards is far away modulo 2^32
  };
  for (const auto& c : cases) {
    Create(false, true);
    ProtectWithPassword();
    state.lastVerifyTime = c.promptEnded;
    os.tick = c.now;
    os.prompt = [](WindowHandle) { return 0; };
    Deliver(msg::Close);
    EXPECT_EQ(os.Count("VerifyScreenSavePwd"), c.prompts ? 1 : 0) << c.promptEnded << " " << c.now;
  }
}

TEST_F(SaverWindow, NestedMessagesDuringThePromptNeitherPromptAgainNorClose) {
  Create(false, true);
  ProtectWithPassword();
  LResult nestedCloseAnswer = -1;
  os.prompt = [this, &nestedCloseAnswer](WindowHandle) {
    // The prompt's own modal loop dispatches the saver's messages.
    os.cursor = {400, 400};
    nestedCloseAnswer = Deliver(msg::Close);
    Deliver(msg::KeyDown, 'A', 0);
    Deliver(msg::ActivateApp, 0, 0);
    Deliver(msg::PowerBroadcast, 0, 0);
    MoveCursorTo(900, 900);
    Deliver(msg::Timer, 1, 0);
    return 1;
  };
  EXPECT_EQ(Deliver(msg::Close), testing::FakeShellPlatform::DefaultProcAnswer);
  EXPECT_EQ(nestedCloseAnswer, 0);
  EXPECT_EQ(state.anchorCursor.x, 400);  // moved by the nested refusal
  EXPECT_EQ(os.Count("VerifyScreenSavePwd"), 1);
  EXPECT_EQ(Closes(), 0);
  EXPECT_EQ(os.Count("SaverWindowProc 0x113"), 1);  // frames go on behind the prompt
  EXPECT_TRUE(state.closeGranted);
  EXPECT_EQ(os.Count("DefWindowProc 0x10"), 1);  // only the outer close destroys
}

TEST_F(SaverWindow, Win9xCloseWithoutVerifierIsGrantedAtOnce) {
  Create(false, true);
  Deliver(msg::Close);
  EXPECT_TRUE(state.closeGranted);
  EXPECT_EQ(os.Count("Send 0x8000"), 0);
  // A verification request without a verifier lets the user go.
  Create(false, true);
  state.closeGranted = false;
  EXPECT_EQ(Deliver(msg::VerifyRequest), 1);
}

TEST_F(SaverWindow, AutoPlayQueryClosesAndCancelsOnlyUnderPassword) {
  const struct {
    bool win9x;
    bool password;
    LResult answer;
    int closes;
  } cases[] = {{true, true, 1, 1}, {true, false, 0, 1}};
  for (const auto& c : cases) {
    Create(false, c.win9x);
    state.autoPlayMessage = 0xC0DE;
    if (c.password) ProtectWithPassword();
    EXPECT_EQ(Deliver(0xC0DE, 0, 0), c.answer);
    EXPECT_EQ(Closes(), c.closes);
    EXPECT_EQ(os.Count("DefWindowProc 0xc0de"), 0);
  }
  // Elsewhere the message is never registered, so it is just another message (WM_NULL among them).
  Create(false, false);
  state.autoPlayMessage = 0;
  EXPECT_EQ(Deliver(0xC0DE, 0, 0), testing::FakeShellPlatform::DefaultProcAnswer);
  EXPECT_EQ(Deliver(0, 0, 0), testing::FakeShellPlatform::DefaultProcAnswer);
  EXPECT_EQ(Closes(), 0);
}

}  // namespace
}  // namespace vizo::shell
