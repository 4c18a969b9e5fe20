#include "scene_settings_win32.h"

#include <d3d9.h>

#include "profile_store_win32.h"

namespace vizo::win32 {

std::optional<std::string> DesktopDisplayModeText() {
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!direct3d) return std::nullopt;
  D3DDISPLAYMODE mode{};
  const HRESULT result = direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
  direct3d->Release();
  if (FAILED(result)) return std::nullopt;
  return settings::DisplayModeText(mode.Width, mode.Height);
}

void ReadSceneSettingsFromFile(settings::SceneSettings& settings) {
  Win32ProfileStore store;
  const std::string desktop = DesktopDisplayModeText().value_or("");
  settings::ReadSceneSettings(store, desktop.c_str(), settings);
}

}  // namespace vizo::win32
