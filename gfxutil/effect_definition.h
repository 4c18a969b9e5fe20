// An effect as data: one technique with one pass, named parameters with their initial values, the
// render and sampler states the pass sets, its two programs as assembly, and how the programs'
// constants follow from the parameters. The parameter store keeps the values between draws.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vizo::gfx {

enum class ParameterKind { Matrix, Float, Vector3, Vector4, Texture };

struct ParameterSpec {
  const char* name;
  ParameterKind kind;
  std::array<float, 16> initial{};
};

struct StateAssignment {
  std::uint32_t state;
  std::uint32_t value;
};

using Float4 = std::array<float, 4>;

// Shader constants computed on the processor at a commit: registers 0 to Count - 1.
template <std::size_t Count>
struct ConstantBlock {
  std::array<Float4, Count> registers{};
};
inline constexpr std::size_t VertexConstantCount = 10;  // c10 is the program's own literal
inline constexpr std::size_t PixelConstantCount = 2;

class ParameterValues;

struct EffectDefinition {
  const char* technique;
  const char* pass;
  std::vector<ParameterSpec> parameters;
  std::vector<StateAssignment> renderStates;
  std::vector<StateAssignment> samplerStates;  // of sampler 0
  std::size_t samplerTexture;                  // the parameter bound to sampler 0
  const char* vertexProgram;
  const char* pixelProgram;
  void (*computeConstants)(const ParameterValues& values, ConstantBlock<VertexConstantCount>& vertex,
                           ConstantBlock<PixelConstantCount>& pixel);
};

// 0 is no parameter; otherwise the parameter's index plus one.
using ParameterHandle = std::uintptr_t;

class ParameterValues {
 public:
  explicit ParameterValues(const std::vector<ParameterSpec>& specs);

  // Exact, case-sensitive names.
  ParameterHandle Find(std::string_view name) const;

  // False for a wrong handle, no values, or a value of the wrong size for the parameter's kind. Inline: the
  // painter sets five of these on each of a frame's thousand calls.
  bool SetFloats(ParameterHandle handle, const float* values, std::size_t count) {
    const std::size_t index = handle - 1;  // handle 0 wraps round to fail the first test
    if (index >= slots_.size() || count == 0 || count != slots_[index].floatCount || !values) return false;
    // A plain loop: the count is a constant where this is inlined, and the copy a few moves.
    float* to = slots_[index].floats.data();
    for (std::size_t k = 0; k < count; ++k) to[k] = values[k];
    return true;
  }
  // The texture it held before, or nothing (and no change) for a wrong handle.
  std::optional<std::uintptr_t> ExchangeTexture(ParameterHandle handle, std::uintptr_t texture);

  const float* Floats(std::size_t index) const { return slots_[index].floats.data(); }
  std::uintptr_t Texture(std::size_t index) const { return slots_[index].texture; }

 private:
  // One parameter's value, all in one place.
  struct Slot {
    std::array<float, 16> floats;
    std::size_t floatCount;  // of the parameter's kind: 1 to 16, or 0 for a texture, which no set matches
    std::uintptr_t texture;
  };
  const std::vector<ParameterSpec>& specs_;
  std::vector<Slot> slots_;
};

}  // namespace vizo::gfx
