// The light colour that drifts the sprites through the hues, by colour phase: red from the sine
// of a slow angle, green and blue from the cosines of four and eight times it, in double, only the
// colours rounded to float.
//
// The phase moves by 2 a call, so the angles move by a tiny step. Rather than three trig calls a
// call, the colours of a run of phases are worked out together: each wave's sine and cosine once
// at the run's start, every later phase by rotating through the small difference. The results
// are the direct formula's to the last bit (where a colour could round either way, the formula
// is asked), so the frames are exactly those of direct evaluation.
#pragma once

#include <array>
#include <cstdint>

namespace vizo::renderer {

using LightColour = std::array<float, 4>;  // red, green, blue, alpha, each 0 to 255

// The colour at a phase by the formula itself.
LightColour LightColourAt(std::int32_t phase);

class ColourDrift {
 public:
  // Any phase 0 to 10080000. Phases that follow each other by 2 cost a look-up; a jump (the
  // wrap to 0) works out a new run.
  const LightColour& At(std::int32_t phase) {
    const auto step = static_cast<std::uint32_t>(phase - runStart_);
    if (step % 2 != 0 || step / 2 >= RunLength) {
      WorkOutRun(phase);
      return run_[0];
    }
    return run_[step / 2];
  }

 private:
  // Within a run the fastest angle moves less than 0.006 radians.
  static constexpr std::uint32_t RunLength = 512;

  void WorkOutRun(std::int32_t start);

  std::int32_t runStart_ = -2 * static_cast<std::int32_t>(RunLength);  // no run yet
  alignas(16) std::array<LightColour, RunLength> run_{};
};

}  // namespace vizo::renderer
