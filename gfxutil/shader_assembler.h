// A small assembler for Direct3D 9 shader assembly text: the instructions, registers, masks,
// swizzles and modifiers that the saver's programs use, for vs_1_1 and ps_2_0, assembled into the
// token streams that IDirect3DDevice9::CreateVertexShader and CreatePixelShader take.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vizo::gfx {

// The tokens, or an error naming the line and what was wrong with it.
std::variant<std::vector<std::uint32_t>, std::string> AssembleShader(std::string_view source);

}  // namespace vizo::gfx
