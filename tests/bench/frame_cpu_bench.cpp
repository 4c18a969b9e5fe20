// The processor's share of one fireworks frame (frame_cpu_work.h) in the Linux build.
// Run: build/native/tests/bench/frame_cpu_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/bench/frame_cpu_work.h"

namespace {

// Every allocation of the process is counted, to show that a frame makes none.
std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// These deletes pair with the new above; GCC can't see that and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

void FrameCpuWork(benchmark::State& state) {
  vizo::bench::FrameCpuWork work(static_cast<std::int32_t>(state.range(0)), static_cast<int>(state.range(1)));
  const long allocationsBefore = g_allocations;
  for (auto _ : state) {
    work.Frame([](auto& vertex, auto& pixel) {
      benchmark::DoNotOptimize(vertex);
      benchmark::DoNotOptimize(pixel);
    });
  }
  state.counters["allocations/frame"] =
      static_cast<double>(g_allocations - allocationsBefore) / static_cast<double>(state.iterations());
}
// Arguments: the spacing, and the views (monitors) that draw the frame; with 0 the animation alone.
BENCHMARK(FrameCpuWork)->ArgsProduct({{1, 10}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
