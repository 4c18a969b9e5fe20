#include <gtest/gtest.h>

#include <cstddef>

#include "renderer/colour_drift.h"

namespace vizo::renderer {
namespace {

TEST(ColourDrift, TheRedWavesQuarterTurnsGiveTheColoursExtremes) {
  // The red wave turns once in 10,080,000 phases, green's slower wave 4 times, blue's 8 times.
  const struct {
    std::int32_t phase;
    LightColour colour;
  } rows[] = {{0, {138, 254, 245, 255}},
              {2520000, {255, 254, 245, 255}},
              {5040000, {138, 254, 245, 255}},
              {7560000, {21, 254, 245, 255}},
              // pi / 16: 138 + 117 sin(pi / 16), 138 + 58 (cos(pi / 4) + cos(pi / 2)), 128 + 117 cos(pi / 2)
              {315000, {160.825567f, 179.012193f, 128, 255}}};
  for (const auto& row : rows) {
    const LightColour colour = LightColourAt(row.phase);
    for (std::size_t c = 0; c < 4; ++c) EXPECT_NEAR(colour[c], row.colour[c], 2e-4) << row.phase << " channel " << c;
  }
}

TEST(ColourDrift, EveryPhaseOfACycleIsTheDirectColourToTheBit) {
  // A whole cycle as the animation walks it, from a seed's start through the wrap to 0; then
  // jumps and steps back, each starting a run of its own.
  ColourDrift colours;
  int differing = 0;
  const auto check = [&](std::int32_t phase) {
    if (colours.At(phase) != LightColourAt(phase) && ++differing <= 5) ADD_FAILURE() << "phase " << phase;
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
