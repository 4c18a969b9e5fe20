// The processor's share of one fireworks frame (frame_cpu_work.h) in the Linux build.
// Run: build/native/tests/bench/frame_cpu_bench
#include <benchmark/benchmark.h>

#include "tests/bench/counting_new.h"
#include "tests/bench/frame_cpu_work.h"

namespace {

void FrameCpuWork(benchmark::State& state) {
  vizo::bench::FrameCpuWork work(static_cast<std::int32_t>(state.range(0)), static_cast<int>(state.range(1)));
  const long allocationsBefore = vizo::bench::g_allocations;
  for (auto _ : state) {
    work.Frame(vizo::bench::HandToDevice{});
  }
  state.counters["allocations/frame"] =
      static_cast<double>(vizo::bench::g_allocations - allocationsBefore) / static_cast<double>(state.iterations());
}
// Arguments: the spacing, and the views (monitors) that draw the frame; with 0 the animation alone.
BENCHMARK(FrameCpuWork)->ArgsProduct({{1, 10}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
