// Plain-integer stand-ins for the Win32 handle and message types, so that the shell's decisions
// build and run without <windows.h>. The Windows layer converts at its boundary.
#pragma once

#include <cstdint>

namespace vizo::shell {

using WindowHandle = std::uintptr_t;  // HWND
using ModuleHandle = std::uintptr_t;  // HMODULE
using ProcAddress = std::uintptr_t;   // FARPROC
using InputContext = std::uintptr_t;  // HIMC
using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using NoticeRegistration = std::uintptr_t;  // HPOWERNOTIFY

struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// Window messages and codes the shell reacts to; the Windows layer checks them against <windows.h>.
namespace msg {
inline constexpr MessageId Create = 0x0001;
inline constexpr MessageId Destroy = 0x0002;
inline constexpr MessageId SetText = 0x000C;
inline constexpr MessageId Paint = 0x000F;
inline constexpr MessageId Close = 0x0010;
inline constexpr MessageId ShowWindow = 0x0018;
inline constexpr MessageId ActivateApp = 0x001C;
inline constexpr MessageId SetCursor = 0x0020;
inline constexpr MessageId Power = 0x0048;
inline constexpr MessageId Help = 0x0053;
inline constexpr MessageId ContextMenu = 0x007B;
inline constexpr MessageId KeyDown = 0x0100;
inline constexpr MessageId SysKeyDown = 0x0104;
inline constexpr MessageId SysCommand = 0x0112;
inline constexpr MessageId Timer = 0x0113;
inline constexpr MessageId MouseMove = 0x0200;
inline constexpr MessageId LButtonDown = 0x0201;
inline constexpr MessageId RButtonDown = 0x0204;
inline constexpr MessageId MButtonDown = 0x0207;
inline constexpr MessageId PowerBroadcast = 0x0218;
// Sent by the saver window to itself to run the password prompt.
inline constexpr MessageId VerifyRequest = 0x8000;
}  // namespace msg

namespace syscmd {
inline constexpr WParam NextWindow = 0xF040;
inline constexpr WParam PrevWindow = 0xF050;
inline constexpr WParam ScreenSave = 0xF140;
inline constexpr WParam MonitorPower = 0xF170;
}  // namespace syscmd

inline constexpr WParam PowerCriticalResume = 3;  // WM_POWER's PWR_CRITICALRESUME

namespace pbt {
inline constexpr WParam ResumeCritical = 6;
inline constexpr WParam ResumeSuspend = 7;
inline constexpr WParam ResumeStandby = 8;
inline constexpr WParam PowerStatusChange = 10;
inline constexpr WParam ResumeAutomatic = 18;
// A setting registered for changed (the display's state): sent only to a window that asked.
inline constexpr WParam PowerSettingChange = 0x8013;
inline constexpr LParam ResumeFromFailure = 1;  // PBTF_APMRESUMEFROMFAILURE
}  // namespace pbt

// Window styles of the saver window.
namespace style {
inline constexpr std::uint32_t Preview = 0x52000000;     // WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN
inline constexpr std::uint32_t FullScreen = 0x96000000;  // WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
inline constexpr std::uint32_t FullScreenEx = 0x8;       // WS_EX_TOPMOST
inline constexpr std::uint32_t SaverClass = 0x2B;        // CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC
}  // namespace style

inline constexpr char SaverClassName[] = "WindowsScreenSaverClass";
inline constexpr char FullScreenTitle[] = "Screen Saver";
inline constexpr char PreviewTitle[] = "Preview";

}  // namespace vizo::shell
