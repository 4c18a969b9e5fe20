#include "matrix.h"

#include <cmath>

namespace vizo::gfx {

namespace {

Vector3 Subtract(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Normalize(const Vector3& v) {
  const float length = std::sqrt(Dot(v, v));
  if (length == 0) return v;
  return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

Matrix Matrix::Identity() {
  Matrix identity;
  for (size_t i = 0; i < 4; ++i) identity.m[i][i] = 1;
  return identity;
}

Matrix LookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  const Vector3 z = Normalize(Subtract(at, eye));
  const Vector3 x = Normalize(Cross(up, z));
  const Vector3 y = Cross(z, x);
  Matrix view;
  view.m = {
      {{x.x, y.x, z.x, 0}, {x.y, y.y, z.y, 0}, {x.z, y.z, z.z, 0}, {-Dot(x, eye), -Dot(y, eye), -Dot(z, eye), 1}}};
  return view;
}

Matrix PerspectiveFovLH(float fieldOfView, float aspect, float nearPlane, float farPlane) {
  const float h = 1.0f / std::tan(fieldOfView / 2);
  const float w = h / aspect;
  const float q = farPlane / (farPlane - nearPlane);
  Matrix projection;
  projection.m = {{{w, 0, 0, 0}, {0, h, 0, 0}, {0, 0, q, 1}, {0, 0, -q * nearPlane, 0}}};
  return projection;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix product;
  for (size_t row = 0; row < 4; ++row) {
    for (size_t column = 0; column < 4; ++column) {
      float sum = 0;
      for (size_t k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

std::array<float, 4> TransformPoint(const Vector3& p, const Matrix& m) {
  std::array<float, 4> out{};
  for (size_t j = 0; j < 4; ++j) out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
  return out;
}

}  // namespace vizo::gfx
