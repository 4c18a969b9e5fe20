#include "orbit_camera.h"

#include "gfxutil/float_precision.h"
#include "gfxutil/sine.h"

namespace vizo::renderer {

std::int32_t& OrbitStep() {
  static std::int32_t step = 0;
  return step;
}

void OrbitCamera::SetAspect(std::int32_t width, std::int32_t height) {
  aspect = static_cast<float>(width) / static_cast<float>(height);
}

namespace {

// pi / 360 as the float it is stored as, then widened: not the decimal 0.008726646, which is a
// different number.
constexpr float HalfDegree = 0.008726646f;

std::int32_t Wrapping(std::uint32_t value) { return static_cast<std::int32_t>(value); }

gfx::Vector3 EyeAt(std::int32_t twice) {
  const long double theta = static_cast<long double>(twice) * static_cast<long double>(HalfDegree);  // step degrees
  const gfx::SineCosine wave = gfx::ExtendedSineCosine(theta);
  return {static_cast<float>(20 * wave.sine), 0, static_cast<float>(20 * wave.cosine)};
}

}  // namespace

gfx::Matrix OrbitCamera::Projection() const {
  return gfx::AtPrecision(gfx::Precision::Single,
                          [this] { return gfx::PerspectiveFovLH(fieldOfView, aspect, nearPlane, farPlane); });
}

OrbitCamera OrbitCamera::WithAspect(float pictureAspect) const {
  OrbitCamera seen = *this;
  seen.aspect = pictureAspect;
  seen.projection = seen.Projection();
  return seen;
}

void OrbitCamera::Update() {
  // A 32-bit counter, and twice it, wrap after about a year of frames instead of overflowing.
  std::int32_t& step = OrbitStep();
  step = Wrapping(static_cast<std::uint32_t>(step) + 1u);
  const std::int32_t twice = Wrapping(2u * static_cast<std::uint32_t>(step));
  // Each at its own precision, whatever the x87 unit was left in.
  eye = gfx::AtPrecision(gfx::Precision::Extended, [twice] { return EyeAt(twice); });
  world = gfx::Matrix::Identity();
  view = gfx::AtPrecision(gfx::Precision::Single, [this] { return gfx::LookAtLH(eye, at, up); });
  projection = Projection();
}

}  // namespace vizo::renderer
