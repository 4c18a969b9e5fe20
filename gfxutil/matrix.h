// 4 x 4 float matrices in Direct3D's row-vector convention (a point is a row vector multiplied on
// the left), and the three matrix functions the renderer needs, by their published formulas.
#pragma once

#include <array>

namespace vizo::gfx {

struct Vector3 {
  float x = 0;
  float y = 0;
  float z = 0;
};

struct Matrix {
  std::array<std::array<float, 4>, 4> m{};  // m[row][column]

  static Matrix Identity();
  bool operator==(const Matrix&) const = default;
};

// The left-handed view matrix looking from eye at a point, with the given up direction.
Matrix LookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);

// The left-handed perspective projection: vertical field of view in radians, width / height,
// and the near and far plane distances.
Matrix PerspectiveFovLH(float fieldOfView, float aspect, float nearPlane, float farPlane);

// a x b: first a, then b, in the row-vector convention.
Matrix Multiply(const Matrix& a, const Matrix& b);

// The row vector (x, y, z, 1) times m.
std::array<float, 4> TransformPoint(const Vector3& point, const Matrix& m);

}  // namespace vizo::gfx
