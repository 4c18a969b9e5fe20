#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "renderer/corona_reference.h"
#include "renderer/hanabi_animation.h"
#include "renderer/orbit_camera.h"
#include "renderer/reference_frame.h"

namespace vizo::renderer {
namespace {

using gfx::Image;
using gfx::Matrix;
using gfx::MipChain;
using gfx::MipTexture;
using gfx::Rgb;

MipTexture Flat(std::uint32_t colour) {
  Image image(8, 8);
  for (auto& p : image.pixels) p = colour;
  return {MipChain(image)};
}

// A sprite centred on screen at depth 1 (clip w = 1) in a frame of the given aspect.
CoronaParameters Centred(float aspect, float size) {
  CoronaParameters p;
  p.viewProjection = Matrix::Identity();
  p.centre = {0, 0, 1};
  p.aspect = aspect;
  p.pull = 1;
  p.coronaSize = size;
  p.coronaExp = 1;
  p.lightColor = {1, 1, 1, 1};
  return p;
}

struct Extent {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, lit = 0;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Extent LitExtent(const Image& frame) {
  Extent e;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      if (frame.At(x, y) == 0) continue;
      e.left = std::min(e.left, x), e.right = std::max(e.right, x);
      e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
      ++e.lit;
    }
  }
  return e;
}

// A whole frame is its calls' sprites drawn through the camera's view-projection with pull 1 and
// the picture's aspect, numbers set here rather than taken from the view that the saver's painter
// and the reference frame share: a wrong one there would pass their comparison under Wine.
TEST(CoronaReference, AFrameIsItsSpritesThroughTheCamerasProjectionPullAndAspect) {
  OrbitCamera camera;
  camera.SetAspect(160, 120);
  camera.Update();
  std::array<MipTexture, 7> textures;
  for (std::size_t slot = 0; slot < textures.size(); ++slot) {
    textures[slot] = Flat(Rgb(40, 30 + static_cast<int>(slot) * 20, 60));
  }
  const auto noClock = []() -> std::uint32_t { return 0; };
  HanabiAnimation frameCalls(noClock), spriteCalls(noClock);
  frameCalls.SetSeed(1);
  spriteCalls.SetSeed(1);
  Image frame(160, 120), sprites(160, 120);
  DrawReferenceFrame(&frame, camera, frameCalls, 1, textures);
  CoronaParameters p;
  p.viewProjection = camera.ViewProjection();
  p.pull = 1;
  p.aspect = 4.0f / 3.0f;
  for (int i = 0; i < 1000; ++i) {
    const SpriteDraw d = spriteCalls.Next(1, i);
    if (!d.draws) continue;
    p.coronaExp = d.coronaExp;
    p.coronaSize = d.coronaSize;
    p.turn = d.turn;
    p.centre = d.pos0;
    p.lightColor = d.lightColor;
    DrawCoronaSprite(sprites, p, textures[static_cast<std::size_t>(d.textureSlot)]);
  }
  EXPECT_GT(LitExtent(sprites).lit, 1000);
  EXPECT_TRUE(frame.pixels == sprites.pixels);
}

TEST(CoronaReference, SpriteIsSquareInPixelsWhenAspectMatchesTheFrame) {
  Image frame(200, 100);
  DrawCoronaSprite(frame, Centred(2.0f, 0.202f), Flat(Rgb(255, 255, 255)));
  const Extent e = LitExtent(frame);
  // Side 2.5 x size x height / w = 50.5 pixels about the centre pixel: edges at 74.75 and 125.25
  // cover the pixel centres 75 to 125.
  EXPECT_EQ(e.Width(), 51);
  EXPECT_EQ(e.Height(), 51);
  EXPECT_EQ(e.lit, 51 * 51);  // the two triangles cover each pixel once
  EXPECT_EQ(e.left + e.right, 200);
  EXPECT_EQ(frame.At(100, 50), Rgb(255, 255, 255));
}

TEST(CoronaReference, PullStretchesOnlyTheWidth) {
  Image frame(200, 100);
  auto p = Centred(2.0f, 0.202f);
  p.pull = 2;
  DrawCoronaSprite(frame, p, Flat(Rgb(255, 255, 255)));
  const Extent e = LitExtent(frame);
  EXPECT_EQ(e.Width(), 101);  // edges at 49.5 and 150.5
  EXPECT_EQ(e.Height(), 51);
}

TEST(CoronaReference, DepthBoundsKeepOrRemoveTheWholeSprite) {
  const struct {
    float w;
    float z;
    bool drawn;
  } cases[] = {{1, 1, true}, {1, 0, true}, {-1, -1, false}, {0, 0, false}, {1, 1.5f, false}, {1, -0.5f, false}};
  for (const auto& c : cases) {
    Image frame(64, 64);
    auto p = Centred(1, 0.1f);
    p.viewProjection.m[2][2] = c.z;  // the centre (0, 0, 1) lands at z
    p.viewProjection.m[3][3] = 0;
    p.viewProjection.m[2][3] = c.w;
    DrawCoronaSprite(frame, p, Flat(Rgb(255, 255, 255)));
    EXPECT_EQ(LitExtent(frame).lit > 0, c.drawn) << "z " << c.z << " w " << c.w;
  }
}

TEST(CoronaReference, AddsWithSaturationAndScalesByBrightnessAndColour) {
  Image frame(64, 64);
  auto p = Centred(1, 0.1f);
  p.lightColor = {0.6f, 0.2f, 0, 1};
  DrawCoronaSprite(frame, p, Flat(Rgb(255, 255, 255)));
  EXPECT_EQ(frame.At(32, 32), Rgb(153, 51, 0));
  DrawCoronaSprite(frame, p, Flat(Rgb(255, 255, 255)));
  EXPECT_EQ(frame.At(32, 32), Rgb(255, 102, 0));
  // coronaExp enters squared: -0.5 gives a quarter.
  Image dim(64, 64);
  p.lightColor = {1, 1, 1, 1};
  p.coronaExp = -0.5f;
  DrawCoronaSprite(dim, p, Flat(Rgb(200, 100, 40)));
  EXPECT_EQ(dim.At(32, 32), Rgb(50, 25, 10));
  p.coronaExp = 0;
  Image unchanged(64, 64);
  DrawCoronaSprite(unchanged, p, Flat(Rgb(255, 255, 255)));
  EXPECT_EQ(LitExtent(unchanged).lit, 0);
}

TEST(CoronaReference, NegativeSizeIsTheSpriteTurnedHalfRound) {
  Image pattern(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) pattern.At(x, y) = Rgb(x * 30, y * 30, 0);
  }
  const MipTexture texture{MipChain(pattern)};
  Image negative(128, 128), turned(128, 128);
  auto p = Centred(1, -0.202f);
  DrawCoronaSprite(negative, p, texture);
  p.coronaSize = 0.202f;
  p.turn = 3.14159265f;
  DrawCoronaSprite(turned, p, texture);
  int differing = 0;
  for (size_t i = 0; i < negative.pixels.size(); ++i) {
    const std::uint32_t a = negative.pixels[i], b = turned.pixels[i];
    differing += std::abs(gfx::Red(a) - gfx::Red(b)) > 8 || std::abs(gfx::Green(a) - gfx::Green(b)) > 8 ? 1 : 0;
  }
  EXPECT_LE(differing, 100);  // at most the outline, where rounding decides coverage
  EXPECT_GT(LitExtent(negative).lit, 1000);
}

