// The orbit camera's matrices installed as the device's fixed-function transforms.
#pragma once

#include <d3d9.h>

#include "renderer/orbit_camera.h"

namespace vizo::renderer::win32 {

HRESULT ApplyCamera(IDirect3DDevice9* device, const OrbitCamera& camera);

}  // namespace vizo::renderer::win32
