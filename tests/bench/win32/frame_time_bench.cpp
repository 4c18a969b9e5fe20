// Milliseconds per frame on the real device, the saver's frame against a minimal program that
// draws sprites of the same animation (same seed, worked out beforehand) with the same quad,
// textures, programs and states, and nothing else.
//   wine-run STATE frame_time_bench.exe SAVER.scr [FRAMES] [WxH]
// (default 100 frames of 1024x768; a small size such as 160x120 shows the per-call overhead that
// fill hides at full size).
#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfxutil/shader_assembler.h"
#include "renderer/corona_effect.h"
#include "renderer/corona_programs.h"
#include "renderer/corona_reference.h"
#include "renderer/win32/cameraObject.h"
#include "renderer/win32/hanabiPainter.h"
#include "tests/bench/win32/device_timing.h"

namespace {

using vizo::bench::Finish;
using vizo::bench::Milliseconds;

struct Sprite {
  float vertex[10][4];
  float pixel[2][4];
  int slot;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
  int width = 1024, height = 768;
  if (argc > 3 && (std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width < 1 || height < 1)) return 2;
  HMODULE saver = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HWND window =
      CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!saver || !window || !direct3d) return 1;
  D3DPRESENT_PARAMETERS present{};
  present.BackBufferWidth = static_cast<UINT>(width);
  present.BackBufferHeight = static_cast<UINT>(height);
  present.BackBufferFormat = D3DFMT_X8R8G8B8;
  present.BackBufferCount = 1;
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.Windowed = TRUE;
  present.EnableAutoDepthStencil = TRUE;
  present.AutoDepthStencilFormat = D3DFMT_D16;
  present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &present, &device))) {
    return 1;
  }
  vizo::renderer::win32::PainterAnimation().SetSeed(1);
  vizo::renderer::win32::HanabiPainter painter;
  if (FAILED(painter.Init(device, saver)) || !painter.effect) return 1;
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(width, height);

  // The saver's frames.
  auto saverFrames = [&](int count) {
    for (int frame = 0; frame < count; ++frame) vizo::bench::DrawPainterFrame(device, camera, painter);
    Finish(device);
  };
  LARGE_INTEGER start, end;

  // The same sprites, worked out beforehand from an animation and a camera that keep step with the
  // saver's, drawn with bare shaders and constants.
  vizo::renderer::HanabiAnimation mirror([]() -> std::uint32_t { return 0; });
  mirror.SetSeed(1);
  const auto& effect = vizo::renderer::CoronaEffect();
  vizo::gfx::ParameterValues values(effect.parameters);
  size_t drawn = 0;
  auto nextFrames = [&](int count) {
    std::vector<std::vector<Sprite>> upcoming(static_cast<size_t>(count));
    const std::int32_t orbit = vizo::renderer::OrbitStep();
    vizo::renderer::OrbitCamera mirrorCamera = camera;
    drawn = 0;
    for (auto& frameSprites : upcoming) {
      mirrorCamera.Update();
      const vizo::renderer::CoronaView view = vizo::renderer::CoronaViewOf(mirrorCamera);
      values.SetFloats(values.Find("view_proj_matrix"), &view.viewProjection.m[0][0], 16);
      values.SetFloats(values.Find("pull"), &view.pull, 1);
      values.SetFloats(values.Find("aspect"), &view.aspect, 1);
      for (int i = 0; i < 1000; ++i) {
        const auto d = mirror.Next(1, i);
        if (!d.draws) continue;
        values.SetFloats(values.Find("coronaExp"), &d.coronaExp, 1);
        values.SetFloats(values.Find("coronaSize"), &d.coronaSize, 1);
        values.SetFloats(values.Find("turn"), &d.turn, 1);
        const float centre[3] = {d.pos0.x, d.pos0.y, d.pos0.z};
        values.SetFloats(values.Find("pos0"), centre, 3);
        values.SetFloats(values.Find("lightColor"), d.lightColor.data(), 4);
        vizo::gfx::ConstantBlock<vizo::gfx::VertexConstantCount> vertex;
        vizo::gfx::ConstantBlock<vizo::gfx::PixelConstantCount> pixel;
        effect.computeConstants(values, vertex, pixel);
        Sprite sprite{};
        std::memcpy(sprite.vertex, vertex.registers.data(), sizeof sprite.vertex);
        std::memcpy(sprite.pixel, pixel.registers.data(), sizeof sprite.pixel);
        sprite.slot = d.textureSlot;
        frameSprites.push_back(sprite);
      }
      drawn += frameSprites.size();
    }
    vizo::renderer::OrbitStep() = orbit;  // the saver's camera goes through the same steps itself
    return upcoming;
  };
  auto vertexTokens =
      std::get<std::vector<std::uint32_t>>(vizo::gfx::AssembleShader(vizo::renderer::CoronaVertexProgram));
  auto pixelTokens =
      std::get<std::vector<std::uint32_t>>(vizo::gfx::AssembleShader(vizo::renderer::CoronaPixelProgram));
  IDirect3DVertexShader9* vertexShader = nullptr;
  IDirect3DPixelShader9* pixelShader = nullptr;
  device->CreateVertexShader(reinterpret_cast<const DWORD*>(vertexTokens.data()), &vertexShader);
  device->CreatePixelShader(reinterpret_cast<const DWORD*>(pixelTokens.data()), &pixelShader);
  auto minimalFrames = [&](const std::vector<std::vector<Sprite>>& sprites) {
    for (const auto& frameSprites : sprites) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      device->BeginScene();
      for (const auto& s : frameSprites) {
        device->SetVertexShaderConstantF(0, &s.vertex[0][0], 10);
        device->SetPixelShaderConstantF(0, &s.pixel[0][0], 2);
        device->SetTexture(0, painter.textures[static_cast<size_t>(s.slot)]);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      }
      device->EndScene();
      device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    Finish(device);
  };

  // Both warmed up, then measured in turns; the best round of each counts.
  nextFrames(10);
  saverFrames(10);
  double saverMs = 1e9, minimalMs = 1e9;
  for (int round = 0; round < 3; ++round) {
    const auto sprites = nextFrames(frames);
    QueryPerformanceCounter(&start);
    saverFrames(frames);
    QueryPerformanceCounter(&end);
    saverMs = std::min(saverMs, Milliseconds(start, end) / frames);
    // The minimal program sets its own states; the saver's pass sets them again each frame.
    for (const auto& st : effect.renderStates)
      device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(st.state), st.value);
    for (const auto& st : effect.samplerStates) {
      device->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(st.state), st.value);
    }
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    device->SetStreamSource(0, painter.quad, 0, 20);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    QueryPerformanceCounter(&start);
    minimalFrames(sprites);
    QueryPerformanceCounter(&end);
    minimalMs = std::min(minimalMs, Milliseconds(start, end) / frames);
  }

  std::printf("%d frames of %dx%d, %.0f sprites a frame\n", frames, width, height, static_cast<double>(drawn) / frames);
  std::printf("saver frame:   %.2f ms\nminimal frame: %.2f ms\nsaver / minimal: %.3f\n", saverMs, minimalMs,
              saverMs / minimalMs);
  vertexShader->Release();
  pixelShader->Release();
  painter.Release();
  device->Release();
  direct3d->Release();
  DestroyWindow(window);
  FreeLibrary(saver);
  return 0;
}
