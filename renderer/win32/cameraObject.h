// The orbit camera's matrices installed as the device's fixed-function transforms.
#pragma once

#include <d3d9.h>

#include "renderer/orbit_camera.h"

// The numbers of the camera's error reports.
namespace vizo::reports::cameraObject {
inline constexpr int NoProjection = 43, NoView = 44, NoWorld = 45;
}  // namespace vizo::reports::cameraObject

namespace vizo::renderer::win32 {

// A failure is reported unless asked not to (a secondary monitor's device).
HRESULT ApplyCamera(IDirect3DDevice9* device, const OrbitCamera& camera, bool reportFailures = true);

}  // namespace vizo::renderer::win32
