// Creates the corona effect on a windowed device and writes what happened into the file named by
// its argument: "created", or the reason it could not be. Exit code 0 when created, 3 when not.
#include <windows.h>

#include <d3d9.h>

#include <cstdio>
#include <memory>
#include <string>

#include "device_helpers.h"
#include "gfxutil/win32/d3d_effect.h"
#include "renderer/corona_effect.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!window || !direct3d) return 1;
  IDirect3DDevice9* device = vizo::winetest::CreateWindowedDevice(direct3d, window, 64, 64);
  if (!device) {
    direct3d->Release();
    return 1;
  }
  std::unique_ptr<vizo::gfx::win32::D3DEffect> effect;
  std::string message;
  const HRESULT result = vizo::gfx::win32::D3DEffect::Create(device, vizo::renderer::CoronaEffect(), effect, message);
  effect.reset();
  device->Release();
  direct3d->Release();
  DestroyWindow(window);
  if (FILE* out = std::fopen(argv[1], "w")) {
    std::fputs(SUCCEEDED(result) ? "created" : message.c_str(), out);
    std::fclose(out);
  }
  return SUCCEEDED(result) ? 0 : 3;
}
