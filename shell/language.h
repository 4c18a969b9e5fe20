// The languages the program speaks: Japanese where the user's Windows is Japanese, English
// anywhere else (Chinese and Korean included: they read no more Japanese than anyone else).
#pragma once

#include <cstdint>

namespace vizo::shell {

enum class Language { Japanese, English };

// From the user's UI language, a Windows language id: its primary language is the low 10 bits.
constexpr Language LanguageOf(std::uint16_t uiLanguage) {
  constexpr std::uint16_t PrimaryJapanese = 0x11;
  return (uiLanguage & 0x3FF) == PrimaryJapanese ? Language::Japanese : Language::English;
}

}  // namespace vizo::shell
