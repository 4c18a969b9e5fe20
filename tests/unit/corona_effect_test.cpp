#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "renderer/corona_effect.h"
#include "renderer/corona_programs.h"

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

// The constant lanes a program reads: each source cN's swizzle at the components its destination
// writes (all four without a mask; a one-letter swizzle stands for all four). def'd registers are
// the program's own.
std::set<std::pair<int, int>> LanesRead(const char* program) {
  std::set<std::pair<int, int>> lanes;
  std::set<int> defined;
  std::istringstream lines(program);
  const std::regex instruction(R"(^\s*(\w+)\s+(\w+)(?:\.([xyzw]+))?((?:,\s*-?\w+(?:\.[xyzw]+)?)+))");
  const std::regex source(R"(-?c(\d+)(?:\.([xyzw]+))?)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, instruction)) continue;
    const std::string opcode = m[1], mask = m[3].matched ? m[3].str() : "xyzw", sources = m[4];
    if (opcode == "def") {
      defined.insert(std::stoi(m[2].str().substr(1)));
      continue;
    }
    for (std::sregex_iterator i(sources.begin(), sources.end(), source), end; i != end; ++i) {
      std::string swizzle = (*i)[2].matched ? (*i)[2].str() : "xyzw";
      if (swizzle.size() == 1) swizzle = std::string(4, swizzle[0]);
      for (const char component : mask) {
        const auto position = std::string("xyzw").find(component);
        lanes.emplace(std::stoi((*i)[1]), static_cast<int>(std::string("xyzw").find(swizzle[position])));
      }
    }
  }
  std::erase_if(lanes, [&](const auto& lane) { return defined.count(lane.first) != 0; });
  return lanes;
}

TEST(CoronaEffect, CommitFillsExactlyTheConstantLanesTheProgramsRead) {
  const auto& effect = CoronaEffect();
  gfx::ParameterValues values(effect.parameters);
  gfx::ConstantBlock<gfx::VertexConstantCount> vertex;
  gfx::ConstantBlock<gfx::PixelConstantCount> pixel;
  for (auto& r : vertex.registers) r.fill(NAN);
  for (auto& r : pixel.registers) r.fill(NAN);
  effect.computeConstants(values, vertex, pixel);
  const auto filled = [](const auto& block) {
    std::set<std::pair<int, int>> lanes;
    for (std::size_t r = 0; r < block.registers.size(); ++r) {
      for (std::size_t c = 0; c < 4; ++c) {
        if (!std::isnan(block.registers[r][c])) lanes.emplace(static_cast<int>(r), static_cast<int>(c));
      }
    }
    return lanes;
  };
  EXPECT_EQ(filled(vertex), LanesRead(CoronaVertexProgram));
  EXPECT_EQ(filled(pixel), LanesRead(CoronaPixelProgram));
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
