#include "scene_settings_win32.h"

#include <d3d9.h>

#include "gfxutil/win32/display_mode_win32.h"
#include "profile_store_win32.h"
#include "shell/win32/system_library.h"

namespace vizo::win32 {

std::optional<gfx::DisplayMode> ReadDesktopMode() {
  IDirect3D9* direct3d = CreateDirect3D9();
  if (!direct3d) return std::nullopt;
  D3DDISPLAYMODE mode{};
  const HRESULT result = direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
  direct3d->Release();
  if (FAILED(result)) return std::nullopt;
  return gfx::win32::FromD3D(mode);
}

void ReadSceneSettingsFromFile(settings::SceneSettings& settings, const std::optional<gfx::DisplayMode>& desktop) {
  Win32ProfileStore store;
  const std::string fallback = desktop ? settings::DisplayModeText(desktop->width, desktop->height) : "";
  settings::ReadSceneSettings(store, fallback.c_str(), settings);
}

}  // namespace vizo::win32
