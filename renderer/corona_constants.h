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

// CoronaSine and CoronaCosine together. The spin takes 252 evenly spaced angles over and over: a
// slot for each 1/252 of a turn keeps the values of the angle that last used it, so each of the
// spin's angles is worked out once; any other angle simply takes its slot over.
struct TurnValues {
  float sine = 0;
  float cosine = 0;
};
struct TurnSlot {
  std::uint32_t bits = 0;
  bool filled = false;
  TurnValues values;
};
void FillTurnSlot(TurnSlot& slot, float turn, std::uint32_t bits);

inline TurnValues CoronaTurnValues(float turn) {
  static std::array<TurnSlot, 256> slots;
  // Far angles and not-a-number share slot 0.
  const float steps = turn * static_cast<float>(252 / 6.283185307179586) + 0.5f;
  const auto index = std::fabs(steps) < 1e6f ? static_cast<std::uint32_t>(static_cast<std::int32_t>(steps)) & 255u : 0u;
  std::uint32_t bits;
  std::memcpy(&bits, &turn, sizeof bits);
  TurnSlot& slot = slots[index];
  if (!slot.filled || slot.bits != bits) FillTurnSlot(slot, turn, bits);
  return slot.values;
}

CoronaConstants ComputeCoronaConstants(const CoronaParameters& parameters);
// The same from the parameters as the effect stores them: the matrix as 16 floats, row 0 first.
// Inline: the effect works this out for each of a frame's thousand draws.
inline CoronaConstants ComputeCoronaConstants(const float* viewProjection, float turn, const gfx::Vector3& centre,
                                              float aspect, float coronaExp) {
  CoronaConstants c;
  const TurnValues turnValues = CoronaTurnValues(turn);
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
