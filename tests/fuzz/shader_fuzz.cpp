// Shader assembly text: tokens or a reason, never a crash.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "fuzz_check.h"
#include "gfxutil/shader_assembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto result = vizo::gfx::AssembleShader(std::string_view(reinterpret_cast<const char*>(data), size));
  if (const auto* tokens = std::get_if<std::vector<std::uint32_t>>(&result)) {
    // A version token first and the end token last.
    FUZZ_CHECK(tokens->size() >= 2);
    FUZZ_CHECK((tokens->front() & 0xFFFE0000u) == 0xFFFE0000u);
    FUZZ_CHECK(tokens->back() == 0x0000FFFFu);
  } else {
    FUZZ_CHECK(!std::get<std::string>(result).empty());
  }
  return 0;
}
