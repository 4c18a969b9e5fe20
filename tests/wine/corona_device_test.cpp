// The corona effect on a real Direct3D 9 device: single sprites drawn through our effect runtime,
// read back, and compared with the reference renderer.
#include <gtest/gtest.h>

#include "device_helpers.h"
#include "gfxutil/win32/release_once.h"
#include "harness.h"

#include <d3d9.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <variant>
#include <vector>

#include "gfxutil/win32/d3d_effect.h"
#include "gfxutil/win32/texture_from_resource.h"
#include "renderer/corona_effect.h"
#include "renderer/corona_reference.h"

namespace vizo::winetest {
namespace {

using gfx::win32::ReleaseOnce;

constexpr int FrameSize = 256;

// A soft round glow with a black border, like the sprite images.
gfx::Image Glow(int size) {
  gfx::Image image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / (size / 2.0);
      const double level = std::clamp(1.2 - 1.4 * r, 0.0, 1.0);
      // Colour varies across the image so that turns and mirrorings show.
      image.At(x, y) = gfx::Rgb(static_cast<int>(255 * level), static_cast<int>(255 * level * x / size),
                                static_cast<int>(255 * level * (size - y) / size));
    }
  }
  return image;
}

Screenshot ToScreenshot(const gfx::Image& image) { return {image.width, image.height, image.pixels}; }

class CoronaDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CoronaDevice";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "CoronaDevice", "", WS_POPUP | WS_VISIBLE, 0, 0, FrameSize, FrameSize, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
    device_ = CreateWindowedDevice(direct3d_, window_, FrameSize, FrameSize);
    ASSERT_NE(device_, nullptr);

    ASSERT_TRUE(
        SUCCEEDED(device_->CreateVertexBuffer(80, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &quad_, nullptr)));
    float* vertices = nullptr;
    ASSERT_TRUE(SUCCEEDED(quad_->Lock(0, 80, reinterpret_cast<void**>(&vertices), 0)));
    for (const auto& v : renderer::PainterQuad) {
      *vertices++ = v.x, *vertices++ = v.y, *vertices++ = 0, *vertices++ = v.u, *vertices++ = v.v;
    }
    quad_->Unlock();

    reference_.levels = gfx::MipChain(Glow(64));
    ASSERT_TRUE(SUCCEEDED(device_->CreateTexture(64, 64, static_cast<UINT>(reference_.levels.size()), 0,
                                                 D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr)));
    for (size_t level = 0; level < reference_.levels.size(); ++level) {
      const gfx::Image& image = reference_.levels[level];
      D3DLOCKED_RECT locked{};
      ASSERT_TRUE(SUCCEEDED(texture_->LockRect(static_cast<UINT>(level), &locked, nullptr, 0)));
      for (int y = 0; y < image.height; ++y) {
        memcpy(static_cast<char*>(locked.pBits) + y * locked.Pitch, &image.pixels[static_cast<size_t>(y * image.width)],
               static_cast<size_t>(image.width) * 4);
      }
      texture_->UnlockRect(static_cast<UINT>(level));
    }

    std::string message;
    ASSERT_TRUE(SUCCEEDED(gfx::win32::D3DEffect::Create(device_, renderer::CoronaEffect(), effect_, message)))
        << message;
  }

  void TearDown() override {
    effect_.reset();
    ReleaseOnce(texture_);
    ReleaseOnce(quad_);
    ReleaseOnce(device_);
    ReleaseOnce(direct3d_);
    if (window_) DestroyWindow(window_);
  }

  // Draws the sprites the way the painter does and reads the frame back.
  gfx::Image Render(const std::vector<renderer::CoronaParameters>& sprites) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device_->BeginScene();
    auto& e = *effect_;
    e.SetTechnique(e.GetTechniqueByName("hanabi"));
    UINT passes = 0;
    e.Begin(&passes, 0);
    e.BeginPass(0);
    for (const auto& s : sprites) {
      float matrix[16];
      for (size_t i = 0; i < 16; ++i) matrix[i] = s.viewProjection.m[i / 4][i % 4];
      e.SetMatrix(e.GetParameterByName("view_proj_matrix"), matrix);
      e.SetFloat(e.GetParameterByName("pull"), s.pull);
      e.SetFloat(e.GetParameterByName("aspect"), s.aspect);
      e.SetFloat(e.GetParameterByName("coronaExp"), s.coronaExp);
      e.SetFloat(e.GetParameterByName("coronaSize"), s.coronaSize);
      e.SetFloat(e.GetParameterByName("turn"), s.turn);
      const float centre[3] = {s.centre.x, s.centre.y, s.centre.z};
      e.SetFloatArray(e.GetParameterByName("pos0"), centre, 3);
      e.SetFloatArray(e.GetParameterByName("lightColor"), s.lightColor.data(), 4);
      e.SetTexture(e.GetParameterByName("Corona_Tex"), texture_);
      e.CommitChanges();
      device_->SetStreamSource(0, quad_, 0, 20);
      device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
      device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
    e.EndPass();
    e.End();
    device_->EndScene();
    return ReadBack();
  }

  gfx::Image ReadBack() { return ReadBackFrame(device_, FrameSize, FrameSize); }

  gfx::Image Reference(const std::vector<renderer::CoronaParameters>& sprites) const {
    gfx::Image frame(FrameSize, FrameSize);
    for (const auto& s : sprites) renderer::DrawCoronaSprite(frame, s, reference_);
    return frame;
  }

  void ExpectMatchesReference(const std::vector<renderer::CoronaParameters>& sprites, const std::string& name) {
    const gfx::Image device = Render(sprites);
    const gfx::Image reference = Reference(sprites);
    SaveArtifact(ToScreenshot(device), name + "-device");
    SaveArtifact(ToScreenshot(reference), name + "-reference");
    const FrameError error = CompareFrames(device, reference);
    std::printf("%s: mean error %.3f steps, %.4f%% of pixels off by more than 24\n", name.c_str(), error.mean,
                error.farShare * 100);
    // Within a couple of 8-bit steps on average; only outline pixels may differ by more.
    EXPECT_LT(error.mean, 1.5) << name;
    EXPECT_LT(error.farShare, 0.01) << name;
    int lit = 0;
    for (const auto p : device.pixels) lit += p != 0 ? 1 : 0;
    EXPECT_GT(lit, 500) << name << ": the device drew next to nothing";
  }

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DVertexBuffer9* quad_ = nullptr;
  IDirect3DTexture9* texture_ = nullptr;
  gfx::MipTexture reference_;
  std::unique_ptr<gfx::win32::D3DEffect> effect_;
};

