// The scene's settings as the saver reads them at start: the settings file, with the desktop's
// current display mode as the default resolution.
#pragma once

#include <cstdint>
#include <optional>

#include "settings/settings_file.h"

namespace vizo::win32 {

struct DesktopSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Adapter 0's current mode, through a Direct3D object made for the purpose; nothing when
// Direct3D can't say.
std::optional<DesktopSize> ReadDesktopSize();

// Reads the settings file into settings. Without a desktop size the resolution has no default.
void ReadSceneSettingsFromFile(settings::SceneSettings& settings, const std::optional<DesktopSize>& desktop);

}  // namespace vizo::win32
