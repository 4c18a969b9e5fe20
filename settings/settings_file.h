// The user's settings file: reading its eight keys (and the optional AllMonitors) with their
// defaults, and the values the scene derives from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vizo::settings {

inline constexpr char SettingsFileName[] = "vizoScrvizo.ini";
inline constexpr char SettingsSection[] = "main";
// Texts read from the file and display-mode texts live in buffers of this size, terminator included.
inline constexpr std::size_t ProfileTextSize = 50;

// Section "main" of the settings file, through the platform's private-profile functions.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The key as a decimal integer; fallback when it is absent.
  virtual std::int32_t ReadInt(const char* key, std::int32_t fallback) = 0;
  // At most ProfileTextSize - 1 characters; fallback only when the key is absent, not when empty.
  virtual std::string ReadText(const char* key, const char* fallback) = 0;
  // False when the write failed.
  virtual bool WriteText(const char* key, const char* text) = 0;
  // Takes the key out of the file; false when the file could not be written.
  virtual bool RemoveKey(const char* key) = 0;
};

// Whether the file holds the key at all, whatever its value (two reads that only an absent key
// answers with their different fallbacks).
bool HasKey(ProfileStore& store, const char* key);

// Fireworks on every monitor: only the value 1 turns it on; absent or anything else keeps the
// other monitors black.
inline constexpr char AllMonitorsKey[] = "AllMonitors";

struct SceneSettings {
  std::int32_t spacing = 0;  // draw every spacing-th sprite
  std::int32_t particleCount = 0;
  bool flash = false;
  bool back = false;
  bool smoke = false;
  bool reflect = false;
  std::int32_t displayWidth = 0;
  std::int32_t displayHeight = 0;
  std::int32_t bufferWidth = 0;
  std::int32_t bufferHeight = 0;
  bool allMonitors = false;  // draw on every monitor, not only the main one
};

// Reads the eight keys in file order, then AllMonitors, into settings. defaultDisplay is the desktop's mode text;
// a size that its text does not give keeps the value settings already held.
void ReadSceneSettings(ProfileStore& store, const char* defaultDisplay, SceneSettings& settings);

// The load level 0..10 as the painter's spacing: 10 - level, where 0 becomes 1. Not clamped.
std::int32_t SpacingFromLoad(std::int32_t load);

// "%d x %d" and "%dx%d" as the C library's formatted input reads them; a size the text does not
// give is left as it was.
void ScanDisplaySize(const char* text, std::int32_t& width, std::int32_t& height);
void ScanBufferSize(const char* text, std::int32_t& width, std::int32_t& height);

// A display mode as the settings show it: "800 x 600".
std::string DisplayModeText(std::uint32_t width, std::uint32_t height);

}  // namespace vizo::settings
