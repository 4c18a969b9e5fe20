// Images in memory, and the two steps between a bitmap resource and a texture: decoding the
// header-less 24-bit bitmap, and resampling it onto power-of-two sizes with its mipmap chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vizo::gfx {

// 32-bit pixels 0x00RRGGBB, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Image() = default;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h)) {}
  std::uint32_t& At(int x, int y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

inline std::uint32_t Rgb(int r, int g, int b) { return static_cast<std::uint32_t>((r << 16) | (g << 8) | b); }
inline int Red(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int Green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int Blue(std::uint32_t p) { return static_cast<int>(p & 0xFF); }

// A bitmap resource: a BITMAPINFOHEADER followed by the pixel rows, no file header. Only
// uncompressed 24-bit images are taken; anything else, and any bitmap whose rows would reach past
// the end of the data, is an error with the reason.
std::variant<Image, std::string> DecodeBitmap(const std::uint8_t* data, std::size_t size);

// The bitmap resource of an image: 24 bits, bottom row first, two trailing zero bytes.
std::vector<std::uint8_t> EncodeBitmap(const Image& image);

// The smallest power of two at or above n (n >= 1).
int NextPowerOfTwo(int n);

// The whole image scaled onto width x height with a triangle (tent) filter.
Image ScaleTriangle(const Image& source, int width, int height);

// The next smaller mipmap level: each dimension halved (not below 1), pixels averaged by a box.
Image HalveBox(const Image& source);

// The full chain from the image down to 1 x 1.
std::vector<Image> MipChain(Image top);

}  // namespace vizo::gfx
