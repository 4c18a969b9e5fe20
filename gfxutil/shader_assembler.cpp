#include "shader_assembler.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <utility>

namespace vizo::gfx {

namespace {

// Token fields (d3d9types.h).
constexpr std::uint32_t ParameterBit = 0x80000000u;
constexpr std::uint32_t EndToken = 0x0000FFFFu;
constexpr std::uint32_t FullMask = 0xFu;
constexpr std::uint32_t IdentitySwizzle = 0xE4u;  // x y z w
constexpr std::uint32_t NegateModifier = 1u << 24;

enum RegisterType : std::uint32_t {
  Temp = 0,
  Input = 1,
  Const = 2,
  Texture = 3,  // ps: texture coordinates
  RastOut = 4,  // vs: oPos
  AttrOut = 5,  // vs: oD#
  TexCoordOut = 6,
  ColorOut = 8,  // ps: oC#
  Sampler = 10,
};

enum Opcode : std::uint32_t {
  Mov = 1,
  Add = 2,
  Sub = 3,
  Mad = 4,
  Mul = 5,
  Rcp = 6,
  Dp3 = 8,
  Dp4 = 9,
  Min = 10,
  Max = 11,
  Dcl = 31,
  TexLd = 66,
  Def = 81,
};

struct InstructionShape {
  std::string_view name;
  Opcode opcode;
  int sources;
  bool pixelOnly;
};

constexpr std::array Instructions = {
    InstructionShape{"mov", Mov, 1, false},    InstructionShape{"add", Add, 2, false},
    InstructionShape{"sub", Sub, 2, false},    InstructionShape{"mad", Mad, 3, false},
    InstructionShape{"mul", Mul, 2, false},    InstructionShape{"rcp", Rcp, 1, false},
    InstructionShape{"dp3", Dp3, 2, false},    InstructionShape{"dp4", Dp4, 2, false},
    InstructionShape{"min", Min, 2, false},    InstructionShape{"max", Max, 2, false},
    InstructionShape{"texld", TexLd, 2, true},
};

struct Program {
  bool pixel = false;
  int major = 0;
  int minor = 0;
  std::vector<std::uint32_t> tokens;

