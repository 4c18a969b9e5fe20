// The camera that circles the origin at radius 20, one degree per frame, always looking at it.
#pragma once

#include <cstdint>

#include "gfxutil/float_precision.h"
#include "gfxutil/matrix.h"

namespace vizo::renderer {

struct OrbitCamera {
  float fieldOfView = 0.7853982f;  // pi / 4
  float aspect = 0;
  float nearPlane = 0;
  float farPlane = 100;
  gfx::Vector3 eye{0, 0, 10};
  gfx::Vector3 at{0, 0, 0};
  gfx::Vector3 up{0, 1, 0};
  gfx::Matrix world;
  gfx::Matrix view;
  gfx::Matrix projection;

  void SetAspect(std::int32_t width, std::int32_t height);
  // Advances the orbit by a degree and rebuilds the three matrices.
  void Update();
  // The same eye for a picture of another shape (another monitor's): its own projection.
  OrbitCamera WithAspect(float pictureAspect) const;
  gfx::Matrix ViewProjection() const {
    return gfx::AtPrecision(gfx::Precision::Single, [this] { return gfx::Multiply(view, projection); });
  }

 private:
  gfx::Matrix Projection() const;
};

// The orbit step shared by the whole process; it only ever grows.
std::int32_t& OrbitStep();

}  // namespace vizo::renderer
