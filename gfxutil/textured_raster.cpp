#include "textured_raster.h"

#include <algorithm>
#include <cmath>

namespace vizo::gfx {

namespace {

struct Colour {
  float r = 0, g = 0, b = 0;
};

Colour Texel(const Image& level, int x, int y) {
  const std::uint32_t p = level.At(std::clamp(x, 0, level.width - 1), std::clamp(y, 0, level.height - 1));
  return {static_cast<float>(Red(p)) / 255.0f, static_cast<float>(Green(p)) / 255.0f,
          static_cast<float>(Blue(p)) / 255.0f};
}

// Bilinear within a level; texel centres sit at half-texel positions, addresses clamp.
Colour SampleLevel(const Image& level, float u, float v) {
  const float x = u * static_cast<float>(level.width) - 0.5f;
  const float y = v * static_cast<float>(level.height) - 0.5f;
  const float fx = std::floor(x), fy = std::floor(y);
  const float ax = x - fx, ay = y - fy;
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const Colour c00 = Texel(level, ix, iy), c10 = Texel(level, ix + 1, iy);
  const Colour c01 = Texel(level, ix, iy + 1), c11 = Texel(level, ix + 1, iy + 1);
  auto mix = [&](float a, float b, float c, float d) {
    return (a * (1 - ax) + b * ax) * (1 - ay) + (c * (1 - ax) + d * ax) * ay;
  };
  return {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b)};
}

// Trilinear: bilinear in the two levels around the level of detail, blended linearly.
Colour Sample(const MipTexture& texture, float u, float v, float lod) {
  const float top = static_cast<float>(texture.levels.size() - 1);
  lod = std::clamp(lod, 0.0f, top);
  const auto lower = static_cast<size_t>(std::floor(lod));
  const size_t upper = std::min(lower + 1, texture.levels.size() - 1);
  const float blend = lod - static_cast<float>(lower);
  const Colour a = SampleLevel(texture.levels[lower], u, v);
  if (blend == 0 || upper == lower) return a;
  const Colour b = SampleLevel(texture.levels[upper], u, v);
  return {a.r + (b.r - a.r) * blend, a.g + (b.g - a.g) * blend, a.b + (b.b - a.b) * blend};
}

int AddSaturated(int frame, float contribution) {
  const long add = std::lround(std::clamp(contribution, 0.0f, 1.0f) * 255.0f);
  return static_cast<int>(std::min(255L, frame + add));
}

}  // namespace

std::variant<MipTexture, std::string> TextureFromBitmap(const std::uint8_t* data, std::size_t size) {
  if (data && size >= 14 && data[0] == 'B' && data[1] == 'M') data += 14, size -= 14;  // a whole file
  auto decoded = DecodeBitmap(data, size);
  if (auto* error = std::get_if<std::string>(&decoded)) return *error;
  const Image& image = std::get<Image>(decoded);
  return MipTexture{MipChain(ScaleTriangle(image, NextPowerOfTwo(image.width), NextPowerOfTwo(image.height)))};
}

void AddTexturedParallelogram(Image& frame, const ScreenPoint& origin, const ScreenPoint& alongV,
                              const ScreenPoint& alongU, const MipTexture& texture, const std::array<float, 3>& scale) {
  if (texture.levels.empty()) return;
  for (const ScreenPoint* corner : {&origin, &alongV, &alongU}) {
    if (!std::isfinite((*corner)[0]) || !std::isfinite((*corner)[1])) return;
  }
  // A point is origin plus s along the v edge and t along the u edge.
  const float ex = alongV[0] - origin[0], ey = alongV[1] - origin[1];
  const float fx = alongU[0] - origin[0], fy = alongU[1] - origin[1];
  const float det = ex * fy - ey * fx;
  if (det == 0 || !std::isfinite(det)) return;  // collapsed to a line or a point, or beyond measure

  // Texture-space derivatives per pixel give the level of detail, the same everywhere.
  const float ds_dx = fy / det, ds_dy = -fx / det, dt_dx = -ey / det, dt_dy = ex / det;
  const auto& top = texture.levels.front();
  const float tw = static_cast<float>(top.width), th = static_cast<float>(top.height);
  const float rho = std::max(std::hypot(dt_dx * tw, ds_dx * th), std::hypot(dt_dy * tw, ds_dy * th));
  const float lod = std::log2(rho);

  const ScreenPoint far = {alongV[0] + fx, alongV[1] + fy};
  float minX = origin[0], maxX = minX, minY = origin[1], maxY = minY;
  for (const ScreenPoint& p : {alongV, alongU, far}) {
    minX = std::min(minX, p[0]), maxX = std::max(maxX, p[0]);
    minY = std::min(minY, p[1]), maxY = std::max(maxY, p[1]);
  }
  // Clipped to the frame while still floats: a corner may lie far beyond what an int holds.
  const float left = std::max(0.0f, std::ceil(minX)),
              right = std::min(static_cast<float>(frame.width - 1), std::floor(maxX));
  const float topRow = std::max(0.0f, std::ceil(minY)),
              bottomRow = std::min(static_cast<float>(frame.height - 1), std::floor(maxY));
  if (!(left <= right && topRow <= bottomRow)) return;
  const int x0 = static_cast<int>(left), x1 = static_cast<int>(right);
  const int y0 = static_cast<int>(topRow), y1 = static_cast<int>(bottomRow);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float px = static_cast<float>(x) - origin[0], py = static_cast<float>(y) - origin[1];
      const float s = (px * fy - py * fx) / det;
      const float t = (ex * py - ey * px) / det;
      if (!(s >= 0 && s < 1 && t >= 0 && t < 1)) continue;  // half-open, so shared edges draw once
      const Colour texel = Sample(texture, t, s, lod);
      std::uint32_t& pixel = frame.At(x, y);
      pixel = Rgb(AddSaturated(Red(pixel), texel.r * scale[0]), AddSaturated(Green(pixel), texel.g * scale[1]),
                  AddSaturated(Blue(pixel), texel.b * scale[2]));
    }
  }
}

}  // namespace vizo::gfx
