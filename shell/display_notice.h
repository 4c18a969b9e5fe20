// Windows' notices of the display's state (WM_POWERBROADCAST with PBT_POWERSETTINGCHANGE): which
// setting the saver asks to hear about, and what a notice says. A saver has nothing to show on a
// dark display, and power plans and Modern Standby turn it off while the saver runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vizo::shell {

enum class DisplayState { Off, On, Dimmed };

// The setting registered for: the console's display state from Windows 8 on (off, on, dimmed), the
// monitor's power on Vista and 7 (off, on); nothing before Vista, which has no such notices.
enum class DisplayNotices { None, MonitorPowerOn, ConsoleDisplayState };
DisplayNotices DisplayNoticesFor(std::uint32_t majorVersion, std::uint32_t minorVersion);

// A GUID field by field, as Windows lays it out.
struct SettingGuid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0, data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  bool operator==(const SettingGuid&) const = default;
};
inline constexpr SettingGuid MonitorPowerOnGuid{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
inline constexpr SettingGuid ConsoleDisplayStateGuid{
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// The GUID registered for; nothing for DisplayNotices::None.
std::optional<SettingGuid> GuidOf(DisplayNotices notices);

// Where POWERBROADCAST_SETTING keeps its fields: the GUID, the data's length, the data.
inline constexpr std::size_t NoticeLengthOffset = 16;
inline constexpr std::size_t NoticeDataOffset = 20;

// The state a notice tells, read from the POWERBROADCAST_SETTING it points at: nothing for a null
// pointer, another setting, data shorter than the 32-bit value these settings carry, or a value
// that names no state. The data is read only as far as its length says.
std::optional<DisplayState> ReadDisplayNotice(const void* setting);

}  // namespace vizo::shell
