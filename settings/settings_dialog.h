// The settings dialog's decisions: what the controls show when it opens, which display modes the
// resolution box offers, and what OK writes. The Windows layer moves values in and out of the
// controls and asks Direct3D for the modes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gfxutil/display_mode.h"
#include "settings_file.h"

namespace vizo::settings {

// Control ids of dialog templates 2003 and 2004.
namespace control {
inline constexpr int Ok = 1015;
inline constexpr int Cancel = 1016;
inline constexpr int Defaults = 1017;
inline constexpr int LoadSlider = 1001;
inline constexpr int ResolutionBox = 1013;
inline constexpr int AllMonitors = 1018;
}  // namespace control

}  // namespace vizo::settings

// The numbers of the dialog's error reports.
namespace vizo::reports::OptionDialog {
inline constexpr int NoDirect3D = 40, WriteHanabi = 93, WriteParticle = 95, WriteFlash = 98, WriteBack = 100,
                     WriteSmoke = 102, WriteReflect = 104, WriteDisplay = 107, WriteBuffer = 109,
                     WriteAllMonitors = 111;
}  // namespace vizo::reports::OptionDialog

namespace vizo::settings {

inline constexpr int MaxLoad = 10;

// The Direct3D 9 pixel formats (D3DFORMAT values) that are colour modes; the dialog's Windows half
// checks them against <d3d9.h>.
namespace format {
inline constexpr std::uint32_t R8G8B8 = 20, A8R8G8B8 = 21, X8R8G8B8 = 22, R5G6B5 = 23, X1R5G5B5 = 24, A1R5G5B5 = 25,
                               A4R4G4B4 = 26, R3G3B2 = 27, A8R3G3B2 = 29, X4R4G4B4 = 30, A2B10G10R10 = 31,
                               A2R10G10B10 = 35;
}  // namespace format

using gfx::DisplayMode;

// Bits per colour channel of a Direct3D 9 pixel format; 0 for formats that aren't colour modes.
int FormatChannelBits(std::uint32_t format);

// The default adapter's display modes.
class DisplayModeSource {
 public:
  virtual ~DisplayModeSource() = default;
  virtual bool Open() = 0;  // false when there is no graphics object to ask
  virtual std::optional<DisplayMode> CurrentMode() = 0;
  virtual std::uint32_t ModeCount(std::uint32_t format) = 0;
  virtual DisplayMode Mode(std::uint32_t format, std::uint32_t index) = 0;
  virtual void Close() = 0;
};

// The dialog's three value controls.
class DialogControls {
 public:
  virtual ~DialogControls() = default;
  virtual void SetSliderPosition(int position) = 0;
  virtual void SetSliderRange(int minimum, int maximum) = 0;
  virtual void SetSliderTickFrequency(int frequency) = 0;
  virtual int SliderPosition() = 0;
  virtual void AddResolution(const std::string& text) = 0;  // the box sorts it in
  virtual int FindResolution(const std::string& text) = 0;  // case-insensitive; -1 if none
  virtual void SelectResolution(int index) = 0;             // -1 empties the edit field
  virtual std::string ResolutionText() = 0;                 // at most 49 characters
  virtual void SetAllMonitors(bool checked) = 0;
  virtual bool AllMonitors() = 0;
};

// The common error report, with the dialog's module filled in.
using ReportError = void (*)(int line);

struct SettingsDialog {
  DialogControls& controls;
  DisplayModeSource& modes;
  ProfileStore& store;
  ReportError report;

  void Load();
  void Save();
  void Reset();

 private:
  void FillResolutions(std::uint32_t format);
};

}  // namespace vizo::settings
