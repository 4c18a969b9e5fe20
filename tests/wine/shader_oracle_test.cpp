// Our shader assembler against an independent one: the D3DAssemble of the platform's shader
// compiler (Wine's d3dcompiler_47), on the saver's own programs and on every construct we use.
#include <gtest/gtest.h>

#include <windows.h>

#include <d3dcompiler.h>

#include "gfxutil/shader_assembler.h"
#include "renderer/corona_programs.h"

namespace vizo::winetest {
namespace {

using D3DAssembleFn = HRESULT(WINAPI*)(const void*, SIZE_T, const char*, const D3D_SHADER_MACRO*, ID3DInclude*, UINT,
                                       ID3DBlob**, ID3DBlob**);

// The reference tokens without comment blocks, which carry no instructions.
std::vector<std::uint32_t> ReferenceTokens(const char* source) {
  static HMODULE compiler = LoadLibraryA("d3dcompiler_47.dll");
  const auto assemble = reinterpret_cast<D3DAssembleFn>(
      reinterpret_cast<void*>(compiler ? GetProcAddress(compiler, "D3DAssemble") : nullptr));
  if (!assemble) {
    ADD_FAILURE() << "no D3DAssemble on this system";
    return {};
  }
  ID3DBlob* shader = nullptr;
  ID3DBlob* errors = nullptr;
  const HRESULT result = assemble(source, strlen(source), nullptr, nullptr, nullptr, 0, &shader, &errors);
  if (errors) {
    ADD_FAILURE() << static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
  }
  std::vector<std::uint32_t> tokens;
  if (SUCCEEDED(result) && shader) {
    const auto* words = static_cast<const std::uint32_t*>(shader->GetBufferPointer());
    const size_t count = shader->GetBufferSize() / 4;
    for (size_t i = 0; i < count; ++i) {
      if ((words[i] & 0xFFFF) == 0xFFFE && i > 0) {
        i += (words[i] >> 16) & 0x7FFF;  // a comment and its length in words
        continue;
      }
      tokens.push_back(words[i]);
    }
    shader->Release();
  }
  return tokens;
}

std::vector<std::uint32_t> OurTokens(const char* source) {
  auto result = gfx::AssembleShader(source);
  if (auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<std::vector<std::uint32_t>>(result);
}

TEST(ShaderAssemblerOracle, AgreesOnTheCoronaPrograms) {
  for (const char* program : {renderer::CoronaVertexProgram, renderer::CoronaPixelProgram}) {
    EXPECT_EQ(OurTokens(program), ReferenceTokens(program)) << program;
  }
}

TEST(ShaderAssemblerOracle, AgreesOnEachConstruct) {
  const char* programs[] = {
      "vs_1_1\ndcl_position v0\ndcl_texcoord0 v1\ndcl_normal v2\ndcl_color v3\nmov oPos, v0\nmov oT0, v1\nmov oD0, v3",
      "vs_1_1\nadd r0, -v0, c95\nsub r1.xz, r0.zyxw, c3.wwww\ndp3 r2.w, r0, r1\ndp4 r2.x, r0, c1\nrcp r3.y, r2.w\n"
      "min r4, r0, r1\nmax r5, r0, -r1.yzxw\nmov oPos, r5",
      "vs_2_0\ndcl_position v0\ndef c0, 0.5, -2, 1000.0, 0.125\nmad r0, v0, c0.x, c0.yyzw\nmov oPos, r0",
      "ps_2_0\ndcl t0\ndcl t1.xy\ndcl_2d s0\ndcl_2d s3\ndef c2, 1, 0, 0, 1\ntexld r0, t0, s0\ntexld r1, t1, s3\n"
      "mad r0, r0, r1, c2\nmul r0.xyz, r0, c1.x\nmov oC0, r0",
  };
  for (const char* program : programs) EXPECT_EQ(OurTokens(program), ReferenceTokens(program)) << program;
}

}  // namespace
}  // namespace vizo::winetest
