// What the corona effect computes once per draw on the processor: everything that depends on its
// parameters only, so that the vertex and pixel programs do the least per vertex and per pixel.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gfxutil/matrix.h"

namespace vizo::renderer {

struct CoronaParameters {
  gfx::Matrix viewProjection;
  float turn = 0;
  gfx::Vector3 centre;  // pos0
  float coronaSize = 0;
  float pull = 0;
  float aspect = 0;
  float coronaExp = 0;
  std::array<float, 4> lightColor{1, 1, 1, 1};
};

struct CoronaConstants {
  float sine = 0;                 // of turn
  float cosine = 0;               // of turn
  float inverseAspect = 0;        // 1 / aspect
  std::array<float, 4> centre{};  // the sprite centre in clip space
  float brightness = 0;           // coronaExp squared
};

// The sine and cosine by the effect's own even polynomial, within 1e-4 of the exact values.
float CoronaSine(float turn);
float CoronaCosine(float turn);

// CoronaSine and CoronaCosine together, kept: the spin takes 252 evenly spaced angles over and
// over, so each is worked out once.
struct TurnValues {
  float sine = 0;
  float cosine = 0;
};
// The kept values: a slot for each 1/252 of a turn holds those of the angle that last used it.
struct TurnSlot {
  std::uint32_t bits = 0;
  bool filled = false;
  TurnValues values;
};
struct TurnCache {
  std::array<TurnSlot, 256> slots;
  std::uint32_t lastIndex = 0;
};
inline TurnCache g_turnCache;
// The slot of the step nearest the angle, filled for it if another angle held it.
TurnValues FindTurnValues(float turn, std::uint32_t bits);

// The spin steps through its angles in order, so the slot after the last one asked is tried
// first, inline: a comparison of bits, where finding the slot takes float arithmetic.
inline TurnValues CoronaTurnValues(float turn) {
  std::uint32_t bits;
  std::memcpy(&bits, &turn, sizeof bits);
  const std::uint32_t following = (g_turnCache.lastIndex + 1) & 255u;
  const TurnSlot& slot = g_turnCache.slots[following];
  if (slot.filled && slot.bits == bits) {
    g_turnCache.lastIndex = following;
    return slot.values;
  }
  return FindTurnValues(turn, bits);
}

CoronaConstants ComputeCoronaConstants(const CoronaParameters& parameters);
// The same from the parameters as the effect stores them (the matrix as 16 floats, row 0 first), the
// turn's values already looked up. Inline: the effect works this out for each of a frame's thousand
// draws.
inline CoronaConstants ComputeCoronaConstants(const float* viewProjection, const TurnValues& turnValues,
                                              const gfx::Vector3& centre, float aspect, float coronaExp) {
  CoronaConstants c;
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

// Where a quad corner (x, y) lands in clip space, as the vertex program places it.
std::array<float, 4> CoronaCorner(const CoronaParameters& parameters, const CoronaConstants& constants, float x,
                                  float y);

}  // namespace vizo::renderer
