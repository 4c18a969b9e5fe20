// A whole fireworks frame drawn by the reference renderer: the same animation and camera as the
// saver, the same 1000 calls, each drawing sprite added in software.
#pragma once

#include <array>

#include "renderer/corona_reference.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"

namespace vizo::renderer {

// One frame's 1000 calls of animation, drawing into frame (which the caller clears) the sprites
// that draw. With frame null the animation only advances.
void DrawReferenceFrame(gfx::Image* frame, const OrbitCamera& camera, HanabiAnimation& animation, std::int32_t spacing,
                        const std::array<gfx::MipTexture, 7>& textures);

}  // namespace vizo::renderer
