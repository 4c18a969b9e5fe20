// Libraries named like the system's (and a manifest) planted in the saver's folder or the current
// folder, as in a Downloads folder, with Wine searching as Windows does (a library beside the
// program before the system's own): in every mode the saver loads none of them and still works.
#include <gtest/gtest.h>

#include "harness.h"

namespace vizo::winetest {
namespace {

std::string PlantedDir() { return ProgramDir() + "\\planted"; }
std::string PlantedLog() { return PlantedDir() + "\\loaded.log"; }

class PlantedLibraries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The system's own password components, which the 9x modes use.
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\PASSWORD.CPL", "PASSWORD.CPL"));
    ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\mpr.dll", "mpr.dll"));
  }
  void SetUp() override {
    DeleteFileA(PlantedLog().c_str());
    SetEnvironmentVariableA("VIZO_PLANTED_LOG", PlantedLog().c_str());
    SetEnvironmentVariableA("VIZO_PROMPT_ANSWERS", "1");
  }
  void TearDown() override {
    SetEnvironmentVariableA("VIZO_PLANTED_LOG", nullptr);
    SetEnvironmentVariableA("VIZO_PROMPT_ANSWERS", nullptr);
  }

  static constexpr const char* Overrides = "Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides";
  ScopedRegistryValue d3d9_{Overrides, "d3d9", "native,builtin"};
  ScopedRegistryValue winmm_{Overrides, "winmm", "native,builtin"};
  ScopedRegistryValue comctl32_{Overrides, "comctl32", "native,builtin"};
  ScopedRegistryValue mpr_{Overrides, "mpr", "native,builtin"};
};

enum class Mode { FullScreen, Settings, Preview, PasswordChange };

TEST_F(PlantedLibraries, NoneIsLoadedAndEveryModeStillWorks) {
  const struct {
    const char* name;
    Mode mode;
    bool planted_beside;  // else the saver runs from its own folder with the planted one current
    bool win9x;
  } cases[] = {
      {"/s", Mode::FullScreen, true, false},
      {"/c", Mode::Settings, true, false},
      {"/p", Mode::Preview, true, false},
      {"9x /s with a password", Mode::FullScreen, true, true},
      {"9x /a", Mode::PasswordChange, true, true},
      {"/s from the current folder", Mode::FullScreen, false, false},
      {"/c from the current folder", Mode::Settings, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(PlantedLog().c_str());
    std::optional<ScopedRegistryValue> win98, password;
    if (c.win9x) {
      win98.emplace("Software\\Wine\\AppDefaults\\vizovizo.scr", "Version", "win98");
      password.emplace("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    }
    const std::string saver = c.planted_beside ? PlantedDir() + "\\vizovizo.scr" : SaverPath();
    const std::string planted = PlantedDir();
    HWND pane = c.mode == Mode::Preview ? CreatePreviewPane("PlantedPreviewHost", 100, 100) : nullptr;
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(pane ? pane : GetDesktopWindow()));
    const char* arguments[] = {"/s", "/c", "/p ", "/a "};
    std::string commandLine = arguments[static_cast<int>(c.mode)];
    if (c.mode == Mode::Preview || c.mode == Mode::PasswordChange) commandLine += handle;
    Process run(saver, commandLine, c.planted_beside ? nullptr : planted.c_str());

    switch (c.mode) {
      case Mode::FullScreen:
        ASSERT_NE(WaitForFullScreenSaver(run), nullptr);
        EXPECT_TRUE(DrawingShows());
        PressKey(VK_SPACE);  // with a password, the system's prompt accepts
        EXPECT_EQ(run.WaitForExit(), 0u);
        break;
      case Mode::Settings: {
        HWND box = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
          const auto found = ProcessWindows(run.Id(), "#32770", nullptr);
          box = found.empty() ? nullptr : found.front();
          return box && IsWindowVisible(box);
        }));
        PostMessageA(GetDlgItem(box, 1016), BM_CLICK, 0, 0);  // Cancel
        EXPECT_EQ(run.WaitForExit(), 1016u);
        break;
      }
      case Mode::Preview:
        ASSERT_NE(pane, nullptr);
        EXPECT_TRUE(PumpUntil([&] {
          HWND preview = FindWindowExA(pane, nullptr, "WindowsScreenSaverClass", "Preview");
          return preview && IsWindowVisible(preview);
        }));
        // The preview has drawn frames once a timer tick has gone through its queue.
        EXPECT_TRUE(Drain(FindWindowExA(pane, nullptr, "WindowsScreenSaverClass", "Preview")));
        EXPECT_TRUE(ProcessWindows(run.Id(), "#32770", nullptr).empty()) << "an error box is up";
        DestroyWindow(pane);
        EXPECT_EQ(run.WaitForExit(), 0u);
        break;
      case Mode::PasswordChange:
        EXPECT_EQ(run.WaitForExit(), 0u);
        break;
    }
    EXPECT_EQ(ReadFileBytes(PlantedLog()).value_or(""), "");
  }
}

}  // namespace
}  // namespace vizo::winetest
