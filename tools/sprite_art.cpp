#include "sprite_art.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace vizo::art {

namespace {

using gfx::Image;

constexpr double Pi = 3.14159265358979323846;

struct Colour {
  double r = 0, g = 0, b = 0;
};

Colour Mix(const Colour& a, const Colour& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Max(const Colour& a, const Colour& b) { return {std::max(a.r, b.r), std::max(a.g, b.g), std::max(a.b, b.b)}; }

std::uint32_t ToPixel(const Colour& c) {
  auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); };
  return gfx::Rgb(byte(c.r), byte(c.g), byte(c.b));
}

struct Stop {
  double at;
  Colour colour;
};

Colour Ramp(const std::vector<Stop>& stops, double x) {
  if (x <= stops.front().at) return stops.front().colour;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (x <= stops[i].at) {
      return Mix(stops[i - 1].colour, stops[i].colour, (x - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    }
  }
  return stops.back().colour;
}

// The glow images' colour scale by radius (a fraction of half the width): white, pink, teal, blue.
Colour GlowScale(double r) {
  static const std::vector<Stop> scale = {{0.575, {255, 255, 255}}, {0.625, {255, 242, 254}}, {0.675, {253, 180, 239}},
                                          {0.7, {247, 140, 210}},   {0.725, {227, 120, 167}}, {0.75, {188, 129, 129}},
                                          {0.775, {133, 149, 117}}, {0.8, {75, 151, 130}},    {0.825, {33, 121, 145}},
                                          {0.85, {11, 75, 134}},    {0.875, {5, 37, 98}},     {0.9, {5, 15, 55}},
                                          {0.925, {5, 7, 24}},      {0.95, {2, 2, 4}},        {0.975, {0, 0, 0}}};
  return Ramp(scale, r);
}

// The ring's profile by radius: black, blue, grey-teal, a pink crest, and back down.
Colour RingProfile(double r) {
  static const std::vector<Stop> profile = {{0.4, {0, 0, 0}},         {0.45, {0, 7, 44}},     {0.5, {9, 45, 112}},
                                            {0.55, {57, 110, 142}},   {0.6, {152, 139, 142}}, {0.65, {226, 143, 181}},
                                            {0.675, {237, 148, 197}}, {0.7, {237, 148, 197}}, {0.725, {201, 145, 181}},
                                            {0.75, {157, 134, 162}},  {0.8, {61, 89, 130}},   {0.85, {10, 31, 77}},
                                            {0.9, {0, 4, 22}},        {0.95, {0, 0, 0}}};
  return Ramp(profile, r);
}

// Paints every pixel from its position relative to the centre, in half-widths, y upwards.
Image Paint(int size, const std::function<Colour(double x, double y)>& colourAt) {
  Image image(size, size);
  const double half = size / 2.0;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      image.At(px, py) = ToPixel(colourAt((px + 0.5 - half) / half, (half - py - 0.5) / half));
    }
  }
  return image;
}

void BlackenBorder(Image& image, int width) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (x < width || y < width || x >= image.width - width || y >= image.height - width) image.At(x, y) = 0;
    }
  }
}

// A stroke along a path of points in pixels (y downwards): core colour and half-width by the
// position along it (0 to 1), edged pink then fading through the scale's teal and blue.
struct Stroke {
  std::vector<std::array<double, 2>> path;
  std::function<double(double t)> halfWidth;
  std::function<Colour(double t)> core;
  Colour edge{247, 140, 210};
};

Colour StrokeColour(const Stroke& s, double px, double py) {
  double best = 1e9, bestT = 0, walked = 0, total = 0;
  for (size_t i = 1; i < s.path.size(); ++i) {
    total += std::hypot(s.path[i][0] - s.path[i - 1][0], s.path[i][1] - s.path[i - 1][1]);
  }
  for (size_t i = 1; i < s.path.size(); ++i) {
    const auto& a = s.path[i - 1];
    const auto& b = s.path[i];
    const double dx = b[0] - a[0], dy = b[1] - a[1], length = std::hypot(dx, dy);
    const double along = std::clamp(((px - a[0]) * dx + (py - a[1]) * dy) / (length * length), 0.0, 1.0);
    const double d = std::hypot(px - a[0] - along * dx, py - a[1] - along * dy);
    if (d < best) best = d, bestT = (walked + along * length) / total;
    walked += length;
  }
  const double u = best / std::max(0.5, s.halfWidth(bestT));
  const Colour core = s.core(bestT);
  if (u < 0.5) return core;
  if (u < 1.0) return Mix(core, s.edge, (u - 0.5) / 0.5);
  return Mix(s.edge, GlowScale(0.7 + (u - 1.0) * 0.46), 1.0);  // pink through teal and blue to black by u 1.6
}

Image PaintStrokes(const std::vector<Stroke>& strokes) {
  Image image(200, 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 200; ++x) {
      Colour c;
      for (const auto& s : strokes) c = Max(c, StrokeColour(s, x + 0.5, y + 0.5));
      image.At(x, y) = ToPixel(c);
    }
  }
  return image;
}

