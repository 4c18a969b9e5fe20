#include "saver_shell.h"

namespace vizo::shell {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

const char* SkipSpaces(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

}  // namespace

const char* CommandLineTail(const char* commandLine, CharStepper next) {
  const char* p = commandLine;
  if (*p == '"') {
    // A quoted program path may hold blanks; it ends at the closing quote.
    do {
      p = next(p);
    } while (*p != '\0' && *p != '"');
    if (*p == '"') ++p;
  } else if (!IsBlank(*p)) {
    while (!IsBlank(*p)) p = next(p);
  }
  while (*p != '\0' && IsBlank(*p)) p = next(p);
  return p;
}

std::uint32_t ParseWindowHandle(const char* text) {
  std::uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10u + static_cast<std::uint32_t>(*text - '0');
  }
  return value;
}

int Shell::RunMode(const char* tail) {
  for (const char* p = tail;; ++p) {
    switch (*p) {
      case '\0':
        return ShowSettingsDialog(0);
      case ' ':
      case '-':
      case '/':
        continue;
      case 'S':
      case 's':
        return RunSaverWindow(0);
      case 'C':
      case 'c': {
        WindowHandle owner = 0;
        if (p[1] == ':') owner = ParseWindowHandle(p + 2);
        if (owner == 0 || !os.IsWindow(owner)) owner = os.ForegroundWindow();
        return ShowSettingsDialog(owner);
      }
      case 'P':
      case 'p':
      case 'L':
      case 'l': {
        const WindowHandle parent = ParseWindowHandle(SkipSpaces(p + 1));
        if (parent == 0 || !os.IsWindow(parent)) return -1;
        return RunSaverWindow(parent);
      }
      case 'A':
      case 'a': {
        if (!state.win9xFamily) return -1;
        WindowHandle parent = ParseWindowHandle(SkipSpaces(p + 1));
        if (parent == 0 || !os.IsWindow(parent)) parent = os.ForegroundWindow();
        ChangeSaverPassword(parent);
        return 0;
      }
      default:
        return -1;
    }
  }
}

int Shell::ShowSettingsDialog(WindowHandle owner) {
  if (os.BeforeSettingsDialog() == 0) return 0;
  return os.SettingsDialog(owner);
}

void Shell::ChangeSaverPassword(WindowHandle parent) {
  const ModuleHandle mpr = os.LoadModule("MPR.DLL");
  if (mpr == 0) return;
  if (const ProcAddress change = os.FindProc(mpr, "PwdChangePasswordA")) {
    os.CallPwdChangePassword(change, "SCRSAVE", parent);
  }
  os.UnloadModule(mpr);
}

}  // namespace vizo::shell
