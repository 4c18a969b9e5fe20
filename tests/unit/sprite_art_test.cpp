#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/sprite_art.h"

namespace vizo::art {
namespace {

std::vector<std::uint8_t> Committed(const std::string& file) {
  std::ifstream in(std::string(VIZO_SOURCE_DIR) + "/resources/" + file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SpriteImages, CommittedFilesAreWhatTheToolDraws) {
  for (int slot = 0; slot < SpriteCount; ++slot) {
    const char* file = SpriteFiles[static_cast<size_t>(slot)];
    EXPECT_TRUE(Committed(std::string("img/") + file) == BitmapFile(DrawSprite(slot)))
        << file << " differs from the drawing: run build/native/sprite_images resources/img";
  }
  EXPECT_TRUE(Committed(IconFileName) == IconFile()) << "the icon differs from the drawing";
}

TEST(SpriteImages, SizesBlackEdgesAndCentres) {
  for (int slot = 0; slot < SpriteCount; ++slot) {
    const gfx::Image image = DrawSprite(slot);
    const int size = slot == 6 ? 500 : 200;
    const int border = slot == 6 ? 16 : 2;
    ASSERT_EQ(image.width, size);
    ASSERT_EQ(image.height, size);
    EXPECT_EQ(BitmapFile(image).size(), slot == 6 ? 750056u : 120056u);  // the resource plus a 14-byte file header
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const bool edge = x < border || y < border || x >= size - border || y >= size - border;
        if (edge) {
          ASSERT_EQ(image.At(x, y), 0u) << "slot " << slot << " at " << x << "," << y;
        }
      }
    }
    int lit = 0;
    for (const auto p : image.pixels) lit += p != 0 ? 1 : 0;
    EXPECT_GT(lit, size * size / 20) << "slot " << slot << " is nearly empty";
  }
  EXPECT_EQ(DrawSprite(0).At(100, 100), gfx::Rgb(255, 255, 255));
  EXPECT_EQ(DrawSprite(6).At(250, 250), 0u);
  // The ring is brightest about 0.69 of the half-width out, and never white.
  const gfx::Image ring = DrawSprite(6);
  EXPECT_EQ(ring.At(250 + 172, 250), gfx::Rgb(237, 148, 197));
  for (const auto p : ring.pixels) ASSERT_NE(p, gfx::Rgb(255, 255, 255));
  // The strokes of slots 4 and 5 have no pure white.
  for (const int slot : {4, 5}) {
    for (const auto p : DrawSprite(slot).pixels) ASSERT_NE(p, gfx::Rgb(255, 255, 255)) << "slot " << slot;
  }
}

TEST(Icon, HoldsThreeEightBitImagesWithMasks) {
  const auto icon = IconFile();
  ASSERT_GE(icon.size(), 6u + 3 * 16);
  EXPECT_EQ(icon[4], 3);                              // images
  const std::uint32_t sizes[] = {11432, 5672, 3752};  // header, palette, 8-bit pixels, 1-bit mask
  for (size_t i = 0; i < 3; ++i) {
    const std::uint8_t* entry = &icon[6 + 16 * i];
    EXPECT_EQ(entry[0], i == 0 ? 96 : i == 1 ? 64 : 48);
    EXPECT_EQ(entry[6], 8);  // bits per pixel
    EXPECT_EQ(static_cast<std::uint32_t>(entry[8] | entry[9] << 8 | entry[10] << 16), sizes[i]);
  }
}

}  // namespace
}  // namespace vizo::art
