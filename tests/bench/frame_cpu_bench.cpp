// The processor's share of one fireworks frame: 1000 calls of animation, parameter setting and
// effect constants, with a device that does nothing. Run: build/native/tests/bench/frame_cpu_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "gfxutil/effect_definition.h"
#include "renderer/corona_effect.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

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
  const auto& effect = vizo::renderer::CoronaEffect();
  vizo::gfx::ParameterValues values(effect.parameters);
  const auto size = values.Find("coronaSize"), exp = values.Find("coronaExp"), turn = values.Find("turn"),
             pos = values.Find("pos0"), light = values.Find("lightColor"), view = values.Find("view_proj_matrix");
  vizo::renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(1);
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(1024, 768);
  vizo::gfx::ConstantBlock<vizo::gfx::VertexConstantCount> vertex;
  vizo::gfx::ConstantBlock<vizo::gfx::PixelConstantCount> pixel;
  const auto spacing = static_cast<std::int32_t>(state.range(0));
  const long allocationsBefore = g_allocations;
  for (auto _ : state) {
    camera.Update();
    const vizo::gfx::Matrix viewProjection = camera.ViewProjection();
    values.SetFloats(view, &viewProjection.m[0][0], 16);
    for (int i = 0; i < 1000; ++i) {
      const auto d = animation.Next(spacing, i);
      values.SetFloats(exp, &d.coronaExp, 1);
      values.SetFloats(size, &d.coronaSize, 1);
      values.SetFloats(turn, &d.turn, 1);
      const float centre[3] = {d.pos0.x, d.pos0.y, d.pos0.z};
      values.SetFloats(pos, centre, 3);
      values.SetFloats(light, d.lightColor.data(), 4);
      effect.computeConstants(values, vertex, pixel);
      benchmark::DoNotOptimize(vertex);
      benchmark::DoNotOptimize(pixel);
    }
  }
  state.counters["allocations/frame"] =
      static_cast<double>(g_allocations - allocationsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(FrameCpuWork)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
