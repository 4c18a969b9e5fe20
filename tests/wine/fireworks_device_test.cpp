// Whole fireworks frames from the real device for a fixed seed, against the reference renderer
// driven by the same animation and camera.
#include <gtest/gtest.h>

#include "harness.h"

#include <d3d9.h>

#include <cstdio>

#include "gfxutil/image.h"
#include "renderer/reference_frame.h"
#include "renderer/win32/hanabiPainter.h"

namespace vizo::winetest {
namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr std::uint32_t Seed = 20261207;

// The sprite images as the texture loader makes them: scaled to powers of two, with mipmaps.
gfx::MipTexture ReferenceTexture(HMODULE module, const char* name) {
  HRSRC found = FindResourceA(module, name, RT_BITMAP);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
  const auto decoded = gfx::DecodeBitmap(data, SizeofResource(module, found));
  const gfx::Image& image = std::get<gfx::Image>(decoded);
  return {
      gfx::MipChain(gfx::ScaleTriangle(image, gfx::NextPowerOfTwo(image.width), gfx::NextPowerOfTwo(image.height)))};
}

TEST(FireworksFrames, DeviceFramesMatchTheReferenceForAFixedSeed) {
  HMODULE saver = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(saver, nullptr);
  HWND window =
      CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr, nullptr, nullptr, nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3d, nullptr);
  D3DPRESENT_PARAMETERS present{};
  present.BackBufferWidth = Width;
  present.BackBufferHeight = Height;
  present.BackBufferFormat = D3DFMT_X8R8G8B8;
  present.BackBufferCount = 1;
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.Windowed = TRUE;
  present.EnableAutoDepthStencil = TRUE;
  present.AutoDepthStencilFormat = D3DFMT_D16;
  IDirect3DDevice9* device = nullptr;
  ASSERT_TRUE(SUCCEEDED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device)));

  renderer::win32::PainterAnimation().SetSeed(Seed);
  renderer::win32::HanabiPainter painter;
  ASSERT_TRUE(SUCCEEDED(painter.Init(device, saver)));
  ASSERT_NE(painter.effect, nullptr);

  const char* names[] = {"img/hanabi0.bmp", "img/hanabi1.bmp", "img/hanabi2.bmp", "img/hanabi3.bmp",
                         "img/hanabi4.bmp", "img/hanabi5.bmp", "img/flash.bmp"};
  std::array<gfx::MipTexture, 7> textures;
  for (size_t i = 0; i < 7; ++i) textures[i] = ReferenceTexture(saver, names[i]);
  renderer::HanabiAnimation referenceAnimation([]() -> std::uint32_t { return 0; });
  referenceAnimation.SetSeed(Seed);

  renderer::OrbitCamera camera;
  camera.SetAspect(Width, Height);
  renderer::OrbitCamera referenceCamera = camera;

  struct Check {
    int frame;
    std::int32_t spacing;
  };
  const Check checks[] = {{1, 10}, {100, 10}, {1000, 10}, {1001, 1}, {1100, 1}};
  int frame = 0;
  for (const Check& check : checks) {
    while (frame < check.frame) {
      ++frame;
      const bool compare = frame == check.frame;
      renderer::OrbitStep() = frame - 1;
      camera.Update();
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      device->BeginScene();
      painter.Begin(camera);
      for (int i = 0; i < 1000; ++i) painter.Draw(device, check.spacing, i);
      painter.End();
      device->EndScene();

      renderer::OrbitStep() = frame - 1;
      referenceCamera.Update();
      gfx::Image reference(Width, Height);
      renderer::DrawReferenceFrame(compare ? &reference : nullptr, referenceCamera, referenceAnimation, check.spacing,
                                   textures);
      if (!compare) continue;

      // Read the device's frame back.
      gfx::Image drawn(Width, Height);
      IDirect3DSurface9* target = nullptr;
      IDirect3DSurface9* copy = nullptr;
      ASSERT_TRUE(SUCCEEDED(device->GetRenderTarget(0, &target)));
      ASSERT_TRUE(SUCCEEDED(
          device->CreateOffscreenPlainSurface(Width, Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr)));
      ASSERT_TRUE(SUCCEEDED(device->GetRenderTargetData(target, copy)));
      D3DLOCKED_RECT locked{};
      ASSERT_TRUE(SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)));
      for (int y = 0; y < Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                                 y * static_cast<INT>(locked.Pitch));
        for (int x = 0; x < Width; ++x) drawn.At(x, y) = row[x] & 0x00FFFFFF;
      }
      copy->UnlockRect();
      copy->Release();
      target->Release();

      double total = 0;
      int farCount = 0, lit = 0;
      for (size_t p = 0; p < drawn.pixels.size(); ++p) {
        const std::uint32_t a = drawn.pixels[p], b = reference.pixels[p];
        const int d = std::max({std::abs(gfx::Red(a) - gfx::Red(b)), std::abs(gfx::Green(a) - gfx::Green(b)),
                                std::abs(gfx::Blue(a) - gfx::Blue(b))});
        total += std::abs(gfx::Red(a) - gfx::Red(b)) + std::abs(gfx::Green(a) - gfx::Green(b)) +
                 std::abs(gfx::Blue(a) - gfx::Blue(b));
        farCount += d > 24 ? 1 : 0;
        lit += a != 0 ? 1 : 0;
      }
      const double mean = total / (3.0 * static_cast<double>(drawn.pixels.size()));
      const double farShare = farCount / static_cast<double>(drawn.pixels.size());
      const std::string name = "fireworks-frame" + std::to_string(frame) + "-spacing" + std::to_string(check.spacing);
      std::printf("%s: mean error %.3f steps, %.3f%% of pixels off by more than 24, %d lit\n", name.c_str(), mean,
                  farShare * 100, lit);
      SaveArtifact({Width, Height, drawn.pixels}, name + "-device");
      SaveArtifact({Width, Height, reference.pixels}, name + "-reference");
      EXPECT_LT(mean, 1.5) << name;
      EXPECT_LT(farShare, 0.01) << name;
      EXPECT_GT(lit, 200) << name << ": hardly any fireworks";
    }
  }

  painter.Release();
  device->Release();
  direct3d->Release();
  DestroyWindow(window);
  FreeLibrary(saver);
}

}  // namespace
}  // namespace vizo::winetest
