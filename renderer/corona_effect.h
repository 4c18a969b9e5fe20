// The corona effect: technique "hanabi", pass "hanabi0", defined in code for our effect runtime.
#pragma once

#include <cstdint>

#include "gfxutil/effect_definition.h"
#include "gfxutil/matrix.h"
#include "renderer/orbit_camera.h"

namespace vizo::renderer {

const gfx::EffectDefinition& CoronaEffect();

// What a view sets on the effect before its draws: the camera's projection, the pull (the sprites'
// horizontal stretch, 1) and the picture's aspect, whose inverse every draw's constants carry.
struct CoronaView {
  gfx::Matrix viewProjection;
  float pull = 1;
  float aspect = 0;
};
inline CoronaView CoronaViewOf(const OrbitCamera& camera) { return {camera.ViewProjection(), 1.0f, camera.aspect}; }

// The Direct3D 9 render and sampler states the effect sets, and their values (d3d9types.h; the
// painter checks them against <d3d9.h>).
namespace d3d {
inline constexpr std::uint32_t RsZEnable = 7, RsSrcBlend = 19, RsDestBlend = 20, RsCullMode = 22,
                               RsAlphaBlendEnable = 27;
inline constexpr std::uint32_t BlendOne = 2, CullNone = 1;
inline constexpr std::uint32_t SampAddressU = 1, SampAddressV = 2, SampMagFilter = 5, SampMinFilter = 6,
                               SampMipFilter = 7;
inline constexpr std::uint32_t AddressClamp = 3, FilterLinear = 2;
}  // namespace d3d

}  // namespace vizo::renderer
