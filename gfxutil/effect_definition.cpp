#include "effect_definition.h"

#include <utility>

#include <cstdint>

namespace vizo::gfx {

namespace {

// A texture takes no floats, and a set of none is refused. (A count of SIZE_MAX, matched by no call
// in a 64-bit build, is UINT_MAX in a 32-bit one, which an unsigned count from the caller can be.)
constexpr std::size_t NotFloats = 0;

std::size_t FloatCount(ParameterKind kind) {
  switch (kind) {
    case ParameterKind::Matrix:
      return 16;
    case ParameterKind::Float:
      return 1;
    case ParameterKind::Vector3:
      return 3;
    case ParameterKind::Vector4:
      return 4;
    case ParameterKind::Texture:
      return NotFloats;
  }
  return NotFloats;
}

}  // namespace

ParameterValues::ParameterValues(const std::vector<ParameterSpec>& specs) : specs_(specs) {
  slots_.reserve(specs.size());
  for (const ParameterSpec& parameter : specs) slots_.push_back({parameter.initial, FloatCount(parameter.kind), 0});
}

ParameterHandle ParameterValues::Find(std::string_view name) const {
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    if (name == specs_[i].name) return i + 1;
  }
  return 0;
}

std::optional<std::uintptr_t> ParameterValues::ExchangeTexture(ParameterHandle handle, std::uintptr_t texture) {
  if (handle == 0 || handle > specs_.size() || specs_[handle - 1].kind != ParameterKind::Texture) return std::nullopt;
  return std::exchange(slots_[handle - 1].texture, texture);
}

}  // namespace vizo::gfx
