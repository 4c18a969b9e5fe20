#include "corona_constants.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace vizo::renderer {

namespace {

// cos(x) with x = t (in turns) folded into [-pi, pi), as the effect evaluates it.
float EvenPolynomial(double t) {
  const double x = (t - std::floor(t)) * 6.2831854820251465 - 3.1415927410125732;
  const double z = x * x;
  return static_cast<float>(
      1 +
      z * (-0.4999999963 + z * (0.0416666418 + z * (-0.0013888397 + z * (2.47609e-5 + z * -2.5239851768993087e-7)))));
}

double Turns(float turn) { return static_cast<double>(turn) * 0.15915493866300567; }

}  // namespace

// The shifted phase puts x at turn - pi/2 (for the sine) or at turn (for the cosine), modulo 2 pi.
float CoronaSine(float turn) { return EvenPolynomial(Turns(turn) + 0.25); }
float CoronaCosine(float turn) { return EvenPolynomial(Turns(turn) + 0.5); }

CoronaConstants ComputeCoronaConstants(const CoronaParameters& p) {
  return ComputeCoronaConstants(&p.viewProjection.m[0][0], p.turn, p.centre, p.aspect, p.coronaExp);
}

namespace {

// The spin takes 252 evenly spaced angles over and over. A slot for each 1/252 of a turn keeps the
// values of the angle that last used it, so each of the spin's angles is worked out once; any
// other angle simply takes its slot over.
struct TurnSlot {
  std::uint32_t bits = 0;
  bool filled = false;
  float sine = 0;
  float cosine = 0;
};

}  // namespace

TurnValues CoronaTurnValues(float turn) {
  static std::array<TurnSlot, 256> slots;
  // Far angles and not-a-number share slot 0.
  const float steps = turn * static_cast<float>(252 / 6.283185307179586) + 0.5f;
  const auto index = std::fabs(steps) < 1e6f ? static_cast<std::uint32_t>(static_cast<std::int32_t>(steps)) & 255u : 0u;
  std::uint32_t bits;
  std::memcpy(&bits, &turn, sizeof bits);
  TurnSlot& slot = slots[index];
  if (!slot.filled || slot.bits != bits) {
    const double turns = Turns(turn);
    slot = {bits, true, EvenPolynomial(turns + 0.25), EvenPolynomial(turns + 0.5)};
  }
  return {slot.sine, slot.cosine};
}

std::array<float, 4> CoronaCorner(const CoronaParameters& p, const CoronaConstants& c, float x, float y) {
  const float a = x * p.coronaSize * 2.5f;
  const float b = y * p.coronaSize * 2.5f;
  const float dx = (a * c.cosine - b * c.sine) * p.pull * c.inverseAspect;
  const float dy = a * c.sine + b * c.cosine;
  return {c.centre[0] + dx, c.centre[1] + dy, c.centre[2], c.centre[3]};
}

}  // namespace vizo::renderer
