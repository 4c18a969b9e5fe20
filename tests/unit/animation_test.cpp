#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

namespace vizo::renderer {
namespace {

std::uint32_t NoClock() { return 0; }

TEST(OrbitCamera, CirclesTheOriginADegreeAFrame) {
  OrbitStep() = 0;
  OrbitCamera camera;
  camera.SetAspect(1024, 768);
  camera.Update();
  // 20 sin 1 degree and 20 cos 1 degree.
  EXPECT_NEAR(camera.eye.x, 0.3490481, 1e-5);
  EXPECT_EQ(camera.eye.y, 0);
  EXPECT_NEAR(camera.eye.z, 19.9969539, 1e-5);
  for (int i = 1; i < 90; ++i) camera.Update();
  EXPECT_NEAR(camera.eye.x, 20, 1e-5);
  EXPECT_NEAR(camera.eye.z, 0, 1e-5);
  // The world matrix is identity after every update, whatever happened to it.
  camera.world.m[3][0] = 7;
  camera.Update();
  EXPECT_EQ(camera.world, gfx::Matrix::Identity());
  EXPECT_NEAR(camera.projection.m[0][0], 1.81066f, 1e-5f);
  EXPECT_NEAR(camera.projection.m[1][1], 2.41421f, 1e-5f);
  for (const gfx::Vector3 p : {gfx::Vector3{0, 0, 0}, gfx::Vector3{8, 4, 8}, gfx::Vector3{-8, -4, 3}}) {
    const auto clip = gfx::TransformPoint(p, camera.ViewProjection());
    EXPECT_FLOAT_EQ(clip[2] / clip[3], 1.0f);
  }
  // Another monitor's picture: the same eye, the projection of its own shape, the camera untouched.
  const OrbitCamera wide = camera.WithAspect(1.25f);
  EXPECT_EQ(wide.view, camera.view);
  EXPECT_NEAR(wide.projection.m[0][0], 2.41421f / 1.25f, 1e-5f);
  EXPECT_EQ(wide.projection.m[1][1], camera.projection.m[1][1]);
  EXPECT_EQ(camera.WithAspect(camera.aspect).projection, camera.projection);
}

TEST(OrbitCamera, AngleUsesTheFloatHalfDegreeAndTheStepWrapsAt32Bits) {
  const struct {
    std::int32_t before, after, twice;
  } cases[] = {
      {0, 1, 2},
      {123456788, 123456789, 246913578},  // far enough for the decimal 0.008726646 to be off by 0.9
      {(1 << 30) - 1, 1 << 30, INT32_MIN},
      {INT32_MAX, INT32_MIN, 0},
  };
  for (const auto& c : cases) {
    OrbitStep() = c.before;
    OrbitCamera camera;
    camera.SetAspect(4, 3);
    camera.Update();
    EXPECT_EQ(OrbitStep(), c.after);
    const long double theta = static_cast<long double>(c.twice) * static_cast<long double>(0.008726646f);
    EXPECT_NEAR(camera.eye.x, static_cast<float>(20 * std::sin(theta)), 1e-4) << c.before;
    EXPECT_NEAR(camera.eye.z, static_cast<float>(20 * std::cos(theta)), 1e-4) << c.before;
  }
  OrbitStep() = 0;
}

TEST(RuntimeRandom, FollowsTheRuntimesGenerator) {
  // The first ten numbers of the Microsoft C runtime's rand() after srand(1) and srand(0), as the
  // runtime gives them.
  const struct {
    std::uint32_t seed;
    std::vector<int> numbers;
  } sequences[] = {{1, {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}},
                   {0, {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612}}};
  for (const auto& sequence : sequences) {
    RuntimeRandom random;
    random.Seed(sequence.seed);
    std::vector<int> numbers;
    for (std::size_t i = 0; i < sequence.numbers.size(); ++i) numbers.push_back(random.Next());
    EXPECT_EQ(numbers, sequence.numbers) << sequence.seed;
  }
}

TEST(HanabiAnimation, FirstDrawOfTheProcess) {
  HanabiAnimation animation(NoClock);
  animation.SetSeed(1);
  const SpriteDraw first = animation.Next(1, 0);
  EXPECT_FLOAT_EQ(first.coronaSize, 0.499f);
  EXPECT_NEAR(first.coronaExp, 0.0499 * 0.7, 1e-6);
  EXPECT_EQ(first.turn, 0);
  EXPECT_FLOAT_EQ(first.pos0.x, 0);
  EXPECT_FLOAT_EQ(first.pos0.y, 4);
  EXPECT_FLOAT_EQ(first.pos0.z, 8);
  EXPECT_EQ(first.textureSlot, 0);
  EXPECT_TRUE(first.draws);
  // Colour phase (41 * 1000) + 2, from the generator's first number: o = 41002 x 3.1415927 in float,
  // then 117 sin(o / 5040000) + 138, 58 (cos(o / 630000) + cos(o / 1260000)) + 138 and
  // 117 cos(o / 630000) + 128 (worked out apart from the program, in Python's doubles).
  EXPECT_FLOAT_EQ(first.lightColor[0], 140.989944f);
  EXPECT_FLOAT_EQ(first.lightColor[1], 252.489044f);
  EXPECT_FLOAT_EQ(first.lightColor[2], 242.562912f);
  EXPECT_EQ(first.lightColor[3], 255);
}

// The colour phase starts at the generator's first number times 1000, modulo 10,080,000, moves on
// by 2 before each call uses it, and starts again at 0 once it has passed 10,080,000.
TEST(HanabiAnimation, TheColourPhaseStartsFromTheSeedAndWrapsOncePastTheCycle) {
  const struct {
    std::uint32_t seed;
    std::int64_t callsBefore;
    std::vector<std::int32_t> phases;  // of the calls that follow
  } cases[] = {
      {3076, 0, {3002, 3004}},  // first number 10083: 10,083,000 is 3000 past the cycle
      {1, 5019499, {10080000, 0, 2, 4}},  // from 41,000: 10,080,000 at call 5,019,500
  };
  for (const auto& c : cases) {
    HanabiAnimation animation(NoClock);
    animation.SetSeed(c.seed);
    for (std::int64_t call = 0; call < c.callsBefore; ++call) animation.Next(1, 0);
    for (const std::int32_t phase : c.phases) {
      EXPECT_EQ(animation.Next(1, 0).lightColor, LightColourAt(phase)) << c.seed << ": phase " << phase;
    }
  }
}

TEST(HanabiAnimation, SizeWrapsEvery1000CallsInFloatArithmetic) {
  // 0.0001 taken off a float each call: exact arithmetic would wrap every 1001 calls, the float's
  // rounding makes it 1000.
  HanabiAnimation animation(NoClock);
  animation.SetSeed(1);
  std::vector<int> wraps;
  for (int call = 1; call <= 3 * 1001; ++call) {
    const SpriteDraw d = animation.Next(1, (call - 1) % 1000);
    if (d.coronaSize == 0.5f) {
      wraps.push_back(call);
      EXPECT_EQ(d.textureSlot, 0);
      EXPECT_FLOAT_EQ(d.coronaExp, 0.05f * 0.7f);
    }
    if (d.coronaSize < 0) {
      EXPECT_EQ(d.coronaExp, 0);
    }
  }
  EXPECT_EQ(wraps, (std::vector<int>{1000, 2000, 3000}));
}

// The size, 0.05 at call 999 of its 1000-call cycle and 0.0001 less each call, is below 0 from call
// 499 of the cycle on (0.0499 - 499 x 0.0001 rounds below 0 in float): a frame in step with the
// cycle draws its calls 0 to 498, one 500 calls later its calls 499 on, up to the 800 limit; of
// those, every spacing-th call.
TEST(HanabiAnimation, SpacingAndIndexDecideWhichCallsDraw) {
  const struct {
    std::int32_t spacing;
    int callsBefore;
    int first, last, count;
  } cases[] = {{1, 0, 0, 498, 499}, {1, 500, 499, 799, 301}, {10, 0, 0, 490, 50}, {10, 500, 500, 790, 30}};
  for (const auto& c : cases) {
    HanabiAnimation animation(NoClock);
    animation.SetSeed(1);
    for (int call = 0; call < c.callsBefore; ++call) animation.Next(c.spacing, 0);
    std::vector<int> drawn;
    for (int i = 0; i < 1000; ++i) {
      if (animation.Next(c.spacing, i).draws) drawn.push_back(i);
    }
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), c.first) << c.spacing << ", " << c.callsBefore;
    EXPECT_EQ(drawn.back(), c.last) << c.spacing << ", " << c.callsBefore;
    EXPECT_EQ(static_cast<int>(drawn.size()), c.count) << c.spacing << ", " << c.callsBefore;
  }
}

