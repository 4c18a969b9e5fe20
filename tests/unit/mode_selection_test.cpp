#include <gtest/gtest.h>

#include <cstring>

#include "fake_shell_platform.h"

namespace vizo::shell {
namespace {

using testing::ShellWithFake;

const char* ByteStep(const char* p) { return p + 1; }

// A double-byte code page in miniature: 0x81 leads a two-byte character whose second byte may be
// anything, even a quote or a blank.
const char* DoubleByteStep(const char* p) {
  if (static_cast<unsigned char>(*p) == 0x81 && p[1] != '\0') return p + 2;
  return p + 1;
}

struct TailCase {
  const char* name;
  const char* commandLine;
  CharStepper step;
  const char* tail;
};

TEST(CommandLineTail, SkipsTheProgramPathAndTheBlanksBehindIt) {
  const TailCase cases[] = {
      {"quoted path with blanks", "\"C:\\Program Files\\vizo vizo.scr\" /s", ByteStep, "/s"},
      {"quoted path, nothing behind", "\"C:\\Program Files\\vizo.scr\"", ByteStep, ""},
      {"quoted path, argument right behind the quote", "\"C:\\a b\\v.scr\"/p 12", ByteStep, "/p 12"},
      {"unterminated quote swallows the line", "\"C:\\a b\\v.scr /s", ByteStep, ""},
      {"unquoted path ends at the first blank", "C:\\saver\\v.scr /c:99", ByteStep, "/c:99"},
      {"tabs and spaces behind the path", "v.scr \t \t/s", ByteStep, "/s"},
      {"control bytes count as blanks", "v.scr\x01\x1f/s", ByteStep, "/s"},
      {"no arguments", "v.scr", ByteStep, ""},
      {"only blanks behind the path", "v.scr   \t", ByteStep, ""},
      {"line starting with a blank has no path", "  /s", ByteStep, "/s"},
      {"double-byte character holding a quote byte", "\"C:\\\x81\"dir\\v.scr\" /s", DoubleByteStep, "/s"},
      {"double-byte character holding a blank byte", "C:\\\x81 dir\\v.scr /p 5", DoubleByteStep, "/p 5"},
      {"high bytes belong to an unquoted path", "C:\\\xe9t\xe9.scr /s", ByteStep, "/s"},
  };
  for (const auto& c : cases) {
    const char* tail = CommandLineTail(c.commandLine, c.step);
    EXPECT_STREQ(tail, c.tail) << c.name;
    // The tail points into the command line itself.
    EXPECT_EQ(tail, c.commandLine + std::strlen(c.commandLine) - std::strlen(c.tail)) << c.name;
  }
}

TEST(ParseWindowHandle, ReadsUnsignedDecimalWrappingModulo2To32) {
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {
      {"1234", 1234},    {"0", 0},          {"", 0},
      {"abc", 0},        {"12ab", 12},      {"12 34", 12},
      {" 5", 0},         {"-5", 0},         {"+5", 0},
      {"0x10", 0},       {"007", 7},        {"4294967295", 4294967295u},
      {"4294967296", 0}, {"4294967297", 1}, {"99999999999", 1215752191u},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.value) << c.text;
}

struct ModeCase {
  const char* tail;
  bool win9x;
  int exitCode;
  const char* action;  // the call that shows which mode ran, or nullptr for none
};

TEST(RunMode, PicksTheModeFromTheFirstLetter) {
  constexpr WindowHandle existing = 1234;
  constexpr WindowHandle foreground = 777;
  const ModeCase cases[] = {
      {"", false, 1015, "SettingsDialog 0"},
      {"   ", false, 1015, "SettingsDialog 0"},
      {"/s", false, 7, "CreateSaverWindow 0"},
      {"-S", false, 7, "CreateSaverWindow 0"},
      {"s", false, 7, "CreateSaverWindow 0"},
      {"/ /s", false, 7, "CreateSaverWindow 0"},
      {"-/-s", false, 7, "CreateSaverWindow 0"},
      {"/s /c", false, 7, "CreateSaverWindow 0"},
      {"/p 1234", false, 7, "CreateSaverWindow 1234"},
      {"/p1234", false, 7, "CreateSaverWindow 1234"},
      {"/P    1234", false, 7, "CreateSaverWindow 1234"},
      {"/l 1234", false, 7, "CreateSaverWindow 1234"},
      {"/L1234 trailing words", false, 7, "CreateSaverWindow 1234"},
      {"/p 4294968530", false, 7, "CreateSaverWindow 1234"},  // 1234 + 2^32 wraps onto 1234
      {"/p\t1234", false, -1, nullptr},                       // only spaces are skipped
      {"/p", false, -1, nullptr},
      {"/p 0", false, -1, nullptr},
      {"/p abc", false, -1, nullptr},
      {"/p 999", false, -1, nullptr},
      {"/c:1234", false, 1015, "SettingsDialog 1234"},
      {"/C:1234", false, 1015, "SettingsDialog 1234"},
      {"/c 1234", false, 1015, "SettingsDialog 777"},
      {"/c:999", false, 1015, "SettingsDialog 777"},
      {"/c:", false, 1015, "SettingsDialog 777"},
      {"/c", false, 1015, "SettingsDialog 777"},
      {"/c: 1234", false, 1015, "SettingsDialog 777"},
      {"/a 1234", true, 0, "PwdChangePasswordA SCRSAVE 1234"},
      {"/A1234", true, 0, "PwdChangePasswordA SCRSAVE 1234"},
      {"/a", true, 0, "PwdChangePasswordA SCRSAVE 777"},
      {"/a 999", true, 0, "PwdChangePasswordA SCRSAVE 777"},
      {"/a 1234", false, -1, nullptr},
      {"/x", false, -1, nullptr},
      {"/?", false, -1, nullptr},
      {"1", false, -1, nullptr},
      {"\t/s", false, -1, nullptr},
  };
  for (const auto& c : cases) {
    ShellWithFake t;
    t.os.windows = {existing};
    t.os.foreground = foreground;
    t.os.loadableModules["MPR.DLL"] = 0x10;
    t.os.procs["PwdChangePasswordA"] = 0x11;
    t.shell.state.win9xFamily = c.win9x;

    EXPECT_EQ(t.shell.RunMode(c.tail), c.exitCode) << c.tail;

    int shown = 0;
    for (const auto& call : t.os.calls) {
      const bool modeCall = call.rfind("CreateSaverWindow", 0) == 0 || call.rfind("SettingsDialog", 0) == 0 ||
                            call.rfind("PwdChangePasswordA", 0) == 0;
      if (!modeCall) continue;
      ++shown;
      EXPECT_NE(c.action, nullptr) << c.tail << ": unexpected " << call;
      if (c.action) {
        EXPECT_EQ(call, c.action) << c.tail;
      }
    }
    EXPECT_EQ(shown, c.action ? 1 : 0) << c.tail;
  }
}

TEST(ShowSettingsDialog, HookCanCancelTheDialog) {
  ShellWithFake t;
  t.os.beforeSettingsAnswer = 0;
  EXPECT_EQ(t.shell.ShowSettingsDialog(5), 0);
  EXPECT_EQ(t.os.Count("SettingsDialog 5"), 0);
}

TEST(ShowSettingsDialog, ReturnsWhatTheDialogEndedWithIncludingFailure) {
  for (const int answer : {1015, 1016, -1, 0}) {
    ShellWithFake t;
    t.os.settingsAnswer = answer;
    EXPECT_EQ(t.shell.ShowSettingsDialog(0), answer);
  }
}

TEST(ChangeSaverPassword, DoesNothingWithoutTheProviderAndFreesWhatItLoaded) {
  {
    ShellWithFake missingModule;
    missingModule.shell.ChangeSaverPassword(5);
    EXPECT_EQ(missingModule.os.calls, std::vector<std::string>{"LoadModule MPR.DLL"});
  }
  {
    ShellWithFake missingEntry;
    missingEntry.os.loadableModules["MPR.DLL"] = 0x10;
    missingEntry.shell.ChangeSaverPassword(5);
    EXPECT_EQ(missingEntry.os.calls, (std::vector<std::string>{"LoadModule MPR.DLL", "UnloadModule 16"}));
  }
  {
    ShellWithFake present;
    present.os.loadableModules["MPR.DLL"] = 0x10;
    present.os.procs["PwdChangePasswordA"] = 0x11;
    present.shell.ChangeSaverPassword(5);
    EXPECT_EQ(present.os.calls,
              (std::vector<std::string>{"LoadModule MPR.DLL", "PwdChangePasswordA SCRSAVE 5", "UnloadModule 16"}));
  }
}

}  // namespace
}  // namespace vizo::shell
