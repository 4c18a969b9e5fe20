// The frame benchmark computes what the saver computes: for one frame, each draw's effect constants
// equal those of the same sprite drawn through a view set up as the painter sets it up (the
// camera's projection, pull 1, the picture's aspect), and all are finite.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "renderer/corona_constants.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"
#include "tests/bench/frame_cpu_work.h"

namespace vizo::bench {
namespace {

struct Drawn {
  float sine, cosine, inverseAspect, pull, brightness;
  std::array<float, 4> centre;
};

TEST(FrameCpuWork, EachDrawsConstantsAreThePaintersForTheSameView) {
  for (const int views : {1, 2}) {
    SCOPED_TRACE(views);
    FrameCpuWork work(1, views);
    std::vector<Drawn> drawn;
    const std::int32_t step = renderer::OrbitStep();  // the orbit is the process's
    work.Frame([&drawn](const auto& vertex, const auto& pixel) {
      drawn.push_back({vertex.registers[0][0], vertex.registers[1][0], vertex.registers[5][0], vertex.registers[9][0],
                       pixel.registers[1][0],
                       {vertex.registers[6][0], vertex.registers[6][1], vertex.registers[7][0], vertex.registers[7][1]}});
    });
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(1000 * views));

    // The saver's frame, worked out apart: the painter's view is its camera's projection, pull 1 and
    // the camera's aspect (the desktop's 1024 x 768; other monitors their own).
    renderer::OrbitCamera camera;
    camera.SetAspect(1024, 768);
    renderer::OrbitStep() = step;
    camera.Update();
    renderer::HanabiAnimation animation{[]() -> std::uint32_t { return 0; }};
    animation.SetSeed(FrameCpuWork::Seed);
    std::vector<renderer::SpriteDraw> sprites;
    for (int i = 0; i < 1000; ++i) sprites.push_back(animation.Next(1, i));
    for (int view = 0; view < views; ++view) {
      const renderer::OrbitCamera viewCamera =
          view == 0 ? camera : camera.WithAspect(FrameCpuWork::OtherMonitorsAspect);
      for (std::size_t i = 0; i < sprites.size(); ++i) {
        const renderer::SpriteDraw& d = sprites[i];
        renderer::CoronaParameters p;
        p.viewProjection = viewCamera.ViewProjection();
        p.turn = d.turn;
        p.centre = d.pos0;
        p.coronaSize = d.coronaSize;
        p.pull = 1;
        p.aspect = viewCamera.aspect;
        p.coronaExp = d.coronaExp;
        const renderer::CoronaConstants c = renderer::ComputeCoronaConstants(p);
        const Drawn& got = drawn[static_cast<std::size_t>(view) * 1000 + i];
        const float all[] = {got.sine,      got.cosine,    got.inverseAspect, got.pull,     got.brightness,
                             got.centre[0], got.centre[1], got.centre[2],     got.centre[3]};
        for (const float value : all) ASSERT_TRUE(std::isfinite(value)) << "view " << view << ", draw " << i;
        // Within float's last bits: the x87 unit may keep either side's sums wider.
        const float want[] = {c.sine,      c.cosine,    c.inverseAspect, 1.0f,       c.brightness,
                              c.centre[0], c.centre[1], c.centre[2],     c.centre[3]};
        for (std::size_t k = 0; k < std::size(all); ++k) {
          ASSERT_FLOAT_EQ(all[k], want[k]) << "view " << view << ", draw " << i << ", value " << k;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vizo::bench
