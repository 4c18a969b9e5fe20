// Libraries named like the system's (and a manifest) planted in the saver's folder or the current
// folder, as in a Downloads folder, with Wine searching as Windows does (a library beside the
// program before the system's own): in every mode the saver loads none of them and still works.
#include <gtest/gtest.h>

#include "harness.h"

namespace vizo::winetest {
namespace {

TEST(PlantedLibraries, NoneIsLoadedAndEveryModeStillWorks) {
  const std::string planted = ProgramDir() + "\\planted";
  const std::string log = planted + "\\loaded.log";
  // The system's own password components, which the 9x modes use.
  ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\PASSWORD.CPL", "PASSWORD.CPL"));
  ASSERT_TRUE(InstallInSystemFolder(ProgramDir() + "\\win9x\\mpr.dll", "mpr.dll"));
  SetEnvironmentVariableA("VIZO_PLANTED_LOG", log.c_str());
  SetEnvironmentVariableA("VIZO_PROMPT_ANSWERS", "1");
  // The system folder's Direct3D is the stand-in, for the frames it logs.
  D3d9Standin standIn;
  ASSERT_TRUE(standIn.Installed());
  StandinLog frames;
  const char* overrides = "Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides";
  // (d3d9's order is the stand-in's, native first as well.)
  ScopedRegistryValue winmm(overrides, "winmm", "native,builtin"),
      comctl32(overrides, "comctl32", "native,builtin"), mpr(overrides, "mpr", "native,builtin");

  enum Mode { FullScreen, Settings, Preview, PasswordChange };
  const struct {
    const char* name;
    Mode mode;
    bool fromPlantedFolder;  // else from its own folder, with the planted one current
    bool win9x;
  } cases[] = {
      {"/s", FullScreen, true, false},
      {"/c", Settings, true, false},
      {"/p", Preview, true, false},
      {"9x /s with a password", FullScreen, true, true},
      {"9x /a", PasswordChange, true, true},
      {"/s from the current folder", FullScreen, false, false},
      {"/c from the current folder", Settings, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(log.c_str());
    std::optional<ScopedRegistryValue> win98, password;
    if (c.win9x) {
      win98.emplace("Software\\Wine\\AppDefaults\\vizovizo.scr", "Version", "win98");
      password.emplace("Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    }
    HWND pane = c.mode == Preview ? CreatePreviewPane("PlantedPreviewHost", 100, 100) : GetDesktopWindow();
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(pane));
    const std::string commandLine[] = {"/s", "/c", "/p " + handle, "/a " + handle};
    Process run(c.fromPlantedFolder ? planted + "\\vizovizo.scr" : SaverPath(), commandLine[c.mode],
                c.fromPlantedFolder ? nullptr : planted.c_str());
    if (c.mode == FullScreen) {
      ASSERT_NE(WaitForFullScreenSaver(run), nullptr);
      EXPECT_TRUE(DrawingShows(frames));
      PressKey(VK_SPACE);  // with a password, the system's prompt accepts
    } else if (c.mode == Settings) {
      PostMessageA(GetDlgItem(WaitForDialog(run), 1016), BM_CLICK, 0, 0);  // Cancel
    } else if (c.mode == Preview) {
      HWND preview = nullptr;
      EXPECT_TRUE(PumpUntil([&] { return (preview = FindWindowExA(pane, nullptr, nullptr, "Preview")) != nullptr; }));
      EXPECT_TRUE(Drain(preview));  // created, and its frame ticks go through
      EXPECT_TRUE(ProcessWindows(run.Id(), "#32770", nullptr).empty()) << "an error box is up";
      DestroyWindow(pane);
    }
    EXPECT_EQ(run.WaitForExit(), c.mode == Settings ? 1016u : 0u);
    EXPECT_EQ(ReadFileBytes(log).value_or(""), "");
  }
  SetEnvironmentVariableA("VIZO_PLANTED_LOG", nullptr);
  SetEnvironmentVariableA("VIZO_PROMPT_ANSWERS", nullptr);
}

}  // namespace
}  // namespace vizo::winetest
