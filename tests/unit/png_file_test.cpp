#include <gtest/gtest.h>

#include <cstdio>

#include "gfxutil/png_file.h"

namespace vizo::gfx {
namespace {

TEST(PngFile, RoundTripsEveryPixel) {
  Image image(37, 11);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) image.At(x, y) = Rgb(x * 7, y * 23, (x * y) % 256);
  }
  const std::string path = ::testing::TempDir() + "/vizo-roundtrip.png";
  ASSERT_TRUE(WritePng(path, image));
  const auto read = ReadPng(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->width, 37);
  EXPECT_EQ(read->height, 11);
  EXPECT_EQ(read->pixels, image.pixels);
  std::remove(path.c_str());
}

TEST(PngFile, FailsCleanlyOnBadPaths) {
  EXPECT_FALSE(WritePng("/nonexistent-folder/x.png", Image(1, 1)));
  EXPECT_FALSE(ReadPng("/nonexistent-folder/x.png").has_value());
}

}  // namespace
}  // namespace vizo::gfx
