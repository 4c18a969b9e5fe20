// The scene's settings as the saver reads them at start: the settings file, with the desktop's
// current display mode as the default resolution.
#pragma once

#include <optional>
#include <string>

#include "settings/settings_file.h"

namespace vizo::win32 {

// Adapter 0's current mode as a display-mode text; nothing when Direct3D can't say.
std::optional<std::string> DesktopDisplayModeText();

// Reads the settings file into settings. Without a desktop mode the resolution has no default.
void ReadSceneSettingsFromFile(settings::SceneSettings& settings);

}  // namespace vizo::win32
