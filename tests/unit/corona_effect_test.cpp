#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/corona_constants.h"
#include "renderer/corona_effect.h"
#include "renderer/corona_programs.h"
#include "renderer/corona_reference.h"

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

// The programs' text run on the processor: the few instructions they use, with swizzles, write
// masks and negation, over named four-lane registers.
class ProgramRun {
 public:
  using Lanes = std::array<float, 4>;
  std::map<std::string, Lanes> registers;

  void Execute(const char* program) {
    std::istringstream lines(program);
    for (std::string line; std::getline(lines, line);) {
      line = line.substr(0, line.find("//"));
      std::replace(line.begin(), line.end(), ',', ' ');
      std::istringstream words(line);
      std::string opcode, destination;
      std::vector<std::string> sources;
      words >> opcode >> destination;
      for (std::string word; words >> word;) sources.push_back(word);
      if (opcode == "def") {
        registers[destination] = {std::stof(sources[0]), std::stof(sources[1]), std::stof(sources[2]),
                                  std::stof(sources[3])};
        continue;
      }
      static const std::set<std::string> known = {"mul", "mad", "add", "mov", "texld"};
      if (known.count(opcode) == 0) continue;  // the version and the declarations
      Lanes result{};
      for (std::size_t c = 0; c < 4; ++c) {
        const auto operand = [&](std::size_t n) { return Read(sources[n])[c]; };
        if (opcode == "mul") result[c] = operand(0) * operand(1);
        if (opcode == "mad") result[c] = operand(0) * operand(1) + operand(2);
        if (opcode == "add") result[c] = operand(0) + operand(1);
        if (opcode == "mov") result[c] = operand(0);
        if (opcode == "texld") result[c] = texel[c];
      }
      Write(destination, result);
    }
  }
  Lanes texel{};

  // The constant registers c0, c1, ... from a committed block.
  template <std::size_t Count>
  void LoadConstants(const gfx::ConstantBlock<Count>& block) {
    for (std::size_t r = 0; r < Count; ++r) {
      std::string name(1, 'c');
      name += std::to_string(r);
      registers[name] = block.registers[r];
    }
  }

 private:
  // An operand's swizzle or a destination's mask, as four letters.
  static std::string Swizzle(const std::string& operand) {
    const auto dot = operand.find('.');
    std::string letters = dot == std::string::npos ? "xyzw" : operand.substr(dot + 1);
    letters.resize(4, letters.back());  // a short swizzle repeats its last letter
    return letters;
  }
  Lanes Read(const std::string& operand) {
    const bool negated = operand[0] == '-';
    const std::string name = operand.substr(negated ? 1 : 0, operand.find('.') - (negated ? 1 : 0));
    const std::string swizzle = Swizzle(operand);
    const Lanes& value = registers[name];
    Lanes read{};
    for (std::size_t c = 0; c < 4; ++c) {
      read[c] = value[std::string("xyzw").find(swizzle[c])];
      if (negated) read[c] = -read[c];
    }
    return read;
  }
  void Write(const std::string& destination, const Lanes& value) {
    const std::string name = destination.substr(0, destination.find('.'));
    for (const char component : Swizzle(destination)) {
      const auto c = std::string("xyzw").find(component);
      registers[name][c] = value[c];
    }
  }
};

TEST(CoronaEffect, TheProgramsRunOnTheCommittedConstantsPlaceAndLightTheSpriteAsTheReference) {
  CoronaParameters p;
  p.viewProjection.m = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0.5f, -0.25f, 2, 4}}};
  p.turn = 0.5f;
  p.centre = {0.25f, 0.5f, 0};
  p.coronaSize = 0.3f;
  p.pull = 1.5f;
  p.aspect = 2;
  p.coronaExp = -3;
  p.lightColor = {255, 128, 0, 255};

  const auto& effect = CoronaEffect();
  gfx::ParameterValues values(effect.parameters);
  values.SetFloats(values.Find("view_proj_matrix"), &p.viewProjection.m[0][0], 16);
  const float centre[3] = {p.centre.x, p.centre.y, p.centre.z};
  values.SetFloats(values.Find("pos0"), centre, 3);
  values.SetFloats(values.Find("turn"), &p.turn, 1);
  values.SetFloats(values.Find("coronaSize"), &p.coronaSize, 1);
  values.SetFloats(values.Find("pull"), &p.pull, 1);
  values.SetFloats(values.Find("aspect"), &p.aspect, 1);
  values.SetFloats(values.Find("coronaExp"), &p.coronaExp, 1);
  values.SetFloats(values.Find("lightColor"), p.lightColor.data(), 4);
  gfx::ConstantBlock<gfx::VertexConstantCount> vertex;
  gfx::ConstantBlock<gfx::PixelConstantCount> pixel;
  effect.computeConstants(values, vertex, pixel);

  const CoronaConstants constants = ComputeCoronaConstants(p);
  for (const auto& corner : PainterQuad) {
    ProgramRun run;
    run.LoadConstants(vertex);
    run.registers["v0"] = {corner.x, corner.y, 0, 1};
    run.Execute(CoronaVertexProgram);
    const auto expected = CoronaCorner(p, constants, corner.x, corner.y);
    for (std::size_t c = 0; c < 4; ++c)
      EXPECT_NEAR(run.registers["oPos"][c], expected[c], 1e-6f) << corner.x << corner.y;
  }

  ProgramRun run;
  run.LoadConstants(pixel);
  run.texel = {0.5f, 0.25f, 1, 1};
  run.Execute(CoronaPixelProgram);
  // The texel, brightened by coronaExp squared, in the light's colour.
  for (std::size_t c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(run.registers["oC0"][c], run.texel[c] * 9 * p.lightColor[c]) << c;
}

}  // namespace
}  // namespace vizo::renderer
