#include <gtest/gtest.h>

#include <cmath>

#include "renderer/corona_effect.h"

namespace vizo::renderer {
namespace {

TEST(CoronaEffect, ParametersAreFoundByExactNameWithTheirInitialValues) {
  const auto& effect = CoronaEffect();
  EXPECT_STREQ(effect.technique, "hanabi");
  EXPECT_STREQ(effect.pass, "hanabi0");
  gfx::ParameterValues values(effect.parameters);
  for (const char* name :
       {"view_proj_matrix", "coronaSize", "coronaExp", "turn", "pull", "pos0", "lightColor", "Corona_Tex", "aspect"}) {
    EXPECT_NE(values.Find(name), 0u) << name;
  }
  for (const char* name : {"coronasize", "Corona", "", "pos"}) EXPECT_EQ(values.Find(name), 0u) << name;
  const float* light = values.Floats(values.Find("lightColor") - 1);
  EXPECT_EQ(std::vector<float>(light, light + 4), (std::vector<float>{1, 1, 1, 1}));
}

TEST(CoronaEffect, ValuesMustFitTheParameter) {
  gfx::ParameterValues values(CoronaEffect().parameters);
  const float four[4] = {1, 2, 3, 4};
  EXPECT_TRUE(values.SetFloats(values.Find("lightColor"), four, 4));
  EXPECT_TRUE(values.SetFloats(values.Find("pos0"), four, 3));
  EXPECT_FALSE(values.SetFloats(values.Find("pos0"), four, 4));
  EXPECT_FALSE(values.SetFloats(values.Find("turn"), four, 2));
  EXPECT_FALSE(values.SetFloats(values.Find("Corona_Tex"), four, 1));
  EXPECT_FALSE(values.SetFloats(values.Find("Corona_Tex"), four, 0));
  EXPECT_FALSE(values.SetFloats(values.Find("Corona_Tex"), four, SIZE_MAX));
  EXPECT_FALSE(values.SetFloats(values.Find("turn"), four, 0));
  EXPECT_FALSE(values.SetFloats(values.Find("turn"), nullptr, 1));
  EXPECT_FALSE(values.SetFloats(0, four, 1));
  EXPECT_FALSE(values.SetFloats(99, four, 1));
  EXPECT_FALSE(values.ExchangeTexture(values.Find("turn"), 0x1234));
  EXPECT_EQ(values.ExchangeTexture(values.Find("Corona_Tex"), 0x1234), std::uintptr_t{0});
  EXPECT_EQ(values.ExchangeTexture(values.Find("Corona_Tex"), 0x5678), std::uintptr_t{0x1234});
}

TEST(CoronaEffect, CommitFillsTheProgramsConstantRegisters) {
  const auto& effect = CoronaEffect();
  gfx::ParameterValues values(effect.parameters);
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, -0.25f, 2, 4};  // moves the centre
  values.SetFloats(values.Find("view_proj_matrix"), matrix, 16);
  const float centre[3] = {0, 0, 0};
  values.SetFloats(values.Find("pos0"), centre, 3);
  const float turn = 0.5f, size = 0.3f, pull = 1.5f, aspect = 2, exp = -3;
  values.SetFloats(values.Find("turn"), &turn, 1);
  values.SetFloats(values.Find("coronaSize"), &size, 1);
  values.SetFloats(values.Find("pull"), &pull, 1);
  values.SetFloats(values.Find("aspect"), &aspect, 1);
  values.SetFloats(values.Find("coronaExp"), &exp, 1);
  const float light[4] = {255, 128, 0, 255};
  values.SetFloats(values.Find("lightColor"), light, 4);

  gfx::ConstantBlock<gfx::VertexConstantCount> vertex;
  gfx::ConstantBlock<gfx::PixelConstantCount> pixel;
  effect.computeConstants(values, vertex, pixel);
  EXPECT_NEAR(vertex.registers[0][0], std::sin(0.5f), 1e-4f);
  EXPECT_NEAR(vertex.registers[1][0], std::cos(0.5f), 1e-4f);
  EXPECT_FLOAT_EQ(vertex.registers[5][0], 0.5f);
  EXPECT_FLOAT_EQ(vertex.registers[6][0], 0.5f);
  EXPECT_FLOAT_EQ(vertex.registers[6][1], -0.25f);
  EXPECT_FLOAT_EQ(vertex.registers[7][0], 2);
  EXPECT_FLOAT_EQ(vertex.registers[7][1], 4);
  EXPECT_FLOAT_EQ(vertex.registers[8][0], 0.3f);
  EXPECT_FLOAT_EQ(vertex.registers[9][0], 1.5f);
  EXPECT_EQ(pixel.registers[0], (gfx::Float4{255, 128, 0, 255}));
  EXPECT_FLOAT_EQ(pixel.registers[1][0], 9);
}

}  // namespace
}  // namespace vizo::renderer
