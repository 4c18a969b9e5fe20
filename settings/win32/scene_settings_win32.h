// The scene's settings as the saver reads them at start: the settings file, with the desktop's
// current display mode as the default resolution.
#pragma once

#include <cstdint>
#include <optional>

#include "gfxutil/display_mode.h"
#include "settings/settings_file.h"

namespace vizo::win32 {

// Adapter 0's current mode, through a Direct3D object made for the purpose; nothing when
// Direct3D can't say.
std::optional<gfx::DisplayMode> ReadDesktopMode();

// Reads the settings file into settings. Without a desktop mode the resolution has no default.
void ReadSceneSettingsFromFile(settings::SceneSettings& settings, const std::optional<gfx::DisplayMode>& desktop);

}  // namespace vizo::win32
