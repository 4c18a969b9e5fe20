// The command line as the system hands it over: the tail behind the program path, then the mode
// letter and window handle, run against the fake platform.
#include <cstdint>
#include <string>

#include "../unit/fake_shell_platform.h"
#include "fuzz_check.h"

using namespace vizo::shell;

namespace {

const char* NextByte(const char* p) { return *p ? p + 1 : p; }

// As CharNextA does on a Japanese system: a lead byte and its trail byte are one character, but
// never past the terminator.
const char* NextCp932(const char* p) {
  const auto c = static_cast<unsigned char>(*p);
  if (c == 0) return p;
  const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  return lead && p[1] != '\0' ? p + 2 : p + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string commandLine(reinterpret_cast<const char*>(data), size);  // stops at a NUL as C does
  for (const CharStepper step : {NextByte, NextCp932}) {
    const char* text = commandLine.c_str();
    const char* tail = CommandLineTail(text, step);
    FUZZ_CHECK(tail >= text && tail <= text + std::char_traits<char>::length(text));

    testing::ShellWithFake t;
    t.shell.state.win9xFamily = size > 0 && (data[0] & 1) != 0;
    t.os.windows = {0x1234, 42};
    const int code = t.shell.RunMode(tail);
    // Every mode ends in one of these: refused, a window that never came, the dialog's answer or
    // the loop's quit code.
    FUZZ_CHECK(code == -1 || code == 0 || code == t.os.settingsAnswer || code == 7);
  }
  return 0;
}
