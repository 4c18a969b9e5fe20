#include "image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace vizo::gfx {

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Writes v's low `bytes` bytes at out[at], least significant first, and moves at past them.
void WriteLittleEndian(std::vector<std::uint8_t>& out, std::size_t& at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at++] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::int64_t MaxSide = 16384;  // far beyond any texture; keeps the arithmetic small

// One colour channel as floats, for filtering.
struct Plane {
  int width;
  int height;
  std::vector<float> values;
};

// One pass of the tent filter along rows: source width to target width.
std::vector<float> TentRows(const std::vector<float>& source, int sourceWidth, int rows, int targetWidth) {
  std::vector<float> target(static_cast<size_t>(targetWidth) * static_cast<size_t>(rows));
  const double scale = static_cast<double>(sourceWidth) / targetWidth;
  const double radius = std::max(1.0, scale);  // widen the tent when shrinking
  for (int x = 0; x < targetWidth; ++x) {
    const double centre = (x + 0.5) * scale - 0.5;
    const int first = std::max(0, static_cast<int>(std::ceil(centre - radius)));
    const int last = std::min(sourceWidth - 1, static_cast<int>(std::floor(centre + radius)));
    // Taps outside the image are left out and the rest renormalised, so edges keep their level.
    std::vector<std::pair<int, double>> taps;
    double total = 0;
    for (int i = first; i <= last; ++i) {
      const double weight = 1.0 - std::abs(i - centre) / radius;
      if (weight <= 0) continue;
      taps.emplace_back(i, weight);
      total += weight;
    }
    if (taps.empty()) {  // cannot happen with a radius of 1 or more; the nearest pixel then
      taps.emplace_back(std::clamp(static_cast<int>(std::lround(centre)), 0, sourceWidth - 1), 1.0);
      total = 1;
    }
    for (int row = 0; row < rows; ++row) {
      double sum = 0;
      for (const auto& [i, weight] : taps) sum += weight * source[static_cast<size_t>(row * sourceWidth + i)];
      target[static_cast<size_t>(row * targetWidth + x)] = static_cast<float>(sum / total);
    }
  }
  return target;
}

