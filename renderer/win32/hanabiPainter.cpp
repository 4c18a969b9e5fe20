#include "hanabiPainter.h"
#include "gfxutil/win32/release_once.h"

#include <windows.h>

#include <process.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "gfxutil/win32/texture_from_resource.h"
#include "renderer/corona_effect.h"
#include "renderer/corona_reference.h"
#include "shell/win32/error_report_win32.h"
#include "shell/win32/system_library.h"

// The effect's copies of Direct3D's states and values.
namespace d3d = vizo::renderer::d3d;
static_assert(d3d::RsZEnable == D3DRS_ZENABLE && d3d::RsSrcBlend == D3DRS_SRCBLEND);
static_assert(d3d::RsDestBlend == D3DRS_DESTBLEND && d3d::RsCullMode == D3DRS_CULLMODE);
static_assert(d3d::RsAlphaBlendEnable == D3DRS_ALPHABLENDENABLE);
static_assert(d3d::BlendOne == D3DBLEND_ONE && d3d::CullNone == D3DCULL_NONE);
static_assert(d3d::SampAddressU == D3DSAMP_ADDRESSU && d3d::SampAddressV == D3DSAMP_ADDRESSV);
static_assert(d3d::SampMagFilter == D3DSAMP_MAGFILTER && d3d::SampMinFilter == D3DSAMP_MINFILTER &&
              d3d::SampMipFilter == D3DSAMP_MIPFILTER);
static_assert(d3d::AddressClamp == D3DTADDRESS_CLAMP && d3d::FilterLinear == D3DTEXF_LINEAR);

namespace vizo::renderer::win32 {

namespace {

using gfx::win32::ReleaseOnce;

enum Parameter { ViewProj, CoronaSize, CoronaExp, Turn, Pull, Pos0, LightColor, CoronaTex, Aspect };
constexpr const char* ParameterNames[] = {"view_proj_matrix", "coronaSize", "coronaExp", "turn", "pull", "pos0",
                                          "lightColor",       "Corona_Tex", "aspect"};
constexpr const char* TextureNames[] = {"img/hanabi0.bmp", "img/hanabi1.bmp", "img/hanabi2.bmp", "img/hanabi3.bmp",
                                        "img/hanabi4.bmp", "img/hanabi5.bmp", "img/flash.bmp"};
// The quad's vertex as the stream holds it: a position and one texture coordinate pair.
struct StreamVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(StreamVertex) == 20, "the stream's stride");
constexpr DWORD QuadFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr UINT QuadBytes = sizeof(StreamVertex) * renderer::PainterQuad.size();

}  // namespace

HanabiAnimation& PainterAnimation() {
  static HanabiAnimation animation([]() -> std::uint32_t { return vizo::win32::MultimediaMilliseconds(); });
  return animation;
}

void HanabiPainter::Report(int line) const {
  if (reportsFailures) vizo::win32::ReportError(__FILE__, line);
}

HRESULT HanabiPainter::CreateQuad(IDirect3DDevice9* device) {
  if (FAILED(device->CreateVertexBuffer(QuadBytes, 0, QuadFvf, D3DPOOL_DEFAULT, &quad, nullptr))) {
    Report(reports::hanabiPainter::NoQuadMemory);
    return E_FAIL;
  }
  StreamVertex* vertices = nullptr;
  if (FAILED(quad->Lock(0, QuadBytes, reinterpret_cast<void**>(&vertices), 0))) {
    Report(reports::hanabiPainter::QuadNotWritten);
    return E_FAIL;
  }
  for (const auto& v : renderer::PainterQuad) *vertices++ = {v.x, v.y, 0, v.u, v.v};
  quad->Unlock();
  return S_OK;
}

// An effect the device can't run is not fatal for the main monitor: the reason is shown and frames
// stay black. A painter that doesn't report has no way to show it, and fails instead.
HRESULT HanabiPainter::CreateEffect(IDirect3DDevice9* device) {
  std::string message;
  if (FAILED(gfx::win32::D3DEffect::Create(device, CoronaEffect(), effect, message))) {
    if (!reportsFailures) return E_FAIL;
    MessageBoxA(nullptr, message.c_str(), "ERROR", MB_OK);
    return S_OK;
  }
  technique = effect->GetTechniqueByName("hanabi");
  for (size_t i = 0; i < parameters.size(); ++i) parameters[i] = effect->GetParameterByName(ParameterNames[i]);
  return S_OK;
}

