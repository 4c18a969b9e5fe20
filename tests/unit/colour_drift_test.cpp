#include <gtest/gtest.h>

#include <cmath>

#include "renderer/colour_drift.h"

namespace vizo::renderer {
namespace {

// The colour rule evaluated directly, with the library's float sine and cosine.
LightColour Direct(std::int32_t phase) {
  const double o = static_cast<double>(static_cast<float>(phase) * 3.1415927f);
  const float fast = std::cos(static_cast<float>(o * 1.5873015873015873e-6));
  const float slow = std::cos(static_cast<float>(o * 7.936507936507937e-7));
  const float drift = std::sin(static_cast<float>(o * 1.9841269841269841e-7));
  return {117 * drift + 138, 58 * (fast + slow) + 138, 117 * fast + 128, 255};
}

TEST(ColourDrift, EveryPhaseOfACycleIsTheDirectColourToTheBit) {
  // A whole cycle as the animation walks it, from a seed's start through the wrap to 0; then
  // jumps and steps back, each starting a run of its own.
  ColourDrift colours;
  int differing = 0;
  const auto check = [&](std::int32_t phase) {
    if (colours.At(phase) != Direct(phase) && ++differing <= 5) ADD_FAILURE() << "phase " << phase;
  };
  std::int32_t phase = 41000;
  for (int call = 0; call < 5040001; ++call) {
    phase += 2;
    if (phase > 10080000) phase = 0;
    check(phase);
  }
  for (const std::int32_t jump : {2, 1, 3, 5000000, 4999998, 5001024, 5001026, 7, 10079998}) check(jump);
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace vizo::renderer
