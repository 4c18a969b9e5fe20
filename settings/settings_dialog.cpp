#include "settings_dialog.h"

namespace vizo::settings {

int FormatChannelBits(std::uint32_t format) {
  switch (format) {
    case format::R8G8B8:
    case format::A8R8G8B8:
    case format::X8R8G8B8:
      return 8;
    case format::R5G6B5:
    case format::X1R5G5B5:
    case format::A1R5G5B5:
      return 5;
    case format::A4R4G4B4:
    case format::X4R4G4B4:
      return 4;
    case format::R3G3B2:
    case format::A8R3G3B2:
      return 2;
    case format::A2B10G10R10:
    case format::A2R10G10B10:
      return 10;
    default:
      return 0;
  }
}

void SettingsDialog::Load() {
  // The position goes in while the slider still has its initial range of 0 to 100; the new range
  // then pulls it into 0 to 10.
  controls.SetSliderPosition(store.ReadInt("Hanabi", MaxLoad));
  controls.SetSliderRange(0, MaxLoad);
  controls.SetSliderTickFrequency(1);
  controls.SetAllMonitors(store.ReadInt(AllMonitorsKey, 0) == 1);

  // The report asks to quit, which ends the dialog before anything could be chosen or saved.
  if (!modes.Open()) {
    report(reports::OptionDialog::NoDirect3D);
    return;
  }
  const std::optional<DisplayMode> desktop = modes.CurrentMode();
  const std::string fallback = desktop ? DisplayModeText(desktop->width, desktop->height) : std::string();
  const std::string display = store.ReadText("Display", fallback.c_str());
  if (desktop) FillResolutions(desktop->format);
  modes.Close();
  controls.SelectResolution(controls.FindResolution(display));
}

void SettingsDialog::FillResolutions(std::uint32_t format) {
  // Only sizes of the desktop's pixel format; one size at several refresh rates is one entry.
  for (std::uint32_t i = 0; i < modes.ModeCount(format); ++i) {
    const DisplayMode mode = modes.Mode(format, i);
    const std::string text = DisplayModeText(mode.width, mode.height);
    if (mode.width >= 640 && mode.height >= 480 && FormatChannelBits(mode.format) >= 5 &&
        controls.FindResolution(text) == -1) {
      controls.AddResolution(text);
    }
  }
}

void SettingsDialog::Save() {
  const std::string load = std::to_string(controls.SliderPosition());
  const std::string display = controls.ResolutionText();
  const struct {
    const char* key;
    const char* text;
    int reportLine;
  } writes[] = {
      {"Hanabi", load.c_str(), reports::OptionDialog::WriteHanabi},
      {"Particle", "0", reports::OptionDialog::WriteParticle},
      {"Flash", "0", reports::OptionDialog::WriteFlash},
      {"Back", "0", reports::OptionDialog::WriteBack},
      {"Smoke", "0", reports::OptionDialog::WriteSmoke},
      {"Reflect", "0", reports::OptionDialog::WriteReflect},
      {"Display", display.c_str(), reports::OptionDialog::WriteDisplay},
      {"Buffer", "", reports::OptionDialog::WriteBuffer},
  };
  // A failed write is reported and the rest are still made.
  for (const auto& write : writes) {
    if (!store.WriteText(write.key, write.text)) report(write.reportLine);
  }
  // Unchecked leaves the file as it was before the option existed: without the key. A removal is
  // reported only when it leaves the key behind (a file that can't be written at all has no key).
  if (controls.AllMonitors()) {
    if (!store.WriteText(AllMonitorsKey, "1")) report(reports::OptionDialog::WriteAllMonitors);
  } else if (!store.RemoveKey(AllMonitorsKey) && HasKey(store, AllMonitorsKey)) {
    report(reports::OptionDialog::WriteAllMonitors);
  }
}

void SettingsDialog::Reset() {
  controls.SetSliderPosition(MaxLoad);
  controls.SetAllMonitors(false);
}

}  // namespace vizo::settings
