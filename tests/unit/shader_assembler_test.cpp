#include <gtest/gtest.h>

#include "gfxutil/shader_assembler.h"
#include "renderer/corona_programs.h"

namespace vizo::gfx {
namespace {

std::vector<std::uint32_t> Tokens(std::string_view source) {
  auto result = AssembleShader(source);
  if (auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<std::vector<std::uint32_t>>(result);
}

TEST(ShaderAssembler, EncodesRegistersMasksSwizzlesAndModifiers) {
  const struct {
    const char* source;
    std::vector<std::uint32_t> tokens;
  } cases[] = {
      {"vs_1_1\nmov oPos, v0", {0xFFFE0101, 0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF}},
      {"vs_1_1\nmul r0.xy, v0, c8.x", {0xFFFE0101, 0x00000005, 0x80030000, 0x90E40000, 0xA0000008, 0x0000FFFF}},
      {"vs_1_1\nmad r1.x, r0.x, c1.x, -r1.x",
       {0xFFFE0101, 0x00000004, 0x80010001, 0x80000000, 0xA0000001, 0x81000001, 0x0000FFFF}},
      {"vs_1_1\nmov oPos.zw, c7.xyxy", {0xFFFE0101, 0x00000001, 0xC00C0000, 0xA0440007, 0x0000FFFF}},
      {"vs_1_1\nmov oT0.xy, v1", {0xFFFE0101, 0x00000001, 0xE0030000, 0x90E40001, 0x0000FFFF}},
      {"vs_1_1\ndcl_texcoord v1", {0xFFFE0101, 0x0000001F, 0x80000005, 0x900F0001, 0x0000FFFF}},
      {"vs_1_1\ndef c10, 2.5, 0, -1, 1",
       {0xFFFE0101, 0x00000051, 0xA00F000A, 0x40200000, 0x00000000, 0xBF800000, 0x3F800000, 0x0000FFFF}},
      // Shader model 2 counts each instruction's parameter tokens.
      {"ps_2_0\ndcl_2d s0", {0xFFFF0200, 0x0200001F, 0x90000000, 0xA00F0800, 0x0000FFFF}},
      {"ps_2_0\ndcl t0.xy", {0xFFFF0200, 0x0200001F, 0x80000000, 0xB0030000, 0x0000FFFF}},
      {"ps_2_0\ntexld r0, t0, s0", {0xFFFF0200, 0x03000042, 0x800F0000, 0xB0E40000, 0xA0E40800, 0x0000FFFF}},
      {"ps_2_0\nmov oC0, r0", {0xFFFF0200, 0x02000001, 0x800F0800, 0x80E40000, 0x0000FFFF}},
      {"  PS_2_0   // comments and case don't matter\n\n  MUL R0, R0, C1.X ; trailing\n",
       {0xFFFF0200, 0x03000005, 0x800F0000, 0x80E40000, 0xA0000001, 0x0000FFFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(Tokens(c.source), c.tokens) << c.source;
}

TEST(ShaderAssembler, RejectsWhatItDoesNotKnowWithTheLine) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {"", "no shader version"},
      {"vs_3_0\nmov oPos, v0", "line 1: expected"},
      {"vs_1_1\nfrc r0, v0", "line 2: unknown instruction 'frc'"},
      {"vs_1_1\nmov oPos, q0", "line 2: unknown register 'q0'"},
      {"vs_1_1\nmov oC0, v0", "line 2: unknown register 'oC0'"},
      {"ps_2_0\nmov oPos, r0", "line 2: unknown register 'oPos'"},
      {"vs_1_1\ntexld r0, v0, c0", "line 2: 'texld' is a pixel shader instruction"},
      {"vs_1_1\nmov r0.yx, v0", "line 2: bad write mask"},
      {"vs_1_1\nmov r0.xq, v0", "line 2: bad write mask"},
      {"vs_1_1\nmov r0, v0.xyzwx", "line 2: bad swizzle"},
      {"vs_1_1\nmov r0, v0.q", "line 2: bad swizzle"},
      {"vs_1_1\nadd r0, v0", "line 2: 'add' takes 3 operands"},
      {"vs_1_1\n\n\ndef c0, 1, 2, x, 4", "line 4: not a number: 'x'"},
      {"vs_1_1\ndef r0, 1, 2, 3, 4", "line 2: 'def' defines a c register"},
      {"vs_1_1\ndcl_blendweight v0", "line 2: unknown declaration"},
      {"vs_1_1\nmov r99999, v0", "line 2: unknown register"},
  };
  for (const auto& c : cases) {
    const auto result = AssembleShader(c.source);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.source;
    EXPECT_EQ(std::get<std::string>(result).rfind(c.error, 0), 0u) << std::get<std::string>(result);
  }
}

TEST(ShaderAssembler, AssemblesTheCoronaPrograms) {
  const auto vertex = Tokens(renderer::CoronaVertexProgram);
  const auto pixel = Tokens(renderer::CoronaPixelProgram);
  ASSERT_FALSE(vertex.empty());
  ASSERT_FALSE(pixel.empty());
  // Eight arithmetic instructions and two moves, after two declarations and a definition.
  int arithmetic = 0, moves = 0;
  for (size_t i = 1; i + 1 < vertex.size();) {
    const std::uint32_t opcode = vertex[i] & 0xFFFF;
    const size_t parameters = opcode == 31 ? 2 : opcode == 81 ? 5 : opcode == 1 ? 2 : opcode == 4 ? 4 : 3;
    arithmetic += (opcode == 2 || opcode == 4 || opcode == 5) ? 1 : 0;
    moves += opcode == 1 ? 1 : 0;
    i += 1 + parameters;
  }
  EXPECT_EQ(arithmetic, 8);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(pixel.back(), 0x0000FFFFu);
}

}  // namespace
}  // namespace vizo::gfx
