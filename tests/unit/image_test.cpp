#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "gfxutil/image.h"

namespace vizo::gfx {
namespace {

// Black with a white square in the middle and a black border, like the sprite images.
Image Sprite(int size, int border) {
  Image image(size, size);
  for (int y = border; y < size - border; ++y) {
    for (int x = border; x < size - border; ++x) image.At(x, y) = Rgb(255, 255, 255);
  }
  return image;
}

TEST(Bitmap, RoundTripsAndKeepsRowOrderAndChannels) {
  Image image(3, 2);  // odd width: rows need filler bytes
  image.At(0, 0) = Rgb(255, 0, 0);
  image.At(2, 0) = Rgb(0, 255, 0);
  image.At(1, 1) = Rgb(1, 2, 3);
  const auto bytes = EncodeBitmap(image);
  EXPECT_EQ(bytes.size(), 40u + 12u * 2u + 2u);
  const auto decoded = DecodeBitmap(bytes.data(), bytes.size());
  ASSERT_TRUE(std::holds_alternative<Image>(decoded)) << std::get<std::string>(decoded);
  EXPECT_EQ(std::get<Image>(decoded).pixels, image.pixels);
}

TEST(Bitmap, SpriteSizesGiveTheResourceSizes) {
  EXPECT_EQ(EncodeBitmap(Image(200, 200)).size(), 120042u);
  EXPECT_EQ(EncodeBitmap(Image(500, 500)).size(), 750042u);
}

TEST(Bitmap, TopDownRowsAreTakenInOrder) {
  Image image(2, 2);
  image.At(0, 0) = Rgb(9, 9, 9);
  auto bytes = EncodeBitmap(image);
  // Negative height: the same rows, stored top first, so the bottom row is read as the top.
  const std::int32_t negative = -2;
  std::memcpy(bytes.data() + 8, &negative, 4);
  const auto decoded = std::get<Image>(DecodeBitmap(bytes.data(), bytes.size()));
  EXPECT_EQ(decoded.At(0, 1), Rgb(9, 9, 9));
}

TEST(Bitmap, AColourTableBeforeThePixelsIsSkipped) {
  Image image(2, 1);
  image.At(0, 0) = Rgb(10, 20, 30);
  image.At(1, 0) = Rgb(40, 50, 60);
  auto bytes = EncodeBitmap(image);
  // Two table entries after the header, each unlike any pixel.
  const std::uint32_t entries = 2;
  std::memcpy(bytes.data() + 32, &entries, 4);
  bytes.insert(bytes.begin() + 40, 8, 0xEE);
  const auto decoded = DecodeBitmap(bytes.data(), bytes.size());
  ASSERT_TRUE(std::holds_alternative<Image>(decoded)) << std::get<std::string>(decoded);
  EXPECT_EQ(std::get<Image>(decoded).pixels, image.pixels);
}

TEST(Bitmap, MalformedDataIsAnErrorNotARead) {
  const auto good = EncodeBitmap(Image(4, 4));
  auto with = [&](size_t offset, std::uint32_t value, int bytes) {
    auto copy = good;
    std::memcpy(copy.data() + offset, &value, static_cast<size_t>(bytes));
    return copy;
  };
  const std::vector<std::uint8_t> cases[] = {
      {},
      std::vector<std::uint8_t>(good.begin(), good.begin() + 39),  // header cut short
      std::vector<std::uint8_t>(good.begin(), good.end() - 3),     // last row cut short
      with(0, 12, 4),                                              // an old core header
      with(14, 8, 2),                                              // 8 bits per pixel
      with(16, 1, 4),                                              // compressed
      with(4, 0, 4),                                               // no width
      with(8, 0, 4),                                               // no height
      with(4, 0x7FFFFFFF, 4),                                      // absurd width
      with(8, 0x80000000, 4),                                      // absurd height
      with(0, 0xFFFFFF00, 4),                                      // header claims to be huge
      with(32, 2, 4),                                              // a colour table that isn't there
      with(32, 0xFFFFFFFF, 4),                                     // a colour table larger than memory
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto result = DecodeBitmap(cases[i].data(), cases[i].size());
    EXPECT_TRUE(std::holds_alternative<std::string>(result)) << "case " << i;
  }
  EXPECT_TRUE(std::holds_alternative<std::string>(DecodeBitmap(nullptr, 100)));
}

TEST(Resample, SizesRoundUpToPowersOfTwo) {
  const struct {
    int size;
    int power;
  } cases[] = {{1, 1}, {2, 2}, {3, 4}, {200, 256}, {256, 256}, {257, 512}, {500, 512}};
  for (const auto& c : cases) EXPECT_EQ(NextPowerOfTwo(c.size), c.power) << c.size;
}

TEST(Resample, ScalingKeepsBlackBordersAndWhiteCentres) {
  for (const auto& [size, border, target] : {std::tuple{200, 2, 256}, std::tuple{500, 16, 512}}) {
    const Image scaled = ScaleTriangle(Sprite(size, border), target, target);
    ASSERT_EQ(scaled.width, target);
    for (int i = 0; i < target; ++i) {
      EXPECT_EQ(scaled.At(i, 0), 0u);
      EXPECT_EQ(scaled.At(0, i), 0u);
      EXPECT_EQ(scaled.At(i, target - 1), 0u);
      EXPECT_EQ(scaled.At(target - 1, i), 0u);
    }
    EXPECT_EQ(scaled.At(target / 2, target / 2), Rgb(255, 255, 255));
    // The white area grows in proportion: the border scales by target / size.
    const int scaledBorder = border * target / size;
    EXPECT_EQ(scaled.At(scaledBorder + 2, target / 2), Rgb(255, 255, 255));
  }
}

TEST(Resample, TriangleFilterInterpolatesAndAverages) {
  Image ramp(2, 1);
  ramp.At(0, 0) = Rgb(0, 0, 0);
  ramp.At(1, 0) = Rgb(200, 100, 40);
  const Image wide = ScaleTriangle(ramp, 4, 1);
  // Pixel centres at -0.25, 0.25, 0.75, 1.25 of the source: clamped, then interpolated.
  EXPECT_EQ(wide.At(0, 0), Rgb(0, 0, 0));
  EXPECT_EQ(wide.At(1, 0), Rgb(50, 25, 10));
  EXPECT_EQ(wide.At(2, 0), Rgb(150, 75, 30));
  EXPECT_EQ(wide.At(3, 0), Rgb(200, 100, 40));
  // A flat image stays flat at any size.
  Image flat(7, 5);
  for (auto& p : flat.pixels) p = Rgb(10, 20, 30);
  for (const auto& p : ScaleTriangle(flat, 16, 3).pixels) EXPECT_EQ(p, Rgb(10, 20, 30));
}

TEST(Resample, MipChainHalvesDownToOnePixelWithBoxAverages) {
  Image top(4, 2);
  top.At(0, 0) = Rgb(255, 255, 255);
  top.At(1, 1) = Rgb(255, 255, 255);
  const auto levels = MipChain(top);
  ASSERT_EQ(levels.size(), 3u);  // 4x2, 2x1, 1x1
  EXPECT_EQ(levels[1].width, 2);
  EXPECT_EQ(levels[1].height, 1);
  EXPECT_EQ(levels[1].At(0, 0), Rgb(128, 128, 128));  // two white of four
  EXPECT_EQ(levels[1].At(1, 0), 0u);
  EXPECT_EQ(levels[2].At(0, 0), Rgb(64, 64, 64));
  EXPECT_EQ(MipChain(Image(256, 256)).size(), 9u);
  EXPECT_EQ(MipChain(Image(512, 512)).size(), 10u);
}

}  // namespace
}  // namespace vizo::gfx