renderer::CoronaParameters Sprite(float x, float y, float size, float turn) {
  renderer::CoronaParameters p;
  p.viewProjection = gfx::Matrix::Identity();
  p.centre = {x, y, 1};
  p.aspect = 1;
  p.pull = 1;
  p.coronaSize = size;
  p.turn = turn;
  p.coronaExp = 1;
  p.lightColor = {1, 0.8f, 0.6f, 1};
  return p;
}

TEST_F(CoronaDevice, SingleSpritesMatchTheReferenceRenderer) {
  ExpectMatchesReference({Sprite(0.1f, -0.2f, 0.25f, 0.7f)}, "corona-single");
  auto small = Sprite(-0.5f, 0.4f, 0.05f, 2.0f);  // minified: mipmaps in use
  ExpectMatchesReference({small}, "corona-small");
  auto stretched = Sprite(0, 0, 0.2f, 0.3f);
  stretched.pull = 2;
  stretched.aspect = 1.3f;
  ExpectMatchesReference({stretched}, "corona-pull");
  // Through the camera's matrices, as the painter draws.
  auto camera = Sprite(0, 0, 1.0f, 1.0f);
  camera.viewProjection =
      gfx::Multiply(gfx::LookAtLH({6, 0, 8}, {0, 0, 0}, {0, 1, 0}), gfx::PerspectiveFovLH(0.7853982f, 1, 0, 100));
  camera.centre = {1, 2, -3};
  ExpectMatchesReference({camera}, "corona-camera");
}

