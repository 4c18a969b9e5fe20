// The precision of the x87 unit, where float and double arithmetic runs on it (the 32-bit build).
//
// The x87 unit rounds every result to the precision its control word names, not to the type
// of the operands: at its start-up setting (extended) a float product keeps 64 bits until stored,
// and after Direct3D's CreateDevice (single) even a double sum is rounded to 24 bits. Arithmetic
// that must give what SSE gives the 64-bit build names the precision it needs for its span:
// Single for float-only code (each operation then rounds as a float operation does), Double for
// double code (with each float result stored before it goes on: a float operation rounded to
// double first and then to float gives the float result), Extended for long double.
// Where SSE does the arithmetic the scope does nothing.
#pragma once

#include <cstdint>
#include <type_traits>

namespace vizo::gfx {

enum class Precision : std::uint16_t { Single = 0x0000, Double = 0x0200, Extended = 0x0300 };

#if defined(__i386__) && !defined(__SSE2_MATH__)
inline std::uint16_t X87ControlWord() {
  std::uint16_t word;
  __asm__ volatile("fnstcw %0" : "=m"(word) : : "memory");
  return word;
}
inline void SetX87ControlWord(std::uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word) : "memory"); }
#else
inline std::uint16_t X87ControlWord() { return 0; }
inline void SetX87ControlWord(std::uint16_t) {}
#endif

// Leaves the x87 unit at a precision for good, as Direct3D's CreateDevice does (single).
inline void SetX87Precision(Precision precision) {
  SetX87ControlWord(static_cast<std::uint16_t>((X87ControlWord() & ~0x0300) | static_cast<std::uint16_t>(precision)));
}

// A float result as a float: where the x87 unit does the arithmetic, the compiler may keep a
// float in a register at the unit's precision, and only a store rounds it.
inline float StoredAsFloat(float value) {
  volatile float stored = value;
  return stored;
}

// Sets the precision control (bits 8 and 9) and round to nearest (bits 10 and 11) until it ends.
class PrecisionScope {
 public:
  explicit PrecisionScope(Precision precision) : saved_(X87ControlWord()) {
    constexpr std::uint16_t ControlBits = 0x0F00;
    const auto word = static_cast<std::uint16_t>((saved_ & ~ControlBits) | static_cast<std::uint16_t>(precision));
    changed_ = word != saved_;
    if (changed_) SetX87ControlWord(word);
  }
  ~PrecisionScope() {
    if (changed_) SetX87ControlWord(saved_);
  }
  PrecisionScope(const PrecisionScope&) = delete;
  PrecisionScope& operator=(const PrecisionScope&) = delete;

 private:
  std::uint16_t saved_;
  bool changed_ = false;
};

// arithmetic() with the x87 unit at a precision. The compiler may move register arithmetic, even a
// call it knows to touch no memory, across the loads of the control word: here the arithmetic reads
// its captures through a pointer it can't see through, given after the word is set, and its result
// is pinned in memory before the word is put back.
template <typename Arithmetic>
auto AtPrecision(Precision precision, Arithmetic&& arithmetic) {
  const PrecisionScope scope(precision);
  auto* opaque = &arithmetic;
  __asm__ volatile("" : "+r"(opaque));
  if constexpr (std::is_void_v<decltype(arithmetic())>) {
    (*opaque)();
    __asm__ volatile("" : : : "memory");
  } else {
    auto result = (*opaque)();
    __asm__ volatile("" : "+m"(result));
    return result;
  }
}

}  // namespace vizo::gfx
