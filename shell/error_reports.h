// Every error report the program can show: the module and number in its box, what happened and
// what the user can do, in words for the user. The README's table is checked against this list,
// and the list against the reporting sites in the sources.
#pragma once

namespace vizo::shell {

struct ErrorReportInfo {
  const char* module;
  int number;
  const char* happened;
  const char* remedy;
};

inline constexpr char UpdateDriver[] = "Install or update the graphics driver, then try again.";
inline constexpr char SeeEarlier[] = "Follow the advice for the report shown before this one.";
inline constexpr char FreeVideoMemory[] =
    "Close programs that use much video memory (games, video players) and try again.";
inline constexpr char SettingsWritable[] =
    "Make sure the settings file can be written (see below): not read-only, not a folder, disk not full.";

inline constexpr ErrorReportInfo ErrorReports[] = {
    {"ScreenMain", 23, "Direct3D 9 could not be started while reading the settings.", UpdateDriver},
    {"ScreenMain", 48, "The size of the saver's window could not be read.",
     "Start the saver again; restart Windows if it keeps happening."},
    {"ScreenMain", 51, "Direct3D 9 could not be started for the saver's window.", UpdateDriver},
    {"ScreenMain", 53, "The display's current resolution could not be read.", UpdateDriver},
    {"ScreenMain", 106,
     "The display could not be set up for drawing, neither at the chosen resolution nor at the desktop's own.",
     "Pick another resolution in the settings; if that does not help, update the graphics driver."},
    {"ScreenMain", 114, "The graphics card's capabilities could not be read.", UpdateDriver},
    {"ScreenMain", 153, "The display could not be set up again for the graphics card's shader support.", UpdateDriver},
    {"ScreenMain", 218, "The fireworks could not be loaded (after the report before it).", SeeEarlier},
    {"Quellar", 73, "The display could not be set up (after the report before it).", SeeEarlier},
    {"Quellar", 74, "The fireworks could not be loaded (after the reports before it).", SeeEarlier},
    {"cameraObject", 43, "The camera's perspective could not be set.", UpdateDriver},
    {"cameraObject", 44, "The camera's position could not be set.", UpdateDriver},
    {"cameraObject", 45, "The scene's placement could not be set.", UpdateDriver},
    {"hanabiPainter", 46, "There was no video memory for the sprites' shape.", FreeVideoMemory},
    {"hanabiPainter", 49, "The sprites' shape could not be written to video memory.", FreeVideoMemory},
    {"hanabiPainter", 70, "A sprite image could not be loaded.",
     "Copy vizovizo.scr again (it may be damaged); otherwise close programs that use much video memory."},
    {"OptionDialog", 40, "Direct3D 9 could not be started to list the display's resolutions.", UpdateDriver},
    {"OptionDialog", 93, "The load could not be saved.", SettingsWritable},
    {"OptionDialog", 95, "The setting Particle could not be saved.", SettingsWritable},
    {"OptionDialog", 98, "The setting Flash could not be saved.", SettingsWritable},
    {"OptionDialog", 100, "The setting Back could not be saved.", SettingsWritable},
    {"OptionDialog", 102, "The setting Smoke could not be saved.", SettingsWritable},
    {"OptionDialog", 104, "The setting Reflect could not be saved.", SettingsWritable},
    {"OptionDialog", 107, "The resolution could not be saved.", SettingsWritable},
    {"OptionDialog", 109, "The setting Buffer could not be saved.", SettingsWritable},
    {"OptionDialog", 111, "The setting AllMonitors (Show on every monitor) could not be saved or taken out.",
     SettingsWritable},
};

}  // namespace vizo::shell
