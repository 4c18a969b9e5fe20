// The saver window's message handling as a state machine: random sequences of input, timer, power,
// display-state and activation messages, posted closes delivered later as a message loop would, the
// clock moving on, and a password prompt that answers either way. After every message the close
// rules' promises must hold.
#include <cstdint>
#include <deque>

#include "../unit/fake_shell_platform.h"
#include "fuzz_check.h"

using namespace vizo::shell;

namespace {

constexpr WindowHandle Saver = 0x5000;

struct Run {
  testing::ShellWithFake t;
  bool promptAnswer = false;
  int yesAnswers = 0;
  bool havePromptTick = false;
  std::uint32_t lastPromptTick = 0;
  std::size_t callsSeen = 0;
  std::deque<int> pendingCloses;

  // Closes the shell posted since the last look, queued for delivery; how many.
  int CollectPosts() {
    int posted = 0;
    for (; callsSeen < t.os.calls.size(); ++callsSeen) {
      if (t.os.calls[callsSeen].rfind("Post " + std::to_string(Saver) + " 0x10 ", 0) == 0) {
        pendingCloses.push_back(1);
        ++posted;
      }
    }
    return posted;
  }

  // A display-state notice: of one of the two settings or of another, its data as long as a value
  // or shorter, its value one of the three states or another. Only a whole notice of a known
  // setting naming a state (off: dark; on, dimmed: lit) may change the frames, and none closes.
  void DeliverDisplayNotice(std::uint8_t a, std::uint8_t b) {
    SettingGuid guid = (a & 1) ? ConsoleDisplayStateGuid : MonitorPowerOnGuid;
    if (a & 2) guid.data4[b % 8] ^= static_cast<std::uint8_t>(1u << (a >> 5));
    const std::uint32_t length = (a >> 2) & 7;
    const std::uint32_t value = b % 5;
    const auto notice = testing::DisplayNotice(guid, length, value);
    const bool known = guid == ConsoleDisplayStateGuid || guid == MonitorPowerOnGuid;
    const bool whole = known && length >= 4 && value <= 2 && !t.shell.state.previewMode;
    const bool darkBefore = t.shell.state.displayDark;
    const std::size_t pausesBefore = Pauses();
    FUZZ_CHECK(Deliver(msg::PowerBroadcast, pbt::PowerSettingChange, reinterpret_cast<LParam>(notice.data())) == 0);
    FUZZ_CHECK(t.shell.state.displayDark == (whole ? value == 0 : darkBefore));
    FUZZ_CHECK(Pauses() - pausesBefore == (t.shell.state.displayDark != darkBefore ? 1u : 0u));
  }
  std::size_t Pauses() const {
    std::size_t n = 0;
    for (const auto& call : t.os.calls) n += call.rfind("PauseFrames", 0) == 0 ? 1 : 0;
    return n;
  }

  // The closes the message posted.
  int Deliver(MessageId message, WParam wParam, LParam lParam) {
    const bool wasGranted = t.shell.state.closeGranted;
    const int yesBefore = yesAnswers;
    t.shell.SaverClassProc(Saver, message, wParam, lParam);
    const int posted = CollectPosts();
    // A preview never asks to close: its host ends it. (The AutoPlay query of the 9x family is the
    // one message whose rule applies to both kinds of window.)
    const bool autoPlay = message != 0 && message == t.shell.state.autoPlayMessage;
    if (t.shell.state.previewMode && !autoPlay) FUZZ_CHECK(posted == 0);
    if (!wasGranted && t.shell.state.closeGranted && t.shell.state.verifyPassword != 0) {
      FUZZ_CHECK(yesAnswers > yesBefore);  // with a password, only the prompt's yes lets it go
    }
    return posted;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  Run run;
  auto& os = run.t.os;
  auto& state = run.t.shell.state;
  state.previewMode = (data[0] & 1) != 0;
  state.win9xFamily = (data[0] & 2) != 0;
  if (state.win9xFamily && (data[0] & 4)) state.verifyPassword = 0x1234;
  state.autoPlayMessage = state.win9xFamily ? os.autoPlayId : 0;
  state.saverWindow = Saver;
  os.windows = {Saver};
  os.tick = 0xFFFFF000u;  // the tick count wraps during the run
  os.prompt = [&run](WindowHandle) {
    // No second prompt within 200 ms of the last one.
    if (run.havePromptTick) FUZZ_CHECK(run.t.os.tick - run.lastPromptTick >= VerifyRetryInterval);
    run.havePromptTick = true;
    run.lastPromptTick = run.t.os.tick;
    if (run.promptAnswer) ++run.yesAnswers;
    return run.promptAnswer ? 1 : 0;
  };
  os.saverWindowProc = [&run](WindowHandle w, MessageId m, WParam wp, LParam lp) {
    // No frame once closing, nor while the display is dark.
    if (m == msg::Timer) FUZZ_CHECK(!run.t.shell.state.closeGranted && !run.t.shell.state.displayDark);
    return run.t.shell.DefaultSaverProc(w, m, wp, lp);
  };
  run.Deliver(msg::Create, 0, 0);

  for (std::size_t i = 1; i + 2 < size; i += 3) {
    const std::uint8_t a = data[i + 1], b = data[i + 2];
    switch (data[i] % 15) {
      case 0:
        run.Deliver(msg::KeyDown, a, 0);
        break;
      case 1:
        run.Deliver(msg::SysKeyDown, a, 0);
        break;
      case 2:
        run.Deliver(a % 3 == 0 ? msg::LButtonDown : a % 3 == 1 ? msg::RButtonDown : msg::MButtonDown, 0, 0);
        break;
      case 3:
        os.cursor.x += a - 128, os.cursor.y += b - 128;
        run.Deliver(msg::MouseMove, 0, 0);
        break;
      case 4:
        run.Deliver(msg::Timer, 1, 0);
        break;
      case 5:
        run.Deliver(msg::ActivateApp, a & 1, 0);
        break;
      case 6:
        run.Deliver(msg::PowerBroadcast, a % 16, b & 1);
        break;
      case 7: {
        const WParam commands[] = {syscmd::ScreenSave, syscmd::MonitorPower, syscmd::NextWindow, syscmd::PrevWindow, 0};
        run.Deliver(msg::SysCommand, commands[a % 5], 0);
        break;
      }
      case 8:  // the loop gets to a posted close
        if (!run.pendingCloses.empty()) {
          run.pendingCloses.pop_front();
          run.Deliver(msg::Close, 0, 0);
        }
        break;
      case 9:
        os.tick += static_cast<std::uint32_t>(a) * 4u;
        break;
      case 10:
        run.promptAnswer = (a & 1) != 0;
        break;
      case 11:
        run.Deliver(msg::Power, a % 8, 0);
        break;
      case 12:
        run.Deliver(state.autoPlayMessage != 0 ? state.autoPlayMessage : msg::SetCursor, 0, 0);
        break;
      case 13:
        run.DeliverDisplayNotice(a, b);
        break;
      default:
        run.Deliver(a & 1 ? msg::Paint : msg::ShowWindow, b & 1, 0);
        break;
    }
    os.calls.clear();
    run.callsSeen = 0;
  }
  return 0;
}
