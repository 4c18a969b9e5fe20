#include "d3d_effect.h"
#include "gfxutil/win32/release_once.h"

#include <cstring>
#include <utility>

#include "gfxutil/shader_assembler.h"

namespace vizo::gfx::win32 {

namespace {

// Assembles a program or says why not.
bool Assemble(const char* source, std::vector<std::uint32_t>& tokens, std::string& message) {
  auto result = AssembleShader(source);
  if (auto* error = std::get_if<std::string>(&result)) {
    message = *error;
    return false;
  }
  tokens = std::move(std::get<std::vector<std::uint32_t>>(result));
  return true;
}

}  // namespace

D3DEffect::D3DEffect(IDirect3DDevice9* device, const EffectDefinition& definition)
    : device_(device), definition_(definition), values_(definition.parameters) {}

D3DEffect::~D3DEffect() {
  for (std::size_t i = 0; i < definition_.parameters.size(); ++i) {
    if (definition_.parameters[i].kind == ParameterKind::Texture) SetTexture(i + 1, nullptr);
  }
  ReleaseOnce(savedState_);
  ReleaseOnce(pixelShader_);
  ReleaseOnce(vertexShader_);
}

HRESULT D3DEffect::Create(IDirect3DDevice9* device, const EffectDefinition& definition,
                          std::unique_ptr<D3DEffect>& effect, std::string& message) {
  effect.reset();
  if (!device) {
    message = "no device";
    return E_FAIL;
  }
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  if (caps.PixelShaderVersion < D3DPS_VERSION(2, 0)) {
    message = "the device has no pixel shader 2.0, which the effect needs";
    return E_FAIL;
  }
  D3DDEVICE_CREATION_PARAMETERS creation{};
  device->GetCreationParameters(&creation);
  const bool softwareVertices = (creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
  if (!softwareVertices && caps.VertexShaderVersion < D3DVS_VERSION(1, 1)) {
    message = "the device has no vertex shader 1.1 in hardware and processes vertices in hardware";
    return E_FAIL;
  }

  std::vector<std::uint32_t> vertexTokens, pixelTokens;
  if (!Assemble(definition.vertexProgram, vertexTokens, message) ||
      !Assemble(definition.pixelProgram, pixelTokens, message)) {
    return E_FAIL;
  }
  std::unique_ptr<D3DEffect> created(new D3DEffect(device, definition));
  HRESULT result =
      device->CreateVertexShader(reinterpret_cast<const DWORD*>(vertexTokens.data()), &created->vertexShader_);
  if (SUCCEEDED(result)) {
    result = device->CreatePixelShader(reinterpret_cast<const DWORD*>(pixelTokens.data()), &created->pixelShader_);
  }
  if (SUCCEEDED(result)) result = created->RecordSavedState();
  if (FAILED(result)) {
    message = "the device refused the effect's programs or state";
    return result;
  }
  effect = std::move(created);
  return D3D_OK;
}

// A state block of exactly what the pass sets, so that Begin can save those states and End can
// put them back.
HRESULT D3DEffect::RecordSavedState() {
  HRESULT result = device_->BeginStateBlock();
  if (FAILED(result)) return result;
  SetPassStates();
  device_->SetTexture(0, nullptr);
  device_->SetVertexShaderConstantF(0, vertexConstants_.registers[0].data(), VertexConstantCount);
  device_->SetPixelShaderConstantF(0, pixelConstants_.registers[0].data(), PixelConstantCount);
  return device_->EndStateBlock(&savedState_);
}

void D3DEffect::SetPassStates() {
  for (const auto& s : definition_.renderStates) {
    device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), s.value);
  }
  for (const auto& s : definition_.samplerStates) {
    device_->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(s.state), s.value);
  }
  device_->SetVertexShader(vertexShader_);
  device_->SetPixelShader(pixelShader_);
}

Handle D3DEffect::GetTechniqueByName(const char* name) const {
  return name && std::strcmp(name, definition_.technique) == 0 ? 1 : 0;
}

HRESULT D3DEffect::SetMatrix(Handle parameter, const float (&matrix)[16]) {
  return values_.SetFloats(parameter, matrix, 16) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT D3DEffect::SetFloat(Handle parameter, float value) {
  return values_.SetFloats(parameter, &value, 1) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT D3DEffect::SetFloatArray(Handle parameter, const float* values, UINT count) {
  return values_.SetFloats(parameter, values, count) ? D3D_OK : D3DERR_INVALIDCALL;
}

// The effect keeps a reference to each texture it holds, as the platform's effects do: whatever
// order things are released in, it never points at a freed texture.
HRESULT D3DEffect::SetTexture(Handle parameter, IDirect3DBaseTexture9* texture) {
  const auto previous = values_.ExchangeTexture(parameter, reinterpret_cast<std::uintptr_t>(texture));
  if (!previous) return D3DERR_INVALIDCALL;
  if (texture) texture->AddRef();
  if (auto* old = reinterpret_cast<IDirect3DBaseTexture9*>(*previous)) old->Release();
  return D3D_OK;
}

HRESULT D3DEffect::Begin(UINT* passes, DWORD) {
  if (begun_) return D3DERR_INVALIDCALL;
  if (passes) *passes = 1;
  const HRESULT result = savedState_->Capture();
  begun_ = SUCCEEDED(result);
  return result;
}

HRESULT D3DEffect::BeginPass(UINT pass) {
  if (!begun_ || inPass_ || pass != 0) return D3DERR_INVALIDCALL;
  SetPassStates();
  inPass_ = true;
  return CommitChanges();
}

// Per-draw values that depend on parameters only are computed here, once, not per vertex.
HRESULT D3DEffect::CommitChanges() {
  if (!inPass_) return D3DERR_INVALIDCALL;
  definition_.computeConstants(values_, vertexConstants_, pixelConstants_);
  HRESULT result = device_->SetVertexShaderConstantF(0, vertexConstants_.registers[0].data(), VertexConstantCount);
  if (SUCCEEDED(result)) {
    result = device_->SetPixelShaderConstantF(0, pixelConstants_.registers[0].data(), PixelConstantCount);
  }
  if (SUCCEEDED(result)) {
    const auto texture = values_.Texture(definition_.samplerTexture);
    result = device_->SetTexture(0, reinterpret_cast<IDirect3DBaseTexture9*>(texture));
  }
  return result;
}

HRESULT D3DEffect::EndPass() {
  if (!inPass_) return D3DERR_INVALIDCALL;
  inPass_ = false;
  return D3D_OK;
}

HRESULT D3DEffect::End() {
  if (!begun_) return D3DERR_INVALIDCALL;
  begun_ = false;
  inPass_ = false;
  return savedState_->Apply();
}

}  // namespace vizo::gfx::win32
