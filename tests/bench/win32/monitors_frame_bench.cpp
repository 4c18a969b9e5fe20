// Milliseconds per whole frame of the saver's own scene owner and painters, full screen, with
// AllMonitors off (the main monitor draws, the others are kept black) or on (every monitor draws),
// and the allocations a frame makes. Run it on the two-monitor server, e.g.
//   tests/wine/wine-session start build/win32/wine-two-monitors-equal 2 equal
//   tests/wine/wine-run build/win32/wine-two-monitors-equal build/win32/bin/monitors_frame_bench.exe on 60
#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "renderer/win32/ScreenMain.h"
#include "tests/bench/counting_new.h"
#include "tests/bench/win32/device_timing.h"

using vizo::bench::Finish;
using vizo::bench::g_allocations;
using vizo::bench::Milliseconds;

int main(int argc, char** argv) {
  const bool allMonitors = argc > 1 && std::strcmp(argv[1], "on") == 0;
  const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
  auto& owner = vizo::renderer::win32::TheScreenMain();
  owner.scene.settings.allMonitors = allMonitors;
  vizo::renderer::win32::PainterAnimation().SetSeed(1);
  // A top-level window over the main monitor, as the saver's own is once its device is made.
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
  if (!window || !owner.InitDevice(window) || !owner.InitPainter()) return 1;
  int drawing = 0;
  for (const auto& view : owner.scene.views) drawing += view.role == vizo::renderer::ViewRole::Draw ? 1 : 0;
  const auto finishAll = [&owner] {
    for (int slot = 0; slot < static_cast<int>(owner.scene.views.size()); ++slot) Finish(owner.graphics.Device(slot));
  };

  for (int frame = 0; frame < 10; ++frame) owner.RenderFrame();
  finishAll();
  double best = 1e9;
  long allocations = 0;
  for (int round = 0; round < 3; ++round) {
    const long before = g_allocations;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int frame = 0; frame < frames; ++frame) owner.RenderFrame();
    finishAll();
    QueryPerformanceCounter(&end);
    allocations = std::max(allocations, g_allocations - before);
    best = std::min(best, Milliseconds(start, end) / frames);
  }
  std::printf(
      "AllMonitors %s: %zu monitors, %d drawing; %d frames: %.2f ms a frame (best of 3), %.2f allocations a frame\n",
      allMonitors ? "on " : "off", owner.scene.views.size(), drawing, frames, best,
      static_cast<double>(allocations) / frames);
  owner.End();
  DestroyWindow(window);
  return 0;
}