Colour Rainbow(double t) {
  static const std::vector<Stop> colours = {{0, {240, 60, 44}},   {0.2, {250, 150, 40}}, {0.4, {240, 240, 60}},
                                            {0.6, {27, 249, 53}}, {0.8, {40, 230, 230}}, {1, {40, 80, 250}}};
  return Ramp(colours, t);
}

Image Disc() {
  return Paint(200, [](double x, double y) { return GlowScale(std::hypot(x, y)); });
}

Image Star() {
  return Paint(200, [](double x, double y) {
    const double angle = std::atan2(y, x) + 3 * Pi / 180;  // lobes a little clockwise of the diagonals
    const double reach = 0.6 + 0.56 * std::pow(std::abs(std::sin(2 * angle)), 1.5);
    const double into = std::hypot(x, y) - (reach - 0.3);  // a fringe 30 pixels wide
    return into < 0 ? Colour{255, 255, 255} : GlowScale(0.6 + into / 0.3 * 0.375);
  });
}

Image Cross() {
  return Paint(200, [](double x, double y) {
    Colour c;
    for (const double degrees : {57.0, 147.0, 237.0, 327.0}) {
      const double a = degrees * Pi / 180;
      const double along = x * std::cos(a) + y * std::sin(a);
      const double across = std::abs(-x * std::sin(a) + y * std::cos(a));
      if (along < 0 || along > 0.96) continue;
      const double level = across < 0.06 ? 1.0 : std::max(0.0, 1 - (across - 0.06) / 0.14);
      Colour bar{245 * level, 245 * level, 245 * level};
      if (along > 0.8) bar = Mix(bar, Mix(Colour{247, 140, 210}, Colour{11, 75, 134}, (along - 0.8) / 0.16), 0.8);
      const double end = std::clamp((0.96 - along) / 0.03, 0.0, 1.0);  // rounded off at the tip
      c = Max(c, {bar.r * level * end, bar.g * level * end, bar.b * level * end});
    }
    static const std::vector<Stop> ring = {
        {0.25, {0, 0, 0}}, {0.36, {30, 80, 200}}, {0.47, {200, 110, 220}}, {0.6, {0, 0, 0}}};
    return Max(c, Ramp(ring, std::hypot(x, y)));
  });
}

Image Hook() {
  Stroke band{{{150, 120}, {125, 88}, {100, 58}, {70, 35}},
              [](double t) { return 18 - 2 * t; },
              [](double) {
                return Colour{255, 255, 255};
              }};
  Stroke arm{{{70, 35}, {52, 48}, {42, 85}, {42, 125}, {45, 165}},
             [](double t) { return 14 * (1 - t) + 2; },
             [](double t) { return Rainbow(t); }};
  return PaintStrokes({band, arm});
}

Image Squiggles() {
  const Colour blueGlow{60, 90, 200};
  Stroke left{{{50, 28}, {38, 45}, {33, 68}, {37, 90}, {55, 108}},
              [](double) { return 6.0; },
              [](double t) {
                return Mix(Colour{247, 140, 210}, Colour{253, 180, 239}, t);
              },
              blueGlow};
  Stroke middle{{{120, 68}, {96, 72}, {89, 92}, {108, 100}, {125, 115}, {112, 131}, {86, 132}},
                [](double) { return 6.0; },
                [](double t) {
                  // Yellow-green with orange spots along it.
                  const bool spot = std::fmod(t * 9, 1.0) < 0.3;
                  return spot ? Colour{250, 150, 40} : Colour{190, 230, 60};
                },
                blueGlow};
  Stroke right{{{150, 88}, {174, 105}, {186, 130}, {179, 155}, {160, 172}},
               [](double) { return 6.0; },
               [](double t) {
                 return Mix(Colour{247, 140, 210}, Colour{240, 60, 220}, t);
               },
               blueGlow};
  return PaintStrokes({left, middle, right});
}

Image FigureSix() {
  const Colour pink{237, 156, 208};
  const Colour blueHalo{40, 80, 220};
  Stroke bar{{{45, 25}, {160, 25}},
             [](double) { return 7.5; },
             [pink](double t) {
               static const std::vector<Stop> tip = {
                   {0.78, {237, 156, 208}}, {0.82, {240, 40, 200}}, {0.86, {250, 150, 40}}, {0.9, {170, 230, 60}},
                   {0.93, {27, 249, 53}},   {0.96, {40, 230, 230}}, {1, {40, 80, 250}}};
               return t < 0.78 ? pink : Ramp(tip, t);
             },
             blueHalo};
  Stroke loop{{{45, 25},
               {38, 50},
               {33, 80},
               {32, 110},
               {38, 140},
               {55, 165},
               {85, 181},
               {120, 182},
               {155, 171},
               {176, 148},
               {177, 118},
               {160, 95},
               {128, 81},
               {95, 81},
               {65, 92},
               {45, 110},
               {36, 130}},
              [](double) { return 7.5; },
              [pink](double) { return pink; },
              blueHalo};
  return PaintStrokes({bar, loop});
}

