#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "renderer/corona_constants.h"

namespace vizo::renderer {
namespace {

TEST(CoronaConstants, PolynomialStaysWithin1e4OfSineAndCosine) {
  double worst = 0;
  for (int i = -20000; i <= 20000; ++i) {
    const float turn = static_cast<float>(i) * 0.001f;  // several turns either way
    worst = std::max(worst, std::abs(static_cast<double>(CoronaSine(turn)) - std::sin(static_cast<double>(turn))));
    worst = std::max(worst, std::abs(static_cast<double>(CoronaCosine(turn)) - std::cos(static_cast<double>(turn))));
  }
  EXPECT_LT(worst, 1e-4);
}

TEST(CoronaConstants, KeptTurnValuesAreThoseOfTheAngleAsked) {
  // From an empty cache: the spin's angles twice in order (the second time each is the slot after
  // the last), then others that land in their slots (a hair off, a turn on, negative), asked in
  // turns so that each takes a slot another one filled; then angles no slot fits.
  g_turnCache = TurnCache{};
  std::vector<float> turns;
  for (int i = 0; i < 2 * 252; ++i) turns.push_back(static_cast<float>(i % 252 * (1.0 / 252) * 6.2831854820251465));
  for (int i = 0; i < 252; i += 7) {
    turns.push_back(std::nextafter(turns[static_cast<std::size_t>(i)], 10.0f));
    turns.push_back(turns[static_cast<std::size_t>(i)] + 6.2831855f);
    turns.push_back(-turns[static_cast<std::size_t>(i)]);
    turns.push_back(turns[static_cast<std::size_t>(i)]);
  }
  for (const float far : {1e7f, -3e9f, 3.4e38f, INFINITY, -INFINITY, NAN, 0.0f}) turns.push_back(far);
  for (const float turn : turns) {
    const TurnValues kept = CoronaTurnValues(turn);
    const float sine = CoronaSine(turn), cosine = CoronaCosine(turn);
    if (std::isnan(sine)) {
      EXPECT_TRUE(std::isnan(kept.sine)) << turn;
    } else {
      EXPECT_EQ(kept.sine, sine) << turn;
      EXPECT_EQ(kept.cosine, cosine) << turn;
    }
    EXPECT_LT(g_turnCache.lastIndex, g_turnCache.slots.size()) << turn;
  }
  // Step 256 of 252 a turn (a turn and four steps on) takes slot 0, not one past the last.
  g_turnCache = TurnCache{};
  CoronaTurnValues(static_cast<float>(256 * 6.283185307179586 / 252));
  EXPECT_EQ(g_turnCache.lastIndex, 0u);
}

TEST(CoronaConstants, WorkedExample) {
  CoronaParameters p;
  p.viewProjection = gfx::Matrix::Identity();
  p.viewProjection.m[3] = {0, 0, 0.5f, 2};  // puts the centre at P = (0, 0, 0.5, 2)
  p.pull = 1;
  p.aspect = 2;
  p.coronaSize = 0.4f;
  p.coronaExp = -3;

  const CoronaConstants still = ComputeCoronaConstants(p);
  EXPECT_FLOAT_EQ(still.inverseAspect, 0.5f);
  EXPECT_FLOAT_EQ(still.brightness, 9);
  const auto corner = CoronaCorner(p, still, 1, 1);
  EXPECT_NEAR(corner[0], 0.5f, 1e-4f);
  EXPECT_NEAR(corner[1], 1.0f, 1e-4f);
  EXPECT_FLOAT_EQ(corner[2], 0.5f);
  EXPECT_FLOAT_EQ(corner[3], 2);

  p.turn = 1.5707964f;
  const auto turned = CoronaCorner(p, ComputeCoronaConstants(p), 1, 1);
  EXPECT_NEAR(turned[0], -0.5f, 1e-4f);
  EXPECT_NEAR(turned[1], 1.0f, 1e-4f);
}

TEST(CoronaConstants, CentreIsPos0ThroughTheViewProjection) {
  CoronaParameters p;
  p.viewProjection =
      gfx::Multiply(gfx::LookAtLH({0, 0, 10}, {0, 0, 0}, {0, 1, 0}), gfx::PerspectiveFovLH(0.7853982f, 1, 0, 100));
  p.centre = {1, 2, 3};
  p.aspect = 1;
  const auto centre = ComputeCoronaConstants(p).centre;
  const auto expected = gfx::TransformPoint(p.centre, p.viewProjection);
  for (size_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(centre[i], expected[i]);
}

}  // namespace
}  // namespace vizo::renderer
