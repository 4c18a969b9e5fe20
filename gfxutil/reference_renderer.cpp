#include "reference_renderer.h"

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

void DrawCoronaSprite(Image& frame, const renderer::CoronaParameters& p, const MipTexture& texture) {
  if (texture.levels.empty()) return;
  const renderer::CoronaConstants c = renderer::ComputeCoronaConstants(p);
  // All corners share the centre's z and w: the depth bounds keep or remove the whole sprite.
  const float w = c.centre[3];
  if (!(w > 0) || c.centre[2] < 0 || c.centre[2] > w) return;

  // Corners in screen space, pixel centres at integer positions as in Direct3D 9.
  std::array<std::array<float, 2>, 4> screen{};
  for (size_t i = 0; i < 4; ++i) {
    const auto clip = renderer::CoronaCorner(p, c, PainterQuad[i].x, PainterQuad[i].y);
    screen[i] = {(clip[0] / w + 1) * 0.5f * static_cast<float>(frame.width),
                 (1 - clip[1] / w) * 0.5f * static_cast<float>(frame.height)};
  }
  // The quad is a parallelogram: corner 0 plus s along 0->1 (v) and t along 0->2 (u).
  const float ex = screen[1][0] - screen[0][0], ey = screen[1][1] - screen[0][1];
  const float fx = screen[2][0] - screen[0][0], fy = screen[2][1] - screen[0][1];
  const float det = ex * fy - ey * fx;
  if (det == 0) return;  // collapsed to a line or a point: nothing to draw

  // Texture-space derivatives per pixel give the level of detail, the same everywhere.
  const float ds_dx = fy / det, ds_dy = -fx / det, dt_dx = -ey / det, dt_dy = ex / det;
  const auto& top = texture.levels.front();
  const float tw = static_cast<float>(top.width), th = static_cast<float>(top.height);
  const float rho = std::max(std::hypot(dt_dx * tw, ds_dx * th), std::hypot(dt_dy * tw, ds_dy * th));
  const float lod = std::log2(rho);

  float minX = screen[0][0], maxX = minX, minY = screen[0][1], maxY = minY;
  for (const auto& s : screen) {
    minX = std::min(minX, s[0]), maxX = std::max(maxX, s[0]);
    minY = std::min(minY, s[1]), maxY = std::max(maxY, s[1]);
  }
  const int x0 = std::max(0, static_cast<int>(std::ceil(minX))),
            x1 = std::min(frame.width - 1, static_cast<int>(std::floor(maxX)));
  const int y0 = std::max(0, static_cast<int>(std::ceil(minY))),
            y1 = std::min(frame.height - 1, static_cast<int>(std::floor(maxY)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float px = static_cast<float>(x) - screen[0][0], py = static_cast<float>(y) - screen[0][1];
      const float s = (px * fy - py * fx) / det;
      const float t = (ex * py - ey * px) / det;
      if (s < 0 || s >= 1 || t < 0 || t >= 1) continue;  // half-open, so shared edges draw once
      const Colour texel = Sample(texture, t, s, lod);   // u runs along 0->2, v along 0->1
      const float scale = c.brightness;
      std::uint32_t& pixel = frame.At(x, y);
      pixel = Rgb(AddSaturated(Red(pixel), texel.r * scale * p.lightColor[0]),
                  AddSaturated(Green(pixel), texel.g * scale * p.lightColor[1]),
                  AddSaturated(Blue(pixel), texel.b * scale * p.lightColor[2]));
    }
  }
}

}  // namespace vizo::gfx