  // Shader model 2 and later count each instruction's parameter tokens in its opcode token.
  std::uint32_t OpcodeToken(Opcode opcode, std::size_t parameters) const {
    const std::uint32_t length = major >= 2 ? static_cast<std::uint32_t>(parameters) << 24 : 0;
    return opcode | length;
  }
};

std::uint32_t RegisterBits(RegisterType type, std::uint32_t number) {
  return ParameterBit | ((type & 7u) << 28) | ((type & 0x18u) << 8) | (number & 0x7FFu);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> SplitOperands(std::string_view s) {
  std::vector<std::string_view> operands;
  while (!s.empty()) {
    const auto comma = s.find(',');
    operands.push_back(Trim(s.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return operands;
}

std::optional<std::uint32_t> Number(std::string_view digits) {
  std::uint32_t value = 0;
  if (digits.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || value > 0x7FF) return std::nullopt;
  return value;
}

struct Register {
  RegisterType type;
  std::uint32_t number;
};

std::optional<Register> ParseRegister(std::string_view name, bool pixel) {
  const std::string n = Lower(name);
  if (n == "opos" && !pixel) return Register{RastOut, 0};
  struct Prefix {
    std::string_view text;
    RegisterType type;
    bool inPixel;
    bool inVertex;
  };
  static constexpr Prefix prefixes[] = {
      {"oc", ColorOut, true, false}, {"ot", TexCoordOut, false, true}, {"od", AttrOut, false, true},
      {"r", Temp, true, true},       {"v", Input, true, true},         {"c", Const, true, true},
      {"t", Texture, true, false},   {"s", Sampler, true, false},
  };
  for (const auto& p : prefixes) {
    if (n.rfind(p.text, 0) != 0 || !(pixel ? p.inPixel : p.inVertex)) continue;
    if (const auto number = Number(std::string_view(n).substr(p.text.size()))) return Register{p.type, *number};
  }
  return std::nullopt;
}

int ComponentIndex(char c) {
  switch (c) {
    case 'x':
    case 'r':
      return 0;
    case 'y':
    case 'g':
      return 1;
    case 'z':
    case 'b':
      return 2;
    case 'w':
    case 'a':
      return 3;
    default:
      return -1;
  }
}

class LineAssembler {
 public:
  explicit LineAssembler(Program& program) : program_(program) {}

  // An empty string on success, otherwise what was wrong.
  std::string Assemble(std::string_view line) {
    const auto space = line.find_first_of(" \t");
    const std::string mnemonic = Lower(line.substr(0, space));
    const auto operands = SplitOperands(space == std::string_view::npos ? "" : line.substr(space + 1));

    if (mnemonic == "def") return Define(operands);
    if (mnemonic.rfind("dcl", 0) == 0) return Declare(mnemonic, operands);
    for (const auto& shape : Instructions) {
      if (mnemonic != shape.name) continue;
      if (shape.pixelOnly && !program_.pixel) return "'" + mnemonic + "' is a pixel shader instruction";
      if (operands.size() != static_cast<size_t>(shape.sources) + 1) {
        return "'" + mnemonic + "' takes " + std::to_string(shape.sources + 1) + " operands";
      }
      std::vector<std::uint32_t> parameters;
      std::string error;
      parameters.push_back(Destination(operands[0], error));
      for (size_t i = 1; i < operands.size() && error.empty(); ++i) parameters.push_back(Source(operands[i], error));
      if (!error.empty()) return error;
      Emit(shape.opcode, parameters);
      return {};
    }
    return "unknown instruction '" + mnemonic + "'";
  }

 private:
  void Emit(Opcode opcode, const std::vector<std::uint32_t>& parameters) {
    program_.tokens.push_back(program_.OpcodeToken(opcode, parameters.size()));
    program_.tokens.insert(program_.tokens.end(), parameters.begin(), parameters.end());
  }

  std::optional<Register> RegisterOf(std::string_view name, std::string& error) const {
    const auto reg = ParseRegister(name, program_.pixel);
    if (!reg) error = "unknown register '" + std::string(name) + "'";
    return reg;
  }

  std::uint32_t Destination(std::string_view operand, std::string& error) {
    const auto dot = operand.find('.');
    const auto reg = RegisterOf(operand.substr(0, dot), error);
    if (!reg) return 0;
    std::uint32_t mask = FullMask;
    if (dot != std::string_view::npos) {
      mask = 0;
      int previous = -1;
      for (const char c : Lower(operand.substr(dot + 1))) {
        const int index = ComponentIndex(c);
        if (index <= previous) {  // components must be distinct and in order
          error = "bad write mask in '" + std::string(operand) + "'";
          return 0;
        }
        mask |= 1u << index;
        previous = index;
      }
      if (mask == 0) error = "empty write mask in '" + std::string(operand) + "'";
    }
    return RegisterBits(reg->type, reg->number) | (mask << 16);
  }

  std::uint32_t Source(std::string_view operand, std::string& error) {
    std::uint32_t modifier = 0;
    if (!operand.empty() && operand.front() == '-') {
      modifier = NegateModifier;
      operand = Trim(operand.substr(1));
    }
    const auto dot = operand.find('.');
    const auto reg = RegisterOf(operand.substr(0, dot), error);
    if (!reg) return 0;
    std::uint32_t swizzle = IdentitySwizzle;
    if (dot != std::string_view::npos) {
      const std::string components = Lower(operand.substr(dot + 1));
      if (components.empty() || components.size() > 4) {
        error = "bad swizzle in '" + std::string(operand) + "'";
        return 0;
      }
      swizzle = 0;
      for (size_t i = 0; i < 4; ++i) {
        // A short swizzle repeats its last component.
        const int index = ComponentIndex(components[std::min(i, components.size() - 1)]);
        if (index < 0) {
          error = "bad swizzle in '" + std::string(operand) + "'";
          return 0;
        }
        swizzle |= static_cast<std::uint32_t>(index) << (2 * i);
      }
    }
    return RegisterBits(reg->type, reg->number) | (swizzle << 16) | modifier;
  }

  std::string Define(const std::vector<std::string_view>& operands) {
    if (operands.size() != 5) return "'def' takes a register and four numbers";
    const auto reg = ParseRegister(operands[0], program_.pixel);
    if (!reg || reg->type != Const) return "'def' defines a c register";
    std::vector<std::uint32_t> parameters{RegisterBits(Const, reg->number) | (FullMask << 16)};
    for (size_t i = 1; i < 5; ++i) {
      const std::string text(operands[i]);
      char* end = nullptr;
      const float value = std::strtof(text.c_str(), &end);
      if (text.empty() || *end != '\0') return "not a number: '" + text + "'";
      parameters.push_back(std::bit_cast<std::uint32_t>(value));
    }
    Emit(Def, parameters);
    return {};
  }

  std::string Declare(const std::string& mnemonic, const std::vector<std::string_view>& operands) {
    if (operands.size() != 1) return "'" + mnemonic + "' takes one register";
    const std::string_view kind = std::string_view(mnemonic).substr(3);
    std::uint32_t usage = ParameterBit;
    if (kind == "_2d") {
      usage |= 2u << 27;  // D3DSTT_2D
    } else if (!kind.empty()) {
      static constexpr std::pair<std::string_view, std::uint32_t> usages[] = {
          {"_position", 0}, {"_normal", 3}, {"_texcoord", 5}, {"_color", 10}};
      bool known = false;
      for (const auto& [name, code] : usages) {
        if (kind.rfind(name, 0) != 0) continue;
        const std::string_view index = kind.substr(name.size());
        const auto number = index.empty() ? std::optional<std::uint32_t>(0) : Number(index);
        if (!number || *number > 15) return "bad usage index in '" + mnemonic + "'";
        usage |= code | (*number << 16);
        known = true;
        break;
      }
      if (!known) return "unknown declaration '" + mnemonic + "'";
    }
    std::string error;
    const std::uint32_t reg = Destination(operands[0], error);
    if (!error.empty()) return error;
    Emit(Dcl, {usage, reg});
    return {};
  }

  Program& program_;
};

}  // namespace

std::variant<std::vector<std::uint32_t>, std::string> AssembleShader(std::string_view source) {
  Program program;
  bool versionSeen = false;
  int lineNumber = 0;
  while (!source.empty()) {
    ++lineNumber;
    const auto newline = source.find('\n');
    std::string_view line = source.substr(0, newline);
    source.remove_prefix(newline == std::string_view::npos ? source.size() : newline + 1);
    line = Trim(line.substr(0, std::min(line.find("//"), line.find(';'))));
    if (line.empty()) continue;

    const auto fail = [lineNumber](const std::string& what) {
      return std::variant<std::vector<std::uint32_t>, std::string>("line " + std::to_string(lineNumber) + ": " + what);
    };
    if (!versionSeen) {
      const std::string version = Lower(line);
      if (version == "vs_1_1") {
        program.major = 1, program.minor = 1;
      } else if (version == "vs_2_0" || version == "ps_2_0") {
        program.major = 2, program.minor = 0, program.pixel = version[0] == 'p';
      } else {
        return fail("expected vs_1_1, vs_2_0 or ps_2_0, found '" + std::string(line) + "'");
      }
      program.tokens.push_back((program.pixel ? 0xFFFF0000u : 0xFFFE0000u) |
                               static_cast<std::uint32_t>(program.major << 8 | program.minor));
      versionSeen = true;
      continue;
    }
    if (const std::string error = LineAssembler(program).Assemble(line); !error.empty()) return fail(error);
  }
  if (!versionSeen) return std::string("no shader version");
  program.tokens.push_back(EndToken);
  return program.tokens;
}

}  // namespace vizo::gfx
