// An effect on a Direct3D 9 device, run from an EffectDefinition: technique and pass, parameters by
// name, values that reach the device at CommitChanges, and the device state the pass changes saved
// at Begin and restored at End.
#pragma once

#include <d3d9.h>

#include <memory>
#include <string>

#include "gfxutil/effect_definition.h"

namespace vizo::gfx::win32 {

using Handle = ParameterHandle;

class D3DEffect {
 public:
  // Fails (with the reason in message) when the device can't run the programs or they don't
  // assemble.
  static HRESULT Create(IDirect3DDevice9* device, const EffectDefinition& definition,
                        std::unique_ptr<D3DEffect>& effect, std::string& message);

  D3DEffect(const D3DEffect&) = delete;
  D3DEffect& operator=(const D3DEffect&) = delete;
  ~D3DEffect();

  // The technique's handle is 1 when the name matches, else 0; parameters as ParameterValues.
  Handle GetTechniqueByName(const char* name) const;
  Handle GetParameterByName(const char* name) const { return values_.Find(name); }
  HRESULT SetTechnique(Handle technique) const { return technique == 1 ? D3D_OK : D3DERR_INVALIDCALL; }

  HRESULT SetMatrix(Handle parameter, const float (&matrix)[16]);
  HRESULT SetFloat(Handle parameter, float value);
  HRESULT SetFloatArray(Handle parameter, const float* values, UINT count);
  HRESULT SetTexture(Handle parameter, IDirect3DBaseTexture9* texture);

  HRESULT Begin(UINT* passes, DWORD flags);
  HRESULT BeginPass(UINT pass);
  HRESULT CommitChanges();
  HRESULT EndPass();
  HRESULT End();

 private:
  D3DEffect(IDirect3DDevice9* device, const EffectDefinition& definition);
  HRESULT RecordSavedState();
  void SetPassStates();  // the pass's render and sampler states and its two programs

  IDirect3DDevice9* device_;  // not owned
  const EffectDefinition& definition_;
  ParameterValues values_;
  IDirect3DVertexShader9* vertexShader_ = nullptr;
  IDirect3DPixelShader9* pixelShader_ = nullptr;
  IDirect3DStateBlock9* savedState_ = nullptr;
  ConstantBlock<VertexConstantCount> vertexConstants_;
  ConstantBlock<PixelConstantCount> pixelConstants_;
  bool begun_ = false;
  bool inPass_ = false;
};

}  // namespace vizo::gfx::win32