TEST_F(CoronaDevice, ZeroBrightnessLeavesTheFrameBlack) {
  auto dark = Sprite(0, 0, 0.3f, 0);
  dark.coronaExp = 0;
  for (const auto p : Render({dark}).pixels) ASSERT_EQ(p, 0u);
}

TEST_F(CoronaDevice, NegativeSizeIsTheAbsoluteSizeTurnedHalfRound) {
  const gfx::Image negative = Render({Sprite(0.1f, 0.1f, -0.25f, 0.4f)});
  const gfx::Image turned = Render({Sprite(0.1f, 0.1f, 0.25f, 0.4f + 3.14159265f)});
  const FrameError error = CompareFrames(negative, turned);
  EXPECT_LT(error.mean, 0.5);
  EXPECT_LT(error.farShare, 0.005);
}

TEST_F(CoronaDevice, OverlappingSpritesSaturate) {
  auto bright = Sprite(0, 0, 0.3f, 0);
  bright.coronaExp = 1.5f;
  const std::vector<renderer::CoronaParameters> sprites{bright, Sprite(0.1f, 0.05f, 0.3f, 1.0f)};
  ExpectMatchesReference(sprites, "corona-saturated");
  EXPECT_EQ(gfx::Red(Render(sprites).At(FrameSize / 2, FrameSize / 2)), 255);
}

TEST_F(CoronaDevice, EndRestoresTheStateThePassChanged) {
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  Render({Sprite(0, 0, 0.2f, 0)});
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } renderStates[] = {{D3DRS_ZENABLE, D3DZB_TRUE},
                      {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                      {D3DRS_CULLMODE, D3DCULL_CW},
                      {D3DRS_ALPHABLENDENABLE, FALSE}};
  for (const auto& s : renderStates) {
    DWORD value = 0;
    device_->GetRenderState(s.state, &value);
    EXPECT_EQ(value, s.value) << "render state " << s.state;
  }
  DWORD address = 0, mip = 0;
  device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
  device_->GetSamplerState(0, D3DSAMP_MIPFILTER, &mip);
  EXPECT_EQ(address, static_cast<DWORD>(D3DTADDRESS_WRAP));
  EXPECT_EQ(mip, static_cast<DWORD>(D3DTEXF_NONE));
  IDirect3DVertexShader9* vertexShader = nullptr;
  IDirect3DPixelShader9* pixelShader = nullptr;
  device_->GetVertexShader(&vertexShader);
  device_->GetPixelShader(&pixelShader);
  EXPECT_EQ(vertexShader, nullptr);
  EXPECT_EQ(pixelShader, nullptr);
  ReleaseOnce(vertexShader);
  ReleaseOnce(pixelShader);
}

TEST_F(CoronaDevice, TheEffectHoldsAReferenceToItsTexture) {
  const auto references = [](IUnknown* object) {
    object->AddRef();
    return object->Release();
  };
  const ULONG alone = references(texture_);
  const auto corona = effect_->GetParameterByName("Corona_Tex");
  ASSERT_EQ(effect_->SetTexture(corona, texture_), D3D_OK);
  EXPECT_EQ(references(texture_), alone + 1);
  ASSERT_EQ(effect_->SetTexture(corona, texture_), D3D_OK);  // the same again: still one
  EXPECT_EQ(references(texture_), alone + 1);
  EXPECT_EQ(effect_->SetTexture(effect_->GetParameterByName("turn"), texture_), D3DERR_INVALIDCALL);
  EXPECT_EQ(references(texture_), alone + 1);
  ASSERT_EQ(effect_->SetTexture(corona, nullptr), D3D_OK);  // replaced: given back
  EXPECT_EQ(references(texture_), alone);
  ASSERT_EQ(effect_->SetTexture(corona, texture_), D3D_OK);
  effect_.reset();  // released with the effect
  EXPECT_EQ(references(texture_), alone);
}

