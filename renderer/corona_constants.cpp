#include "corona_constants.h"

#include <cmath>

namespace vizo::renderer {

namespace {

// cos(x) with x = turn + (quarterTurns - 1/2) turns, folded into [-pi, pi), as the effect evaluates it.
float EvenPolynomial(float turn, float quarterTurns) {
  const double t = static_cast<double>(turn) * 0.15915493866300567 + quarterTurns;
  const double x = (t - std::floor(t)) * 6.2831854820251465 - 3.1415927410125732;
  const double z = x * x;
  return static_cast<float>(
      1 +
      z * (-0.4999999963 + z * (0.0416666418 + z * (-0.0013888397 + z * (2.47609e-5 + z * -2.5239851768993087e-7)))));
}

}  // namespace

// The shifted phase puts x at turn - pi/2 (for the sine) or at turn (for the cosine), modulo 2 pi.
float CoronaSine(float turn) { return EvenPolynomial(turn, 0.25f); }
float CoronaCosine(float turn) { return EvenPolynomial(turn, 0.5f); }

CoronaConstants ComputeCoronaConstants(const CoronaParameters& p) {
  CoronaConstants c;
  c.sine = CoronaSine(p.turn);
  c.cosine = CoronaCosine(p.turn);
  c.inverseAspect = 1.0f / p.aspect;
  c.centre = gfx::TransformPoint(p.centre, p.viewProjection);
  c.brightness = p.coronaExp * p.coronaExp;
  return c;
}

std::array<float, 4> CoronaCorner(const CoronaParameters& p, const CoronaConstants& c, float x, float y) {
  const float a = x * p.coronaSize * 2.5f;
  const float b = y * p.coronaSize * 2.5f;
  const float dx = (a * c.cosine - b * c.sine) * p.pull * c.inverseAspect;
  const float dy = a * c.sine + b * c.cosine;
  return {c.centre[0] + dx, c.centre[1] + dy, c.centre[2], c.centre[3]};
}

}  // namespace vizo::renderer