std::vector<float> Transpose(const std::vector<float>& values, int width, int height) {
  std::vector<float> out(values.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      out[static_cast<size_t>(x * height + y)] = values[static_cast<size_t>(y * width + x)];
  }
  return out;
}

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::variant<Image, std::string> DecodeBitmap(const std::uint8_t* data, std::size_t size) {
  if (!data || size < InfoHeaderSize) return std::string("shorter than a bitmap header");
  if (ReadU32(data) < InfoHeaderSize) return std::string("not a bitmap info header");
  const auto width = static_cast<std::int32_t>(ReadU32(data + 4));
  const auto height = static_cast<std::int32_t>(ReadU32(data + 8));
  if (ReadU16(data + 14) != 24 || ReadU32(data + 16) != 0) return std::string("not an uncompressed 24-bit bitmap");
  const std::int64_t rows = std::abs(static_cast<std::int64_t>(height));
  if (width <= 0 || rows == 0 || width > MaxSide || rows > MaxSide) return std::string("image size out of range");

  const std::int64_t stride = (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4;
  // A 24-bit bitmap may still carry a colour table (biClrUsed entries of 4 bytes), which no pixel
  // uses: the pixels follow it.
  const std::int64_t headerSize = ReadU32(data);
  const std::int64_t tableBytes = static_cast<std::int64_t>(ReadU32(data + 32)) * 4;
  if (headerSize + tableBytes > static_cast<std::int64_t>(size)) return std::string("colour table truncated");
  const std::int64_t pixelsStart = headerSize + tableBytes;
  if (pixelsStart + stride * rows > static_cast<std::int64_t>(size)) return std::string("pixel data truncated");

  Image image(width, static_cast<int>(rows));
  const bool bottomUp = height > 0;
  for (int y = 0; y < image.height; ++y) {
    const int storedRow = bottomUp ? image.height - 1 - y : y;
    const std::uint8_t* p = data + pixelsStart + stride * storedRow;
    for (int x = 0; x < width; ++x, p += 3) image.At(x, y) = Rgb(p[2], p[1], p[0]);
  }
  return image;
}

std::vector<std::uint8_t> EncodeBitmap(const Image& image) {
  const auto stride = static_cast<std::uint32_t>((image.width * 3 + 3) / 4 * 4);
  const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(image.height) + 2;
  // Sized whole and zero-filled (the rows' padding, the two closing bytes), then written in place:
  // growing it by push_back after reserve makes GCC 14 at -O3 warn of freeing a non-heap pointer
  // (-Wfree-nonheap-object), a false positive.
  std::vector<std::uint8_t> out(InfoHeaderSize + imageBytes);
  std::size_t at = 0;
  for (const std::uint32_t field : {InfoHeaderSize, static_cast<std::uint32_t>(image.width),
                                    static_cast<std::uint32_t>(image.height)}) {
    WriteLittleEndian(out, at, field, 4);
  }
  WriteLittleEndian(out, at, 1, 2);   // planes
  WriteLittleEndian(out, at, 24, 2);  // bits per pixel
  for (const std::uint32_t field : {0u, imageBytes, 2834u, 2834u, 0u, 0u}) {  // 2834: 72 dots per inch
    WriteLittleEndian(out, at, field, 4);
  }
  const std::size_t padding = stride - static_cast<std::uint32_t>(image.width) * 3;
  for (int y = image.height - 1; y >= 0; --y) {
    // A pixel's low three bytes, least significant first, are its blue, green and red.
    for (int x = 0; x < image.width; ++x) WriteLittleEndian(out, at, image.At(x, y), 3);
    at += padding;
  }
  return out;
}

int NextPowerOfTwo(int n) {
  int power = 1;
  while (power < n) power *= 2;
  return power;
}

Image ScaleTriangle(const Image& source, int width, int height) {
  Image target(width, height);
  for (int shift : {16, 8, 0}) {
    std::vector<float> channel(source.pixels.size());
    for (size_t i = 0; i < channel.size(); ++i) channel[i] = static_cast<float>((source.pixels[i] >> shift) & 0xFF);
    // Rows first, then columns through a transpose.
    const auto wide = TentRows(channel, source.width, source.height, width);
    const auto tall = TentRows(Transpose(wide, width, source.height), source.height, width, height);
    const auto scaled = Transpose(tall, height, width);
    for (size_t i = 0; i < target.pixels.size(); ++i) {
      target.pixels[i] |= static_cast<std::uint32_t>(ToByte(scaled[i])) << shift;
    }
  }
  return target;
}

Image HalveBox(const Image& source) {
  Image target(std::max(1, source.width / 2), std::max(1, source.height / 2));
  const int stepX = source.width > 1 ? 2 : 1;
  const int stepY = source.height > 1 ? 2 : 1;
  for (int y = 0; y < target.height; ++y) {
    for (int x = 0; x < target.width; ++x) {
      int r = 0, g = 0, b = 0;
      for (int dy = 0; dy < stepY; ++dy) {
        for (int dx = 0; dx < stepX; ++dx) {
          const std::uint32_t p = source.At(x * stepX + dx, y * stepY + dy);
          r += Red(p);
          g += Green(p);
          b += Blue(p);
        }
      }
      const int n = stepX * stepY;
      target.At(x, y) = Rgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
    }
  }
  return target;
}

std::vector<Image> MipChain(Image top) {
  std::vector<Image> levels;
  levels.push_back(std::move(top));
  while (levels.back().width > 1 || levels.back().height > 1) levels.push_back(HalveBox(levels.back()));
  return levels;
}

}  // namespace vizo::gfx
