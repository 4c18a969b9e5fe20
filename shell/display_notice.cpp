#include "display_notice.h"

#include <cstring>

namespace vizo::shell {

DisplayNotices DisplayNoticesFor(std::uint32_t majorVersion, std::uint32_t minorVersion) {
  if (majorVersion < 6) return DisplayNotices::None;
  if (majorVersion == 6 && minorVersion < 2) return DisplayNotices::MonitorPowerOn;
  return DisplayNotices::ConsoleDisplayState;
}

std::optional<SettingGuid> GuidOf(DisplayNotices notices) {
  switch (notices) {
    case DisplayNotices::MonitorPowerOn:
      return MonitorPowerOnGuid;
    case DisplayNotices::ConsoleDisplayState:
      return ConsoleDisplayStateGuid;
    case DisplayNotices::None:
      break;
  }
  return std::nullopt;
}

std::optional<DisplayState> ReadDisplayNotice(const void* setting) {
  if (!setting) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(setting);
  SettingGuid guid;
  std::memcpy(&guid.data1, bytes, 4);
  std::memcpy(&guid.data2, bytes + 4, 2);
  std::memcpy(&guid.data3, bytes + 6, 2);
  std::memcpy(guid.data4.data(), bytes + 8, 8);
  if (guid != ConsoleDisplayStateGuid && guid != MonitorPowerOnGuid) return std::nullopt;
  std::uint32_t length = 0;
  std::memcpy(&length, bytes + NoticeLengthOffset, sizeof length);
  std::uint32_t value = 0;
  if (length < sizeof value) return std::nullopt;
  std::memcpy(&value, bytes + NoticeDataOffset, sizeof value);
  switch (value) {
    case 0:
      return DisplayState::Off;
    case 1:
      return DisplayState::On;
    case 2:
      return DisplayState::Dimmed;
    default:
      return std::nullopt;
  }
}

}  // namespace vizo::shell