TEST(CoronaReference, CornersBeyondWhatAnIntHoldsAreClippedAndUnmeasurableOnesDrawNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float size, aspect, pull;
    bool everyPixel, fullRowsOnly, nothing;
  } cases[] = {
      {1e15f, 1, 1, true, true, false},       // corners near 1e17 pixels away: the whole frame
      {0.1f, 1e-30f, 1, false, true, false},  // stretched sideways: a band across the frame
      {1e30f, 1, 1, false, true, true},       // its area overflows a float: nothing
      {0.1f, 1, nan, false, true, true},
  };
  for (const auto& c : cases) {
    Image frame(64, 64);
    auto p = Centred(c.aspect, c.size);
    p.pull = c.pull;
    DrawCoronaSprite(frame, p, Flat(Rgb(255, 255, 255)));
    const Extent e = LitExtent(frame);
    EXPECT_EQ(e.lit == 64 * 64, c.everyPixel) << c.size << " " << c.aspect << " " << c.pull;
    EXPECT_EQ(e.lit % 64 == 0, c.fullRowsOnly) << c.size << " " << c.aspect << " " << c.pull;
    EXPECT_EQ(e.lit == 0, c.nothing) << c.size << " " << c.aspect << " " << c.pull;
  }
}

}  // namespace
}  // namespace vizo::renderer
