// The corona effect: technique "hanabi", pass "hanabi0", defined in code for our effect runtime.
#pragma once

#include "gfxutil/effect_definition.h"

namespace vizo::renderer {

const gfx::EffectDefinition& CoronaEffect();

}  // namespace vizo::renderer
