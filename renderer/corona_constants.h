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
TurnValues CoronaTurnValues(float turn);

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
