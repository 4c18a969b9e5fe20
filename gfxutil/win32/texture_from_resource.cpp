#include "texture_from_resource.h"

#include <algorithm>
#include <cstring>
#include <variant>
#include <vector>

#include "gfxutil/image.h"

namespace vizo::gfx::win32 {

namespace {

HRESULT Fail(std::string* message, const std::string& why) {
  if (message) *message = why;
  return E_FAIL;
}

// The resource's bytes as a header-less bitmap: a bitmap resource is one already; raw data may
// be a whole .bmp file, whose 14-byte file header is skipped.
bool FindBitmap(HMODULE module, const char* name, const std::uint8_t*& data, DWORD& size) {
  for (const LPCSTR type : {MAKEINTRESOURCEA(2) /* RT_BITMAP */, MAKEINTRESOURCEA(10) /* RT_RCDATA */}) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) continue;
    HGLOBAL loaded = LoadResource(module, found);
    data = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    size = SizeofResource(module, found);
    if (!data) return false;
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') data += 14, size -= 14;
    return true;
  }
  return false;
}

// X8R8G8B8 where the device takes it, else A8R8G8B8, which has the same layout.
D3DFORMAT ChooseFormat(IDirect3DDevice9* device) {
  IDirect3D9* direct3d = nullptr;
  D3DDEVICE_CREATION_PARAMETERS creation{};
  D3DDISPLAYMODE mode{};
  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  if (SUCCEEDED(device->GetDirect3D(&direct3d)) && SUCCEEDED(device->GetCreationParameters(&creation)) &&
      SUCCEEDED(direct3d->GetAdapterDisplayMode(creation.AdapterOrdinal, &mode))) {
    for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
      if (SUCCEEDED(direct3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType, mode.Format, 0,
                                                D3DRTYPE_TEXTURE, format))) {
        chosen = format;
        break;
      }
    }
  }
  if (direct3d) direct3d->Release();
  return chosen;
}

}  // namespace

namespace {

// The top level's size where the device allows it, and whether it takes mipmaps.
struct TextureLimits {
  int maxWidth = 1, maxHeight = 1;
  bool mipmaps = false;
};
TextureLimits LimitsOf(IDirect3DDevice9* device) {
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  return {static_cast<int>(std::max<DWORD>(1, caps.MaxTextureWidth)),
          static_cast<int>(std::max<DWORD>(1, caps.MaxTextureHeight)), (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0};
}

std::variant<std::vector<Image>, std::string> Levels(HMODULE module, const char* name, const TextureLimits& limits) {
  if (!module) module = GetModuleHandleA(nullptr);
  const std::uint8_t* data = nullptr;
  DWORD size = 0;
  if (!FindBitmap(module, name, data, size)) return std::string("no bitmap resource ") + name;
  auto decoded = DecodeBitmap(data, size);
  if (auto* error = std::get_if<std::string>(&decoded)) return std::string(name) + ": " + *error;
  const Image& image = std::get<Image>(decoded);
  const int width = std::min(NextPowerOfTwo(image.width), limits.maxWidth);
  const int height = std::min(NextPowerOfTwo(image.height), limits.maxHeight);
  std::vector<Image> levels{ScaleTriangle(image, width, height)};
  if (limits.mipmaps) levels = MipChain(std::move(levels.front()));
  return levels;
}

}  // namespace

std::variant<std::vector<Image>, std::string> PrepareTextureLevels(HMODULE module, const char* name) {
  return Levels(module, name, {1 << 30, 1 << 30, true});
}

HRESULT CreateTextureFromLevels(IDirect3DDevice9* device, const std::vector<Image>& levels, IDirect3DTexture9** texture,
                                std::string* message) {
  if (!device || levels.empty() || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const TextureLimits limits = LimitsOf(device);
  if (levels.front().width > limits.maxWidth || levels.front().height > limits.maxHeight ||
      (levels.size() > 1 && !limits.mipmaps)) {
    return Fail(message, "the device does not take the texture as prepared");
  }
  const D3DFORMAT format = ChooseFormat(device);
  if (format == D3DFMT_UNKNOWN) return Fail(message, "the device takes no 32-bit RGB texture format");
  IDirect3DTexture9* created = nullptr;
  HRESULT result = device->CreateTexture(static_cast<UINT>(levels.front().width),
                                         static_cast<UINT>(levels.front().height), static_cast<UINT>(levels.size()), 0,
                                         format, D3DPOOL_MANAGED, &created, nullptr);
  if (FAILED(result)) {
    Fail(message, "the device could not create the texture");
    return result;
  }

  const std::uint32_t alpha = format == D3DFMT_A8R8G8B8 ? 0xFF000000u : 0;
  for (size_t level = 0; level < levels.size() && SUCCEEDED(result); ++level) {
    const Image& source = levels[level];
    D3DLOCKED_RECT locked{};
    result = created->LockRect(static_cast<UINT>(level), &locked, nullptr, 0);
    if (FAILED(result)) break;
    for (int y = 0; y < source.height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < source.width; ++x) row[x] = source.At(x, y) | alpha;
    }
    created->UnlockRect(static_cast<UINT>(level));
  }
  if (FAILED(result)) {
    created->Release();
    Fail(message, "the texture could not be filled");
    return result;
  }
  *texture = created;
  return D3D_OK;
}

HRESULT CreateTextureFromResource(IDirect3DDevice9* device, HMODULE module, const char* name,
                                  IDirect3DTexture9** texture, std::string* message) {
  if (!device || !name || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  auto levels = Levels(module, name, LimitsOf(device));
  if (auto* error = std::get_if<std::string>(&levels)) return Fail(message, *error);
  return CreateTextureFromLevels(device, std::get<std::vector<Image>>(levels), texture, message);
}

}  // namespace vizo::gfx::win32
