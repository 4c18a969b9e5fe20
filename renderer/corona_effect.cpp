#include "corona_effect.h"

#include "corona_constants.h"
#include "corona_programs.h"

namespace vizo::renderer {

namespace {

using gfx::ParameterKind;

// Parameter indices, in the effect's order.
enum Parameter : std::size_t {
  ViewProjMatrix,
  Turn,
  Pos0,
  CoronaSize,
  Pull,
  Aspect,
  CoronaExp,
  LightColor,
  CoronaTex,
};

using namespace d3d;

void ComputeConstants(const gfx::ParameterValues& values, gfx::ConstantBlock<gfx::VertexConstantCount>& vertex,
                      gfx::ConstantBlock<gfx::PixelConstantCount>& pixel) {
  // The turn's values first: on the x87 unit nothing stays in a register across a call, so what
  // was read before it would go to memory and back.
  const TurnValues turn = CoronaTurnValues(values.Floats(Turn)[0]);
  const float* pos0 = values.Floats(Pos0);
  const CoronaConstants c = ComputeCoronaConstants(values.Floats(ViewProjMatrix), turn, {pos0[0], pos0[1], pos0[2]},
                                                   values.Floats(Aspect)[0], values.Floats(CoronaExp)[0]);

  // Only the lanes the programs read; the rest stay as the blocks were made.
  vertex.registers[0][0] = c.sine;
  vertex.registers[1][0] = c.cosine;
  vertex.registers[5][0] = c.inverseAspect;
  vertex.registers[6][0] = c.centre[0];
  vertex.registers[6][1] = c.centre[1];
  vertex.registers[7][0] = c.centre[2];
  vertex.registers[7][1] = c.centre[3];
  vertex.registers[8][0] = values.Floats(CoronaSize)[0];
  vertex.registers[9][0] = values.Floats(Pull)[0];
  const float* light = values.Floats(LightColor);
  pixel.registers[0] = {light[0], light[1], light[2], light[3]};
  pixel.registers[1][0] = c.brightness;
}

}  // namespace

const gfx::EffectDefinition& CoronaEffect() {
  static const gfx::EffectDefinition effect{
      "hanabi",
      "hanabi0",
      {
          {"view_proj_matrix", ParameterKind::Matrix, {}},
          {"turn", ParameterKind::Float, {}},
          {"pos0", ParameterKind::Vector3, {}},
          {"coronaSize", ParameterKind::Float, {}},
          {"pull", ParameterKind::Float, {}},
          {"aspect", ParameterKind::Float, {}},
          {"coronaExp", ParameterKind::Float, {}},
          {"lightColor", ParameterKind::Vector4, {1, 1, 1, 1}},
          {"Corona_Tex", ParameterKind::Texture, {}},
      },
      {{RsZEnable, 0},
       {RsSrcBlend, BlendOne},
       {RsDestBlend, BlendOne},
       {RsCullMode, CullNone},
       {RsAlphaBlendEnable, 1}},
      {{SampAddressU, AddressClamp},
       {SampAddressV, AddressClamp},
       {SampMagFilter, FilterLinear},
       {SampMinFilter, FilterLinear},
       {SampMipFilter, FilterLinear}},
      CoronaTex,
      CoronaVertexProgram,
      CoronaPixelProgram,
      ComputeConstants,
  };
  return effect;
}

}  // namespace vizo::renderer