// Slot 0 while the sprite is large; while it shrinks from 0.0495 to 0.0486 (calls 4 to 13 of its
// cycle), slot 0 on an even count of the texture timer and the texture on an odd one; then the
// texture alone. Seed 1 gives texture 18467 % 7 = 1. The texture moves on when the timer passes
// 1,008,000, at call 1,008,001, which starts the timer again at 0 and so turns the alternation
// round; and again every 1,008,001 calls; after 6 comes 0.
TEST(HanabiAnimation, TextureSlotsAlternateAndTheTextureMovesOnEvery1008001Calls) {
  HanabiAnimation animation(NoClock);
  animation.SetSeed(1);
  std::int64_t call = 0;
  const auto slotsFrom = [&](std::int64_t first, int count) {
    for (; call < first; ++call) animation.Next(1, 0);
    std::vector<int> slots;
    for (int n = 0; n < count; ++n, ++call) slots.push_back(animation.Next(1, 0).textureSlot);
    return slots;
  };
  EXPECT_EQ(slotsFrom(0, 16), (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1}));
  EXPECT_EQ(slotsFrom(1008000, 16), (std::vector<int>{0, 0, 0, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 2}));
  // Each later move, seen at call 20 of the cycles before and after it.
  const std::pair<int, int> moves[] = {{2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 0}, {0, 1}};
  for (int k = 2; k <= 7; ++k) {
    const std::int64_t move = k * std::int64_t{1008001};
    EXPECT_EQ(slotsFrom(move - 980, 1)[0], moves[k - 2].first) << k;
    EXPECT_EQ(slotsFrom(move + 20, 1)[0], moves[k - 2].second) << k;
  }
}

TEST(HanabiAnimation, SpinAndOrbitRunThroughTheirSteps) {
  HanabiAnimation animation(NoClock);
  animation.SetSeed(1);
  std::vector<SpriteDraw> draws;
  for (int call = 0; call < 1010; ++call) draws.push_back(animation.Next(1, 0));
  EXPECT_FLOAT_EQ(draws[251].turn, static_cast<float>(251 / 252.0 * 6.2831854820251465));
  EXPECT_EQ(draws[252].turn, 0);  // step 252 starts the second round
  EXPECT_EQ(draws[504].turn, 0);  // step 504 shows 0, and so does the step 0 after it
  EXPECT_EQ(draws[505].turn, 0);
  EXPECT_NEAR(draws[504].pos0.x, 0, 1e-5);  // half way round: (0, -4, -8)
  EXPECT_NEAR(draws[504].pos0.z, -8, 1e-5);
  EXPECT_FLOAT_EQ(draws[1008].pos0.z, 8);  // one revolution per 1008 calls
}

}  // namespace
}  // namespace vizo::renderer
