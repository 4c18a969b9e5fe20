#include "corona_constants.h"

#include <array>
#include <cmath>
#include <cstring>

#include "gfxutil/float_precision.h"

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

namespace {

// The shifted phase puts x at turn - pi/2 (for the sine) or at turn (for the cosine), modulo 2 pi.
TurnValues TurnValuesOf(float turn) {
  const double turns = Turns(turn);
  return {EvenPolynomial(turns + 0.25), EvenPolynomial(turns + 0.5)};
}

// The polynomial is double's, whatever the x87 unit was left in.
TurnValues TurnValuesAt(float turn) {
  return gfx::AtPrecision(gfx::Precision::Double, [turn] { return TurnValuesOf(turn); });
}

}  // namespace

float CoronaSine(float turn) { return TurnValuesAt(turn).sine; }
float CoronaCosine(float turn) { return TurnValuesAt(turn).cosine; }

CoronaConstants ComputeCoronaConstants(const CoronaParameters& p) {
  return ComputeCoronaConstants(&p.viewProjection.m[0][0], CoronaTurnValues(p.turn), p.centre, p.aspect, p.coronaExp);
}

// An angle other than the one its slot holds takes the slot over.
TurnValues FindTurnValues(float turn, std::uint32_t bits) {
  // Far angles and not-a-number share slot 0. The nearest step is read from the bits of the sum
  // with 1.5 x 2^23, whose last mantissa bits it leaves as an integer: a conversion to int would
  // switch the x87 unit's rounding mode there and back for every draw. (Which slot an angle takes
  // changes nothing but what the slot keeps.)
  const float steps = turn * static_cast<float>(252 / 6.283185307179586);
  std::uint32_t index = 0;
  if (std::fabs(steps) < 1e6f) {
    const float shifted = steps + 12582912.0f;
    std::uint32_t shiftedBits;
    std::memcpy(&shiftedBits, &shifted, sizeof shiftedBits);
    index = shiftedBits & 255u;
  }
  g_turnCache.lastIndex = index;
  TurnSlot& slot = g_turnCache.slots[index];
  if (!slot.filled || slot.bits != bits) slot = {bits, true, TurnValuesAt(turn)};
  return slot.values;
}

std::array<float, 4> CoronaCorner(const CoronaParameters& p, const CoronaConstants& c, float x, float y) {
  const float a = x * p.coronaSize * 2.5f;
  const float b = y * p.coronaSize * 2.5f;
  const float dx = (a * c.cosine - b * c.sine) * p.pull * c.inverseAspect;
  const float dy = a * c.sine + b * c.cosine;
  return {c.centre[0] + dx, c.centre[1] + dy, c.centre[2], c.centre[3]};
}

}  // namespace vizo::renderer
