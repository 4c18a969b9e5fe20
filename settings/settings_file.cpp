#include "settings_file.h"

#include <cctype>
#include <cstdio>

namespace vizo::settings {

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

// The "%d" conversion: optional white space, an optional sign, at least one digit. Returns the
// position behind the number, or nullptr when there is none. Out-of-range values wrap as they do
// in the Windows C runtime rather than being undefined.
const char* ScanInt(const char* p, std::int32_t& value) {
  p = SkipSpace(p);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!IsDigit(*p)) return nullptr;
  std::uint32_t magnitude = 0;
  for (; IsDigit(*p); ++p) magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p - '0');
  if (negative) magnitude = 0u - magnitude;
  value = static_cast<std::int32_t>(magnitude);
  return p;
}

// Two numbers around a literal 'x'; spaceBeforeX says whether white space may come between the
// first number and the 'x' (a blank in the format) or not.
void ScanSize(const char* text, bool spaceBeforeX, std::int32_t& width, std::int32_t& height) {
  const char* p = ScanInt(text, width);
  if (!p) return;
  if (spaceBeforeX) p = SkipSpace(p);
  if (*p != 'x') return;
  ScanInt(p + 1, height);  // "%d" skips the white space before the number itself
}

}  // namespace

// Hand-edited values are taken through the formulas as they are; out-of-range ones wrap instead
// of overflowing.
std::int32_t SpacingFromLoad(std::int32_t load) {
  const auto spacing = static_cast<std::int32_t>(10u - static_cast<std::uint32_t>(load));
  return spacing == 0 ? 1 : spacing;
}

void ScanDisplaySize(const char* text, std::int32_t& width, std::int32_t& height) {
  ScanSize(text, true, width, height);
}

void ScanBufferSize(const char* text, std::int32_t& width, std::int32_t& height) {
  ScanSize(text, false, width, height);
}

std::string DisplayModeText(std::uint32_t width, std::uint32_t height) {
  char text[ProfileTextSize];
  std::snprintf(text, sizeof text, "%d x %d", static_cast<int>(width), static_cast<int>(height));
  return text;
}

void ReadSceneSettings(ProfileStore& store, const char* defaultDisplay, SceneSettings& settings) {
  settings.spacing = SpacingFromLoad(store.ReadInt("Hanabi", 10));
  settings.particleCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(store.ReadInt("Particle", 10)) * 6u);
  settings.flash = store.ReadInt("Flash", 1) == 1;
  settings.back = store.ReadInt("Back", 1) == 1;
  settings.smoke = store.ReadInt("Smoke", 1) == 1;
  settings.reflect = store.ReadInt("Reflect", 1) == 1;
  const std::string display = store.ReadText("Display", defaultDisplay);
  ScanDisplaySize(display.c_str(), settings.displayWidth, settings.displayHeight);
  const std::string buffer = store.ReadText("Buffer", "512x512");
  ScanBufferSize(buffer.c_str(), settings.bufferWidth, settings.bufferHeight);
  settings.allMonitors = store.ReadInt(AllMonitorsKey, 0) == 1;
}

bool HasKey(ProfileStore& store, const char* key) { return store.ReadText(key, "") == store.ReadText(key, "-"); }

}  // namespace vizo::settings
