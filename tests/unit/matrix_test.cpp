#include <gtest/gtest.h>

#include <cmath>

#include "gfxutil/matrix.h"

namespace vizo::gfx {
namespace {

void ExpectNear(const Matrix& actual, const std::array<std::array<float, 4>, 4>& expected, float tolerance = 1e-5f) {
  for (size_t r = 0; r < 4; ++r) {
    for (size_t c = 0; c < 4; ++c)
      EXPECT_NEAR(actual.m[r][c], expected[r][c], tolerance) << "row " << r << " col " << c;
  }
}

TEST(Matrix, PerspectiveFovLHFollowsThePublishedFormula) {
  // Quarter-circle field of view at 4:3, as the camera uses it.
  ExpectNear(PerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 0.0f, 100.0f),
             {{{1.81066f, 0, 0, 0}, {0, 2.41421f, 0, 0}, {0, 0, 1, 1}, {0, 0, 0, 0}}});
  // A near plane moves depth: q = far / (far - near), and -q * near in row 3.
  ExpectNear(PerspectiveFovLH(1.5707964f, 2.0f, 1.0f, 11.0f),
             {{{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1.1f, 1}, {0, 0, -1.1f, 0}}});
}

TEST(Matrix, LookAtLHFollowsThePublishedFormula) {
  // From (0, 0, 10) towards the origin: the view looks down -z, so x flips.
  ExpectNear(LookAtLH({0, 0, 10}, {0, 0, 0}, {0, 1, 0}), {{{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, 10, 1}}});
  // From (20, 0, 0): the view's z axis is -x of the world.
  ExpectNear(LookAtLH({20, 0, 0}, {0, 0, 0}, {0, 1, 0}), {{{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 20, 1}}});
}

TEST(Matrix, MultiplyAppliesTheLeftMatrixFirst) {
  Matrix scale = Matrix::Identity();
  scale.m[0][0] = 2;
  Matrix move = Matrix::Identity();
  move.m[3][0] = 5;
  const Vector3 p{1, 0, 0};
  EXPECT_FLOAT_EQ(TransformPoint(p, Multiply(scale, move))[0], 7);   // scaled, then moved
  EXPECT_FLOAT_EQ(TransformPoint(p, Multiply(move, scale))[0], 12);  // moved, then scaled
  EXPECT_EQ(Multiply(Matrix::Identity(), move), move);
}

TEST(Matrix, PointsInFrontOfTheCameraGetDepthOne) {
  const Matrix viewProjection =
      Multiply(LookAtLH({0, 0, 10}, {0, 0, 0}, {0, 1, 0}), PerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 0, 100));
  for (const Vector3 p : {Vector3{0, 0, 0}, Vector3{3, -2, 5}, Vector3{-1, 4, -30}}) {
    const auto clip = TransformPoint(p, viewProjection);
    ASSERT_GT(clip[3], 0);
    EXPECT_FLOAT_EQ(clip[2] / clip[3], 1.0f);
  }
}

}  // namespace
}  // namespace vizo::gfx
