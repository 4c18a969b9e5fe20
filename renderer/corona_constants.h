// What the corona effect computes once per draw on the processor: everything that depends on its
// parameters only, so that the vertex and pixel programs do the least per vertex and per pixel.
#pragma once

#include <array>

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

CoronaConstants ComputeCoronaConstants(const CoronaParameters& parameters);
// The same from the parameters as the effect stores them: the matrix as 16 floats, row 0 first.
CoronaConstants ComputeCoronaConstants(const float* viewProjection, float turn, const gfx::Vector3& centre,
                                       float aspect, float coronaExp);

// Where a quad corner (x, y) lands in clip space, as the vertex program places it.
std::array<float, 4> CoronaCorner(const CoronaParameters& parameters, const CoronaConstants& constants, float x,
                                  float y);

}  // namespace vizo::renderer
