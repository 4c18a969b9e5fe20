// The real saver's processor time, read inside it by the d3d9 stand-in (standins/display_notices.cpp),
// in three states of the screen, each for the same number of seconds:
//   drawing full screen; the display off (told by the display notice Windows would send), with the
//   frames presented meanwhile; and drawing windowed where every full-screen device is refused.
// Prints the dark display's processor time against the drawing's, and the windowed frame's against
// the full-screen one's (processor time a frame: under Mesa's software renderer the whole frame,
// drawing included, is the saver's processor time). Full screen and windowed take turns.
//   tests/wine/wine-run build/win32/wine build/win32/bin/display_bench.exe [SECONDS] [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../wine/harness.h"

namespace {

using vizo::winetest::D3d9Standin;
using vizo::winetest::Process;
using vizo::winetest::PumpUntil;
using vizo::winetest::StandinLog;

// The saver's processor time so far, in seconds, as its own GetProcessTimes tells.
double ProcessSeconds(const StandinLog& log) {
  const auto lines = [&log] { return log.Text(StandinLog::Source::Display); };
  const std::size_t before = lines().size();
  HANDLE request = OpenEventA(EVENT_MODIFY_STATE, FALSE, "VizoProcessTimes");
  if (!request) return -1;
  SetEvent(request);
  CloseHandle(request);
  if (!PumpUntil([&] { return lines().find("process times ", before) != std::string::npos; })) return -1;
  unsigned long long kernel = 0, user = 0;
  std::sscanf(lines().c_str() + lines().find("process times ", before), "process times %llu %llu", &kernel, &user);
  return static_cast<double>(kernel + user) / 1e7;
}

bool Ask(const char* event, const StandinLog& log, const char* line) {
  const std::size_t before = log.Text(StandinLog::Source::Display).size();
  HANDLE request = OpenEventA(EVENT_MODIFY_STATE, FALSE, event);
  if (!request) return false;
  SetEvent(request);
  CloseHandle(request);
  return PumpUntil([&] { return log.Text(StandinLog::Source::Display).find(line, before) != std::string::npos; });
}

struct Span {
  double seconds = 0;  // of processor time
  int presents = 0;
};

Span Measure(const StandinLog& log, DWORD milliseconds) {
  const double start = ProcessSeconds(log);
  const int presents = log.Presents(0);
  Sleep(milliseconds);
  return {ProcessSeconds(log) - start, log.Presents(0) - presents};
}

// One saver, drawing for the span, then (asked for) dark for as long.
bool Run(const char* fault, DWORD milliseconds, Span& drawing, Span* dark) {
  StandinLog log("-display-bench");
  SetEnvironmentVariableA("VIZO_D3D9_FAULT", fault);
  Process saver(vizo::winetest::SaverPath(), "/s");
  if (!saver.Started() || !log.WaitForMorePresents(0, 30)) return false;
  drawing = Measure(log, milliseconds);
  if (dark) {
    if (!Ask("VizoDisplayOff", log, "display off sent")) return false;
    *dark = Measure(log, milliseconds);
  }
  vizo::winetest::PressKey(VK_SPACE);
  return saver.WaitForExit().has_value();
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD milliseconds = 1000 * static_cast<DWORD>(argc > 1 ? std::max(1, std::atoi(argv[1])) : 10);
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  D3d9Standin standIn;
  if (!standIn.Installed()) return 1;
  double fullScreenFrame = 1e9, windowedFrame = 1e9;
  for (int round = 0; round < rounds; ++round) {
    Span drawing, dark, windowed;
    if (!Run("", milliseconds, drawing, round == 0 ? &dark : nullptr) || !Run("full-screen", milliseconds, windowed, nullptr) ||
        drawing.presents == 0 || windowed.presents == 0) {
      std::printf("round %d: the saver did not draw\n", round + 1);
      return 1;
    }
    if (round == 0) {
      std::printf("display off for %lu s: %d frames presented, %.3f s of processor time against %.3f s drawing (%.2f %%)\n",
                  milliseconds / 1000, dark.presents, dark.seconds, drawing.seconds, 100 * dark.seconds / drawing.seconds);
    }
    const double full = drawing.seconds / drawing.presents, window = windowed.seconds / windowed.presents;
    std::printf("round %d: full screen %.2f ms a frame (%d frames), windowed %.2f ms a frame (%d frames)\n", round + 1,
                1000 * full, drawing.presents, 1000 * window, windowed.presents);
    fullScreenFrame = std::min(fullScreenFrame, full);
    windowedFrame = std::min(windowedFrame, window);
  }
  std::printf("windowed / full screen, best frames: %.3f\n", windowedFrame / fullScreenFrame);
  SetEnvironmentVariableA("VIZO_D3D9_FAULT", nullptr);
  return 0;
}