unsigned __stdcall HanabiPainter::PrepareAll(void* painter) {
  auto& self = *static_cast<HanabiPainter*>(painter);
  for (size_t slot = 0; slot < self.prepared_.size(); ++slot) {
    try {
      auto levels = gfx::win32::PrepareTextureLevels(self.preparedFrom_, TextureNames[slot]);
      if (auto* made = std::get_if<std::vector<gfx::Image>>(&levels)) self.prepared_[slot] = std::move(*made);
    } catch (...) {
      // Left to Init, which makes it again and reports what fails.
    }
  }
  return 0;
}

void HanabiPainter::PrepareImages(HMODULE resources) {
  DiscardImages();
  preparedFrom_ = resources;
  // The runtime's own start: the thread allocates with it. Without a thread, Init makes every image.
  preparing_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PrepareAll, this, 0, &preparingId_));
}

bool HanabiPainter::WaitForImages(DWORD milliseconds) {
  if (!preparing_) return true;
  if (preparingId_ == GetCurrentThreadId()) return false;
  if (WaitForSingleObject(preparing_, milliseconds) != WAIT_OBJECT_0) return false;
  CloseHandle(preparing_);
  preparing_ = nullptr;
  return true;
}

bool HanabiPainter::HoldsPreparedImages() const {
  return std::any_of(prepared_.begin(), prepared_.end(), [](const auto& images) { return images.has_value(); });
}

void HanabiPainter::DiscardImages() {
  if (WaitForImages(INFINITE)) prepared_ = {};
}

HRESULT HanabiPainter::Init(IDirect3DDevice9* device, HMODULE resources) {
  // Taken only from a thread known to have ended (a wait that fails leaves them to it, and every
  // image is made here), and taken whole: what no texture takes is freed as Init returns.
  const bool usePrepared = WaitForImages(INFINITE) && preparedFrom_ == resources;
  auto prepared = usePrepared ? std::exchange(prepared_, {}) : decltype(prepared_){};
  if (FAILED(CreateQuad(device))) return E_FAIL;
  for (size_t slot = 0; slot < textures.size(); ++slot) {
    // What was prepared, where the device takes it as it is; else made again to fit the device.
    auto& images = prepared[slot];
    const bool made = usePrepared && images && SUCCEEDED(gfx::win32::CreateTextureFromLevels(device, *images, &textures[slot]));
    images.reset();
    if (!made && FAILED(gfx::win32::CreateTextureFromResource(device, resources, TextureNames[slot], &textures[slot]))) {
      Report(reports::hanabiPainter::NoSpriteImage);
      return E_FAIL;
    }
  }
  return CreateEffect(device);
}

void HanabiPainter::ReleaseDeviceObjects() {
  effect.reset();
  ReleaseOnce(quad);
}

HRESULT HanabiPainter::RestoreDeviceObjects(IDirect3DDevice9* device) {
  if (FAILED(CreateQuad(device))) return E_FAIL;
  return CreateEffect(device);
}

HRESULT HanabiPainter::Begin(const OrbitCamera& camera) {
  if (!effect) return E_FAIL;
  effect->SetTechnique(technique);
  effect->Begin(nullptr, 0);
  effect->BeginPass(0);
  const CoronaView view = CoronaViewOf(camera);
  float matrix[16];
  std::memcpy(matrix, view.viewProjection.m.data(), sizeof matrix);
  effect->SetMatrix(parameters[ViewProj], matrix);
  effect->SetFloat(parameters[Pull], view.pull);
  effect->SetFloat(parameters[Aspect], view.aspect);
  return S_OK;
}

void HanabiPainter::Draw(IDirect3DDevice9* device, const SpriteDraw& d) {
  if (!effect) return;
  effect->SetFloat(parameters[CoronaExp], d.coronaExp);
  effect->SetFloat(parameters[CoronaSize], d.coronaSize);
  effect->SetFloat(parameters[Turn], d.turn);
  const float centre[3] = {d.pos0.x, d.pos0.y, d.pos0.z};
  effect->SetFloatArray(parameters[Pos0], centre, 3);
  effect->SetFloatArray(parameters[LightColor], d.lightColor.data(), 4);
  effect->SetTexture(parameters[CoronaTex], textures[static_cast<size_t>(d.textureSlot)]);
  effect->CommitChanges();
  device->SetStreamSource(0, quad, 0, sizeof(StreamVertex));
  device->SetFVF(QuadFvf);
  if (d.draws) device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

HRESULT HanabiPainter::End() {
  if (!effect) return E_FAIL;
  effect->EndPass();
  effect->End();
  return S_OK;
}

void HanabiPainter::Release() {
  DiscardImages();
  effect.reset();
  ReleaseOnce(quad);
  for (auto& texture : textures) ReleaseOnce(texture);
}

}  // namespace vizo::renderer::win32
