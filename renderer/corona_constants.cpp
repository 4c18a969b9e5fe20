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

// The spin takes the same 252 angles over and over: their values are kept, in slots found from the
// angle's bits. A slot holding another angle is simply worked out again.
struct TurnSlot {
  std::uint32_t bits = 0;
  bool filled = false;
  float sine = 0;
  float cosine = 0;
};

const TurnSlot& TurnValues(float turn) {
  static std::array<TurnSlot, 1024> slots;
  std::uint32_t bits;
  std::memcpy(&bits, &turn, sizeof bits);
  TurnSlot& slot = slots[(bits * 2654435761u) >> 22];
  if (!slot.filled || slot.bits != bits) {
    const double turns = Turns(turn);
    slot = {bits, true, EvenPolynomial(turns + 0.25), EvenPolynomial(turns + 0.5)};
  }
  return slot;
}

}  // namespace

CoronaConstants ComputeCoronaConstants(const float* viewProjection, float turn, const gfx::Vector3& centre,
                                       float aspect, float coronaExp) {
  CoronaConstants c;
  const TurnSlot& turnValues = TurnValues(turn);
  c.sine = turnValues.sine;
  c.cosine = turnValues.cosine;
  c.inverseAspect = 1.0f / aspect;
  const float* m = viewProjection;
  for (std::size_t j = 0; j < 4; ++j) {
    c.centre[j] = centre.x * m[j] + centre.y * m[4 + j] + centre.z * m[8 + j] + m[12 + j];
  }
  c.brightness = coronaExp * coronaExp;
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