Image Ring() {
  return Paint(500, [](double x, double y) { return RingProfile(std::hypot(x, y)); });
}

}  // namespace

gfx::Image DrawSprite(int slot) {
  Image image;
  switch (slot) {
    case 0:
      image = Disc();
      break;
    case 1:
      image = Star();
      break;
    case 2:
      image = Cross();
      break;
    case 3:
      image = Hook();
      break;
    case 4:
      image = Squiggles();
      break;
    case 5:
      image = FigureSix();
      break;
    default:
      image = Ring();
      break;
  }
  // Black along every edge, so that the square outline of a sprite's quad never shows.
  BlackenBorder(image, slot == 6 ? 16 : 2);
  return image;
}

std::vector<std::uint8_t> BitmapFile(const gfx::Image& image) {
  const std::vector<std::uint8_t> bitmap = gfx::EncodeBitmap(image);
  const auto fileSize = static_cast<std::uint32_t>(14 + bitmap.size());
  std::vector<std::uint8_t> file = {'B', 'M'};
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<std::uint8_t>(fileSize >> shift));
  file.insert(file.end(), {0, 0, 0, 0, 54, 0, 0, 0});  // reserved, then where the pixels start
  file.insert(file.end(), bitmap.begin(), bitmap.end());
  return file;
}

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

enum IconColour : std::uint8_t { Clear = 0, Red = 1, Blue = 2 };

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

bool InTriangle(double px, double py, const std::array<std::array<double, 2>, 3>& t) {
  auto side = [&](size_t i, size_t j) {
    return (t[j][0] - t[i][0]) * (py - t[i][1]) - (t[j][1] - t[i][1]) * (px - t[i][0]);
  };
  const double a = side(0, 1), b = side(1, 2), c = side(2, 0);
  return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
}

// What covers the point (x, y), in units of half the icon, y upwards.
IconColour IconAt(double x, double y) {
  const double ring = 0.78, thickness = 0.16;
  // Two arrows running clockwise round the ring, each over 130 degrees, with a head at its end.
  for (const double start : {160.0, 340.0}) {
    const double end = start - 130;
    const double angle = std::fmod(std::atan2(y, x) * 180 / Pi + 360, 360.0);
    const double from = std::fmod(end + 360, 360.0), span = 130;
    const double into = std::fmod(angle - from + 360, 360.0);
    if (into <= span && std::abs(std::hypot(x, y) - ring) < thickness / 2) return Red;
    const double a = end * Pi / 180, tip = (end - 28) * Pi / 180;
    if (InTriangle(x, y,
                   {{{(ring - 0.2) * std::cos(a), (ring - 0.2) * std::sin(a)},
                     {(ring + 0.2) * std::cos(a), (ring + 0.2) * std::sin(a)},
                     {ring * std::cos(tip), ring * std::sin(tip)}}})) {
      return Red;
    }
  }
  // The lettering: a lower-case v and z.
  const std::array<std::array<double, 4>, 5> strokes = {{{-0.5, 0.28, -0.3, -0.28},
                                                         {-0.3, -0.28, -0.1, 0.28},
                                                         {0.06, 0.28, 0.46, 0.28},
                                                         {0.46, 0.28, 0.06, -0.28},
                                                         {0.06, -0.28, 0.46, -0.28}}};
  for (const auto& s : strokes) {
    if (SegmentDistance(x, y, s[0], s[1], s[2], s[3]) < 0.075) return Blue;
  }
  return Clear;
}

// One image of the icon: info header (height doubled for the mask), palette, colour rows and
// mask rows, both bottom row first.
std::vector<std::uint8_t> IconImage(int size) {
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, 8);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  const std::array<std::uint32_t, 3> palette = {0x000000, 0xDC1E1E, 0x1E3CDC};
  for (std::size_t i = 0; i < 256; ++i) Put32(out, i < palette.size() ? palette[i] : 0);
  std::vector<IconColour> pixels(static_cast<size_t>(size * size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double half = size / 2.0;
      pixels[static_cast<size_t>(y * size + x)] = IconAt((x + 0.5 - half) / half, (half - y - 0.5) / half);
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) out.push_back(pixels[static_cast<size_t>(y * size + x)]);
  }
  const int maskStride = (size / 8 + 3) / 4 * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<size_t>(maskStride));
    for (int x = 0; x < size; ++x) {
      if (pixels[static_cast<size_t>(y * size + x)] == Clear)
        row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> IconFile() {
  const std::array<int, 3> sizes = {96, 64, 48};
  std::vector<std::vector<std::uint8_t>> images;
  for (const int size : sizes) images.push_back(IconImage(size));
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, static_cast<std::uint16_t>(sizes.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(sizes[i]));
    out.push_back(static_cast<std::uint8_t>(sizes[i]));
    out.push_back(0);  // 256 colours
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace vizo::art