TEST(CoronaEffectCreation, FailsWithTheReasonWithoutPixelShader2) {
  const std::string report = ProgramDir() + "\\effect-probe.txt";
  {
    Process probe(ProgramDir() + "\\effect_probe.exe", "\"" + report + "\"");
    EXPECT_EQ(probe.WaitForExit(), 0u);
    EXPECT_EQ(ReadFileBytes(report), "created");
  }
  // Wine's Direct3D told to offer no pixel shaders to the probe alone.
  ScopedRegistryValue noPixelShaders("Software\\Wine\\AppDefaults\\effect_probe.exe\\Direct3D", "MaxShaderModelPS",
                                     DWORD{0});
  Process probe(ProgramDir() + "\\effect_probe.exe", "\"" + report + "\"");
  EXPECT_EQ(probe.WaitForExit(), 3u);
  EXPECT_EQ(ReadFileBytes(report), "the device has no pixel shader 2.0, which the effect needs");
}

TEST_F(CoronaDevice, SpriteTexturesLoadFromTheSaversResources) {
  HMODULE saver = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(saver, nullptr);
  const struct {
    const char* name;
    UINT size;
    UINT levels;
  } cases[] = {{"img/hanabi0.bmp", 256, 9}, {"img/hanabi5.bmp", 256, 9}, {"img/flash.bmp", 512, 10}};
  for (const auto& c : cases) {
    IDirect3DTexture9* texture = nullptr;
    std::string message;
    ASSERT_TRUE(SUCCEEDED(gfx::win32::CreateTextureFromResource(device_, saver, c.name, &texture, &message)))
        << c.name << ": " << message;
    D3DSURFACE_DESC top{};
    texture->GetLevelDesc(0, &top);
    EXPECT_EQ(top.Width, c.size) << c.name;
    EXPECT_EQ(top.Height, c.size) << c.name;
    EXPECT_EQ(top.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelCount(), c.levels) << c.name;
    // Black along the edges; the glow disc white in the middle.
    D3DLOCKED_RECT locked{};
    ASSERT_TRUE(SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)));
    auto texel = [&](UINT x, UINT y) {
      return reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                    y * static_cast<UINT>(locked.Pitch))[x] &
             0x00FFFFFFu;
    };
    EXPECT_EQ(texel(0, 0), 0u);
    EXPECT_EQ(texel(c.size - 1, c.size / 2), 0u);
    if (c.name == std::string("img/hanabi0.bmp")) {
      EXPECT_EQ(texel(c.size / 2, c.size / 2), 0xFFFFFFu);
    }
    // Made in two halves (the levels first, without the device), the same texture.
    auto levels = gfx::win32::PrepareTextureLevels(saver, c.name);
    ASSERT_TRUE(std::holds_alternative<std::vector<gfx::Image>>(levels)) << c.name;
    IDirect3DTexture9* twoStep = nullptr;
    ASSERT_TRUE(SUCCEEDED(gfx::win32::CreateTextureFromLevels(device_, std::get<std::vector<gfx::Image>>(levels), &twoStep)));
    EXPECT_EQ(twoStep->GetLevelCount(), c.levels) << c.name;
    D3DLOCKED_RECT other{};
    ASSERT_TRUE(SUCCEEDED(twoStep->LockRect(0, &other, nullptr, D3DLOCK_READONLY)));
    bool same = true;
    for (UINT y = 0; y < c.size; ++y) {
      same &= std::memcmp(static_cast<const char*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch),
                          static_cast<const char*>(other.pBits) + y * static_cast<UINT>(other.Pitch), c.size * 4) == 0;
    }
    EXPECT_TRUE(same) << c.name;
    twoStep->UnlockRect(0);
    ReleaseOnce(twoStep);
    texture->UnlockRect(0);
    ReleaseOnce(texture);
  }
  IDirect3DTexture9* missing = nullptr;
  std::string message;
  EXPECT_FALSE(SUCCEEDED(gfx::win32::CreateTextureFromResource(device_, saver, "img/hanabi9.bmp", &missing, &message)));
  EXPECT_EQ(missing, nullptr);
  EXPECT_NE(message.find("hanabi9"), std::string::npos);
  FreeLibrary(saver);
}

}  // namespace
}  // namespace vizo::winetest
