#include "orbit_camera.h"

#include <cmath>

namespace vizo::renderer {

std::int32_t& OrbitStep() {
  static std::int32_t step = 0;
  return step;
}

void OrbitCamera::SetAspect(std::int32_t width, std::int32_t height) {
  aspect = static_cast<float>(width) / static_cast<float>(height);
}

void OrbitCamera::Update() {
  const std::int32_t step = ++OrbitStep();
  const long double theta = static_cast<long double>(2 * step) * 0.008726646L;  // step degrees
  eye = {static_cast<float>(20 * std::sin(theta)), 0, static_cast<float>(20 * std::cos(theta))};
  world = gfx::Matrix::Identity();
  view = gfx::LookAtLH(eye, at, up);
  projection = gfx::PerspectiveFovLH(fieldOfView, aspect, nearPlane, farPlane);
}

}  // namespace vizo::renderer
