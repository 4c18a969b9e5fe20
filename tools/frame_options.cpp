#include "frame_options.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace vizo::tools {

namespace {

constexpr int MaxSide = 16384;

// The whole text as a decimal number of this type.
template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// "A" + separator + "B", each a whole number.
template <typename Number>
bool ParsePair(std::string_view text, char separator, Number& a, Number& b) {
  const auto at = text.find(separator);
  return at != std::string_view::npos && ParseNumber(text.substr(0, at), a) && ParseNumber(text.substr(at + 1), b);
}

}  // namespace

std::variant<FrameOptions, std::string> ParseFrameOptions(const std::vector<std::string>& arguments) {
  FrameOptions o;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& flag = arguments[i];
    if (flag == "--help" || flag == "-h") {
      o.help = true;
      return o;
    }
    if (i + 1 == arguments.size()) return flag + " needs a value";
    const std::string_view value = arguments[++i];
    if (flag == "--seed") {
      if (!ParseNumber(value, o.seed)) return "--seed takes a number from 0 to 4294967295";
    } else if (flag == "--size") {
      if (!ParsePair(value, 'x', o.width, o.height) || o.width < 1 || o.height < 1 || o.width > MaxSide ||
          o.height > MaxSide) {
        return "--size takes WxH, each side 1 to 16384";
      }
    } else if (flag == "--spacing") {
      if (!ParseNumber(value, o.spacing) || o.spacing == 0) return "--spacing takes a number other than 0";
    } else if (flag == "--frames") {
      if (!ParsePair(value, '-', o.first, o.last)) {
        if (!ParseNumber(value, o.first)) return "--frames takes A or A-B";
        o.last = o.first;
      }
      if (o.first < 1 || o.last < o.first) return "--frames needs 1 <= A <= B";
    } else if (flag == "--images") {
      o.images = value;
    } else if (flag == "--out") {
      o.out = value;
    } else {
      return "unknown option " + flag;
    }
  }
  if (o.out.empty()) return "--out DIR is required";
  return o;
}

}  // namespace vizo::tools
