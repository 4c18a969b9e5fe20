// The processor's share of one fireworks frame (frame_cpu_work.h) in the 32-bit Windows build, with
// the x87 unit at its start-up precision and in single precision as Direct3D leaves it.
// Run: tests/wine/wine-run build/win32/wine build/win32/bin/frame_cpu_bench32.exe
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "gfxutil/float_precision.h"
#include "tests/bench/frame_cpu_work.h"

namespace {

// The fastest of 20 rounds of 500 frames, in microseconds a frame: on a shared machine the fastest
// round is the one least disturbed.
double MicrosecondsPerFrame(std::int32_t spacing, int views) {
  vizo::bench::FrameCpuWork work(spacing, views);
  double best = 1e30;
  for (int round = 0; round < 20; ++round) {
    constexpr int Frames = 500;
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < Frames; ++frame)
      work.Frame(vizo::bench::HandToDevice{});
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count() / Frames);
  }
  return best;
}

}  // namespace

int main() {
  for (const bool single : {false, true}) {
    if (single) vizo::gfx::SetX87Precision(vizo::gfx::Precision::Single);
    for (const std::int32_t spacing : {1, 10}) {
      for (const int views : {1, 2})
        std::printf("x87 %-8s spacing %2d, %d view%s: %8.1f us a frame\n", single ? "single" : "start-up", spacing,
                    views, views == 1 ? " " : "s", MicrosecondsPerFrame(spacing, views));
    }
  }
  return 0;
}
